#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the link-check tests and benchmark: a fixed set of
// paths, one connection per request, at most a bounded number of requests; stopped when
// destroyed.

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace pernard::testing {

class LocalHttpServer {
public:
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    std::string Url(const std::string& path) const;
    // "METHOD path" of every request, in arrival order.
    std::vector<std::string> Requests() const;
    // The paths that received an Authorization header.
    std::set<std::string> PathsWithCredentials() const;
    // The most requests that were being answered at the same moment.
    int MostAtOnce() const { return mostAtOnce_; }
    // A port on 127.0.0.1 where nothing listens.
    static int ClosedPort();

private:
    void Serve();
    void Answer(int connection);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> atOnce_{0};
    std::atomic<int> mostAtOnce_{0};
    std::thread acceptor_;
    std::vector<std::thread> workers_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::set<std::string> credentials_;
};

}  // namespace pernard::testing
