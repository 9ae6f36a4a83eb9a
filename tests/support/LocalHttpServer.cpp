#include "support/LocalHttpServer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <sstream>

namespace pernard::testing {

namespace {

#ifdef _WIN32
// Winsock's names for the calls; its sockets fit an int here (small handle values).
struct WinsockStarted {
    WinsockStarted() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};
const WinsockStarted kWinsockStarted;
int CloseSocket(int socket) { return ::closesocket(static_cast<SOCKET>(socket)); }
int PollSocket(int socket, int milliseconds) {
    WSAPOLLFD waiting{static_cast<SOCKET>(socket), POLLIN, 0};
    return ::WSAPoll(&waiting, 1, milliseconds);
}
constexpr int kSendFlags = 0;
using AddressLength = int;
#else
int CloseSocket(int socket) { return ::close(socket); }
int PollSocket(int socket, int milliseconds) {
    pollfd waiting{socket, POLLIN, 0};
    return ::poll(&waiting, 1, milliseconds);
}
constexpr int kSendFlags = MSG_NOSIGNAL;
using AddressLength = socklen_t;
#endif

constexpr int kRequestLimit = 5000;
const char* const kLastModified = "Wed, 01 Jan 2020 00:00:00 GMT";  // 1577836800

void SendAll(int connection, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(connection, bytes.data() + sent,
                                 static_cast<int>(bytes.size() - sent), kSendFlags);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

std::string Response(int status, const std::string& reason, const std::string& extra,
                     const std::string& body, bool head) {
    std::ostringstream out;
    out << "HTTP/1.1 " << status << ' ' << reason << "\r\nServer: PernardTest\r\n"
        << "Connection: close\r\nContent-Length: " << body.size() << "\r\n"
        << extra << "\r\n";
    if (!head) out << body;
    return out.str();
}

}  // namespace

LocalHttpServer::LocalHttpServer() {
    listener_ = static_cast<int>(::socket(AF_INET, SOCK_STREAM, 0));
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on),
                 sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 64);
    AddressLength length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Serve(); });
}

LocalHttpServer::~LocalHttpServer() {
    stopping_ = true;
    acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
    CloseSocket(listener_);
}

std::string LocalHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LocalHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::set<std::string> LocalHttpServer::PathsWithCredentials() const {
    std::lock_guard lock(mutex_);
    return credentials_;
}

int LocalHttpServer::ClosedPort() {
    const int probe = static_cast<int>(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    AddressLength length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    CloseSocket(probe);
    return ntohs(address.sin_port);
}

void LocalHttpServer::Serve() {
    int served = 0;
    while (!stopping_ && served < kRequestLimit) {
        if (PollSocket(listener_, 50) <= 0) continue;
        const int connection = static_cast<int>(::accept(listener_, nullptr, nullptr));
        if (connection < 0) continue;
        ++served;
        workers_.emplace_back([this, connection] {
            Answer(connection);
            CloseSocket(connection);
        });
    }
}

void LocalHttpServer::Answer(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        if (PollSocket(connection, 2000) <= 0) return;
        const auto n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    std::istringstream lines(request);
    std::string method, path;
    lines >> method >> path;
    const bool head = method == "HEAD";
    // Counted while the request is being answered.
    const int now = ++atOnce_;
    for (int most = mostAtOnce_; now > most && !mostAtOnce_.compare_exchange_weak(most, now);) {
    }
    struct Leave {
        std::atomic<int>& count;
        bool left = false;
        void Release() {
            if (!left) --count;
            left = true;
        }
        ~Leave() { Release(); }
    } leave{atOnce_};
    const bool hasCredentials = request.find("\r\nAuthorization: ") != std::string::npos;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(method + " " + path);
        if (hasCredentials) credentials_.insert(path);
    }
    std::string response;
    const std::string modified = std::string("Last-Modified: ") + kLastModified + "\r\n";
    if (path == "/ok") {
        response = Response(200, "OK", modified, "hello", head);
    } else if (path == "/missing") {
        response = Response(404, "Not Found", "", "gone", head);
    } else if (path == "/nohead") {
        response = head ? Response(405, "Method Not Allowed", "", "", true)
                        : Response(200, "OK", modified, "by GET", false);
    } else if (path == "/moved") {
        response = Response(301, "Moved", "Location: /ok\r\n", "", head);
    } else if (path == "/moved308") {
        response = Response(308, "Permanent Redirect", "Location: /ok\r\n", "", head);
    } else if (path == "/found") {
        response = Response(302, "Found", "Location: /ok\r\n", "", head);
    } else if (path == "/moved-then-found") {
        response = Response(301, "Moved", "Location: /found\r\n", "", head);
    } else if (path == "/moved-to-missing") {
        response = Response(301, "Moved", "Location: /missing\r\n", "", head);
    } else if (path == "/gone") {
        response = Response(410, "Gone", "", "", head);
    } else if (path == "/error") {
        response = Response(500, "Internal Server Error", "", "", head);
    } else if (path == "/loop") {
        response = Response(302, "Found", "Location: /loop\r\n", "", head);
    } else if (path == "/secret") {
        // "user:pass" in Basic.
        const bool right = request.find("Authorization: Basic dXNlcjpwYXNz") != std::string::npos;
        response = right ? Response(200, "OK", modified, "secret", head)
                         : Response(401, "Unauthorized",
                                    "WWW-Authenticate: Basic realm=\"test\"\r\n", "", head);
    } else if (path == "/slow") {
        for (int k = 0; k < 15 && !stopping_; ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        response = Response(200, "OK", "", "late", head);
    } else if (path.rfind("/wait", 0) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        response = Response(200, "OK", modified, "", head);
    } else if (path == "/big") {
        response = Response(200, "OK", modified, std::string(3 << 20, 'x'), head);
    } else {
        response = Response(404, "Not Found", "", "", head);
    }
    // Answered: no longer counted, so that the client's next request may take its place.
    leave.Release();
    SendAll(connection, response);
}

}  // namespace pernard::testing
