// The link-check engine against a server of its own on 127.0.0.1: answers, failures,
// redirects, HEAD refused, credentials, time-outs, the body cap, stopping and pacing.

#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "linkcheck/CurlLinkChecker.h"
#include "support/LocalHttpServer.h"

using namespace pernard;
using pernard::testing::LocalHttpServer;

namespace {

class CurlLinkCheckerTest : public ::testing::Test {
protected:
    std::map<std::string, LinkResult> Check(const std::vector<std::string>& paths,
                                            LinkCheckOptions options = {}) {
        std::vector<LinkRequest> requests;
        for (std::size_t k = 0; k < paths.size(); ++k) {
            const std::string& path = paths[k];
            requests.push_back({k, path.rfind("http", 0) == 0 ? path : server.Url(path)});
        }
        std::map<std::string, LinkResult> results;
        CurlLinkChecker checker;
        std::atomic<bool> stop{false};
        checker.Run(
            requests, options,
            [&](LinkResult&& result) {
                EXPECT_LT(result.slot, options.threads);
                results[paths[result.token]] = std::move(result);
            },
            stop);
        return results;
    }
    LocalHttpServer server;
};

}  // namespace

TEST_F(CurlLinkCheckerTest, HeadersGiveStatusLastModifiedAndServer) {
    auto results = Check({"/ok", "/missing", "/moved", "/nohead"});
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results["/ok"].status, 200);
    EXPECT_EQ(results["/ok"].lastModified, 1577836800);
    EXPECT_EQ(results["/ok"].server, "PernardTest");
    EXPECT_EQ(results["/ok"].size, 5);
    EXPECT_NE(results["/ok"].headers.find("Last-Modified:"), std::string::npos);
    EXPECT_TRUE(results["/ok"].body.empty());
    EXPECT_EQ(OutcomeOf(results["/ok"]), LinkOutcome::Ok);

    EXPECT_EQ(results["/missing"].status, 404);
    EXPECT_EQ(OutcomeOf(results["/missing"]), LinkOutcome::Broken);

    EXPECT_EQ(results["/moved"].status, 200);
    EXPECT_EQ(results["/moved"].redirects, 1);
    EXPECT_EQ(results["/moved"].finalUrl, server.Url("/ok"));
    EXPECT_EQ(OutcomeOf(results["/moved"]), LinkOutcome::Redirected);
    EXPECT_EQ(RemarkText(results["/moved"]), "→ " + server.Url("/ok"));

    // HEAD refused: a GET, stopped once its headers were in.
    EXPECT_EQ(results["/nohead"].status, 200);
    EXPECT_EQ(results["/nohead"].lastModified, 1577836800);
    const auto requests = server.Requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "GET /nohead"), requests.end());
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /ok"), 0);
}

TEST_F(CurlLinkCheckerTest, FailuresAreResultsNotCrashes) {
    LinkCheckOptions options;
    options.timeoutMs = 500;
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/";
    auto results = Check({"/slow", "/loop", refused, "file:///etc/passwd", "http://"}, options);
    ASSERT_EQ(results.size(), 5u);
    EXPECT_EQ(StatusText(results["/slow"]), "timeout");
    EXPECT_EQ(StatusText(results["/loop"]), "redirects");
    EXPECT_EQ(StatusText(results[refused]), "refused");
    EXPECT_EQ(OutcomeOf(results[refused]), LinkOutcome::Failed);
    EXPECT_FALSE(RemarkText(results[refused]).empty());
    // Only http and https are fetched.
    EXPECT_EQ(StatusText(results["file:///etc/passwd"]), "unsupported");
    EXPECT_EQ(results["http://"].status, 0);
}

TEST_F(CurlLinkCheckerTest, CredentialsGoOnlyToTheServerThatAsks) {
    LinkCheckOptions options;
    options.userId = "user";
    options.password = "pass";
    auto results = Check({"/secret", "/ok"}, options);
    EXPECT_EQ(results["/secret"].status, 200);
    EXPECT_EQ(results["/ok"].status, 200);
    EXPECT_EQ(server.PathsWithCredentials(), std::set<std::string>{"/secret"});
}

TEST_F(CurlLinkCheckerTest, BodiesAreCappedAndGetsArePaced) {
    LinkCheckOptions options;
    options.body = true;
    options.bodyLimit = 1000;
    auto results = Check({"/big", "/ok"}, options);
    EXPECT_EQ(results["/big"].status, 200);
    EXPECT_EQ(results["/big"].body.size(), 1000u);
    EXPECT_EQ(results["/ok"].body, "hello");

    options.intervalMs = 150;
    const auto start = std::chrono::steady_clock::now();
    results = Check({"/ok", "/ok?2", "/ok?3"}, options);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(results.size(), 3u);
}

TEST_F(CurlLinkCheckerTest, AStopDropsWhatIsStillInFlight) {
    std::vector<LinkRequest> requests;
    for (std::size_t k = 0; k < 6; ++k) requests.push_back({k, server.Url("/slow")});
    requests.push_back({6, server.Url("/ok")});
    CurlLinkChecker checker;
    std::atomic<bool> stop{false};
    LinkCheckOptions options;
    options.threads = 8;
    int delivered = 0;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    const auto start = std::chrono::steady_clock::now();
    checker.Run(
        requests, options, [&](LinkResult&&) { ++delivered; }, stop);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(delivered, 1);  // /ok came back; the slow ones were dropped
}

TEST_F(CurlLinkCheckerTest, NeverMoreRequestsInFlightThanAsked) {
    std::vector<std::string> paths;
    for (int k = 0; k < 12; ++k) paths.push_back("/wait?" + std::to_string(k));
    LinkCheckOptions options;
    options.threads = 3;
    const auto results = Check(paths, options);
    EXPECT_EQ(results.size(), 12u);
    EXPECT_EQ(server.MostAtOnce(), 3);
}
