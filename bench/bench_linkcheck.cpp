// Times the link-check engine against a server of its own on 127.0.0.1 that answers every
// request after 50 ms: N URLs with T requests in flight, against the ideal N × 50 ms / T.
//
//   bench-linkcheck [URLS] [THREADS]        (default: 1000 8)

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "linkcheck/CurlLinkChecker.h"
#include "support/LocalHttpServer.h"

int main(int argc, char** argv) {
    const int urls = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int threads = argc > 2 ? std::atoi(argv[2]) : 8;
    pernard::testing::LocalHttpServer server;
    std::vector<pernard::LinkRequest> requests;
    for (int k = 0; k < urls; ++k) {
        requests.push_back({static_cast<std::size_t>(k), server.Url("/wait?" + std::to_string(k))});
    }
    pernard::LinkCheckOptions options;
    options.threads = threads;
    int answered = 0;
    std::atomic<bool> stop{false};
    pernard::CurlLinkChecker checker;
    const auto start = std::chrono::steady_clock::now();
    checker.Run(
        requests, options,
        [&](pernard::LinkResult&& result) {
            if (result.status == 200) ++answered;
        },
        stop);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double ideal = urls * 0.050 / threads;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "%d URLs, %d in flight: %.2f s (ideal %.2f s, %.2fx), %d answered, at most %d at "
        "once, peak %ld MB\n",
        urls, threads, seconds, ideal, seconds / ideal, answered, server.MostAtOnce(),
        usage.ru_maxrss / 1024);
    return 0;
}
