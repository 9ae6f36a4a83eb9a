#include "support/WebDavServer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#endif

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace pernard::testing {

namespace fs = std::filesystem;

namespace {

const char* FolderName(DavAuth auth) {
    switch (auth) {
        case DavAuth::Basic:
            return "basic";
        case DavAuth::Digest:
            return "digest";
        case DavAuth::None:
            break;
    }
    return "open";
}

// The clients' requests stay on this machine even where a proxy is set in the environment
// (libcurl takes it from there).
void KeepToLoopback() {
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
#ifdef _WIN32
        _putenv_s(name, "127.0.0.1,localhost");
#else
        ::setenv(name, "127.0.0.1,localhost", 1);
#endif
    }
}

#ifdef _WIN32
using Socket = SOCKET;
void CloseSocket(Socket socket) { ::closesocket(socket); }
#else
using Socket = int;
void CloseSocket(Socket socket) { ::close(socket); }
#endif

// A socket bound to 127.0.0.1 at a port of the system's choosing, and that port.
Socket BoundSocket(int& port) {
    const Socket socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return socket;
}

#ifndef _WIN32

std::string Quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

// lighttpd where Debian puts it, or on the PATH.
std::string FindLighttpd() {
    std::vector<std::string> folders;
    if (const char* path = std::getenv("PATH")) {
        std::stringstream list(path);
        for (std::string folder; std::getline(list, folder, ':');) folders.push_back(folder);
    }
    folders.insert(folders.end(), {"/usr/sbin", "/usr/local/sbin", "/sbin"});
    for (const std::string& folder : folders) {
        const std::string candidate = folder + "/lighttpd";
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

std::string Configuration(const fs::path& work, const fs::path& root, int port) {
    std::ostringstream out;
    out << "server.document-root = " << Quoted(root) << "\n"
        << "server.bind = \"127.0.0.1\"\n"
        << "server.port = " << port << "\n"
        << "server.modules = (\"mod_webdav\", \"mod_auth\", \"mod_authn_file\")\n"
        << "server.errorlog = " << Quoted(work / "error.log") << "\n"
        << "server.upload-dirs = (" << Quoted(work / "uploads")
        << ")\n"
        // What the tests plant on disk is seen at once.
        << "server.stat-cache-engine = \"disable\"\n"
        // Without a type for its files lighttpd sends no ETag with a GET.
        << "mimetype.assign = (\".html\" => \"text/html\", \"\" => \"application/octet-stream\")\n"
        << "webdav.activate = \"enable\"\n"
        << "webdav.is-readonly = \"disable\"\n"
        << "webdav.sqlite-db-name = " << Quoted(work / "webdav.db")
        << "\n"
        // A wrong password is answered at once, not after lighttpd's pause against guessing.
        << "server.feature-flags = (\"auth.delay-invalid-creds\" => \"disable\")\n"
        << "auth.backend = \"plain\"\n"
        << "auth.backend.plain.userfile = " << Quoted(work / "users") << "\n"
        << "auth.require = (\n";
    for (const char* method : {"basic", "digest"}) {
        out << "  \"/" << method << "/\" => (\"method\" => \"" << method
            << "\", \"realm\" => \"Pernard\", \"require\" => \"valid-user\"),\n";
    }
    out << ")\n";
    return out.str();
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Answers(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected =
        ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return connected;
}

pid_t Launch(const std::string& program, const fs::path& configuration, const fs::path& log) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
#ifdef __linux__
    // The server goes with the tests, however they end.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(out, 2);
    const std::string conf = configuration.string();
    ::execl(program.c_str(), "lighttpd", "-D", "-f", conf.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
}

#endif

}  // namespace

#ifdef _WIN32

WebDavServer::WebDavServer() { problem_ = "lighttpd is not run on Windows"; }
WebDavServer::~WebDavServer() = default;
bool WebDavServer::Start(const std::string&) { return false; }
void WebDavServer::Stop() {}

#else

WebDavServer::WebDavServer() {
    KeepToLoopback();
    const std::string program = FindLighttpd();
    installed_ = !program.empty();
    if (!installed_) {
        problem_ = "lighttpd is not installed (Debian: lighttpd, lighttpd-mod-webdav)";
        return;
    }
    if (work_.Path().empty()) {
        problem_ = "no temporary directory";
        return;
    }
    root_ = work_.Path() / "root";
    std::error_code error;
    for (DavAuth auth : {DavAuth::None, DavAuth::Basic, DavAuth::Digest}) {
        fs::create_directories(Folder(auth), error);
    }
    fs::create_directories(work_.Path() / "uploads", error);
    std::ofstream(work_.Path() / "users") << kUser << ':' << kPassword << '\n';
    // Another program may take the free port before lighttpd does: a few tries.
    for (int attempt = 0; attempt < 3 && !Start(program); ++attempt) {
    }
}

WebDavServer::~WebDavServer() { Stop(); }

bool WebDavServer::Start(const std::string& program) {
    const Socket probe = BoundSocket(port_);
    CloseSocket(probe);
    const fs::path configuration = work_.Path() / "lighttpd.conf";
    std::ofstream(configuration) << Configuration(work_.Path(), root_, port_);
    const fs::path log = work_.Path() / "lighttpd.log";
    pid_ = Launch(program, configuration, log);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(static_cast<pid_t>(pid_), &status, WNOHANG) == pid_) {
            pid_ = 0;
            problem_ =
                "lighttpd stopped at once: " + ReadAll(log) + ReadAll(work_.Path() / "error.log");
            return false;
        }
        if (Answers(port_)) {
            problem_.clear();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    problem_ = "lighttpd did not answer within 5 s";
    Stop();
    return false;
}

void WebDavServer::Stop() {
    if (pid_ <= 0) return;
    const auto pid = static_cast<pid_t>(pid_);
    pid_ = 0;
    ::kill(pid, SIGTERM);
    for (int k = 0; k < 100; ++k) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

#endif

std::string WebDavServer::FolderUrl(DavAuth auth) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + FolderName(auth) + "/";
}

fs::path WebDavServer::Folder(DavAuth auth) const { return root_ / FolderName(auth); }

SilentServer::SilentServer() {
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    KeepToLoopback();
    const Socket socket = BoundSocket(port_);
    ::listen(socket, 16);
    listener_ = static_cast<long long>(socket);
}

SilentServer::~SilentServer() {
    CloseSocket(static_cast<Socket>(listener_));
#ifdef _WIN32
    WSACleanup();
#endif
}

std::string SilentServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

}  // namespace pernard::testing
