// The link-check engine against a server of its own on 127.0.0.1: answers, failures,
// redirects, HEAD refused, credentials, time-outs, the body cap, stopping and pacing; what
// each result is classed as, and the clean-up that acts on real results.

#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "linkcheck/CurlLinkChecker.h"
#include "model/TableBuilder.h"
#include "support/Doubles.h"
#include "support/LocalHttpServer.h"
#include "support/TableSurgery.h"

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

TEST_F(CurlLinkCheckerTest, EachResultIsClassedWithItsFirstRedirectAndFinalAnswer) {
    struct Case {
        const char* path;
        LinkClass linkClass;
        long redirectStatus;
        long status;
        const char* finalPath;
    };
    const Case cases[] = {
        {"/ok", LinkClass::Ok, 0, 200, "/ok"},
        {"/moved", LinkClass::MovedPermanently, 301, 200, "/ok"},
        {"/moved308", LinkClass::MovedPermanently, 308, 200, "/ok"},
        {"/found", LinkClass::MovedTemporarily, 302, 200, "/ok"},
        {"/moved-then-found", LinkClass::MovedTemporarily, 301, 200, "/ok"},
        {"/moved-to-missing", LinkClass::ClientError, 301, 404, "/missing"},
        {"/missing", LinkClass::ClientError, 0, 404, "/missing"},
        {"/gone", LinkClass::ClientError, 0, 410, "/gone"},
        {"/error", LinkClass::ServerError, 0, 500, "/error"},
    };
    std::vector<std::string> paths;
    for (const Case& c : cases) paths.push_back(c.path);
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/";
    paths.push_back(refused);
    paths.push_back("javascript:void(0)");
    auto results = Check(paths);
    for (const Case& c : cases) {
        const LinkResult& result = results[c.path];
        EXPECT_EQ(ClassOf(result), c.linkClass) << c.path;
        EXPECT_EQ(result.redirectStatus, c.redirectStatus) << c.path;
        EXPECT_EQ(result.status, c.status) << c.path;
        EXPECT_EQ(result.finalUrl, server.Url(c.finalPath)) << c.path;
        EXPECT_EQ(IsBrokenForGood(result), c.status == 404 || c.status == 410) << c.path;
    }
    EXPECT_EQ(ClassOf(results[refused]), LinkClass::NoAnswer);
    EXPECT_FALSE(IsBrokenForGood(results[refused]));
    EXPECT_EQ(ClassOf(results["javascript:void(0)"]), LinkClass::NotChecked);
}

TEST_F(CurlLinkCheckerTest, TheCleanUpOfRealResultsIsUndoneExactly) {
    using pernard::testing::TableBuilder;
    pernard::testing::TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/";
    TableBuilder::Root(t.model, "R");
    TableBuilder::Folder(t.model, 1, "F");
    for (const char* path : {"/moved", "/moved308", "/found", "/missing"}) {
        TableBuilder::Url(t.model, 2, {path, server.Url(path), "", "", ""});
    }
    for (const char* path : {"/ok", "/gone", "/error"}) {
        TableBuilder::Url(t.model, 1, {path, server.Url(path), "", "", ""});
    }
    TableBuilder::Url(t.model, 1, {"refused", refused, "", "", ""});
    t.model.MarkSaved();
    auto dump = [&t] {
        std::string text;
        for (int i = 0; i < t.model.glCT; ++i) {
            text += std::to_string(t.model.gloya[i]) + " " + std::string(t.model.glName[i]) + " " +
                    std::string(t.model.glUrl[i]) + " #" +
                    std::to_string(t.model.glNode[i]->Serial()) + "\n";
        }
        return text;
    };
    const std::string before = dump();

    std::vector<LinkRequest> requests;
    std::vector<CheckedLink> links;
    for (int i = 0; i < t.model.glCT; ++i) {
        if (t.model.IsFolder(i)) continue;
        requests.push_back({links.size(), std::string(t.model.glUrl[i])});
        links.push_back({t.model.RefOf(i), {}});
    }
    std::atomic<bool> stop{false};
    CurlLinkChecker().Run(
        requests, {}, [&](LinkResult&& result) { links[result.token].result = std::move(result); },
        stop);

    EXPECT_EQ(ReplaceRedirectedUrls(t.model, links, false).entries, 2);    // 301 and 308
    EXPECT_EQ(MoveBrokenLinks(t.model, BrokenForGood(links)).entries, 2);  // 404 and 410
    std::string shape;
    for (int i = 0; i < t.model.glCT; ++i) {
        shape += std::string(t.model.glName[i]) + "=" + std::string(t.model.glUrl[i]) + "\n";
    }
    const std::string ok = server.Url("/ok");
    EXPECT_EQ(shape, "R=---\nF=---\n/moved=" + ok + "\n/moved308=" + ok +
                         "\n/found=" + server.Url("/found") + "\n/ok=" + ok +
                         "\n/error=" + server.Url("/error") + "\nrefused=" + refused +
                         "\nリンク切れ=---\n/missing=" + server.Url("/missing") +
                         "\n/gone=" + server.Url("/gone") + "\n");
    const std::string after = dump();
    EXPECT_EQ(t.model.UndoName(), "リンク切れの移動");
    ASSERT_TRUE(t.model.Undo());
    EXPECT_EQ(t.model.UndoName(), "リダイレクト先への置換");
    ASSERT_TRUE(t.model.Undo());
    EXPECT_EQ(dump(), before);
    EXPECT_FALSE(t.model.glChanged);
    ASSERT_TRUE(t.model.Redo());
    ASSERT_TRUE(t.model.Redo());
    EXPECT_EQ(dump(), after);
}
