// What surrounds the link-check engine: the run's parameters and how a result reaches its entry.

#include <gtest/gtest.h>

#include "model/LinkCheck.h"
#include "model/TableBuilder.h"
#include "support/Doubles.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using namespace pernard::testing;

TEST(LinkCheck, TheRunsParametersAreKeptWithinTheirLimits) {
    LinkCheckOptions options;
    std::string error;
    ASSERT_TRUE(ReadCheckParameters("12", "2", false, "", "", options, error));
    EXPECT_EQ(options.threads, 8);
    EXPECT_EQ(options.timeoutMs, 120000);
    for (const char* threads : {"0", "-3", "x", ""}) {
        ASSERT_TRUE(ReadCheckParameters(threads, "1", false, "", "", options, error));
        EXPECT_EQ(options.threads, 1) << threads;
    }
    for (const char* minutes : {"abc", "0", "99999999999999999999", "9223372036854775807"}) {
        ASSERT_TRUE(ReadCheckParameters("4", minutes, false, "", "", options, error));
        EXPECT_EQ(options.timeoutMs, 60000) << minutes;
    }
    EXPECT_FALSE(ReadCheckParameters("4", "1", true, "proxy", "70000", options, error));
    EXPECT_FALSE(ReadCheckParameters("4", "1", true, "proxy", "0", options, error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(ReadCheckParameters("4", "1", true, "proxy", "8080", options, error));
    EXPECT_EQ(options.proxyPort, 8080);
    // A port typed without the proxy ticked is not looked at.
    ASSERT_TRUE(ReadCheckParameters("4", "1", false, "proxy", "x", options, error));
    EXPECT_TRUE(options.proxyHost.empty());
}

TEST(LinkCheck, AResultReachesOnlyTheEntryItWasFetchedFor) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    TableBuilder::Root(t.model, "R");
    TableBuilder::Url(t.model, 1, {"a", "http://a/", "", "100", "50"});
    TableBuilder::Url(t.model, 1, {"b", "http://b/", "", "", ""});
    t.model.MarkSaved();
    const NodeRef a = t.model.RefOf(1);
    const NodeRef b = t.model.RefOf(2);

    LinkResult result;
    result.url = "http://a/";
    result.status = 200;
    result.lastModified = 1577836800;
    ASSERT_TRUE(ApplyLinkResult(t.model, a, result));
    EXPECT_EQ(t.model.glLast[1], "1577836800");
    EXPECT_EQ(t.model.glNode[1]->ImageIndex(), 2);  // modified after the visit
    EXPECT_TRUE(t.model.glChanged);
    // An error page's date is not the bookmark's.
    for (int status : {404, 500, 401, 301, 0}) {
        result.status = status;
        result.lastModified = 1700000000;
        EXPECT_TRUE(ApplyLinkResult(t.model, a, result)) << status;
        EXPECT_EQ(t.model.glLast[1], "1577836800") << status;
    }
    result.status = 200;

    // The entry holds another URL now, or is gone: the result is dropped.
    result.url = "http://b-old/";
    EXPECT_FALSE(ApplyLinkResult(t.model, b, result));
    t.model.DeleteNode(t.model.glNode[2], false);
    result.url = "http://b/";
    EXPECT_FALSE(ApplyLinkResult(t.model, b, result));
    EXPECT_EQ(t.model.glLast[1], "1577836800");
    // The change is no step: undoing the delete leaves the collection changed.
    ASSERT_TRUE(t.model.Undo());
    EXPECT_TRUE(t.model.glChanged);
}

TEST(LinkCheck, TheCleanUpActsOnlyOnWhatTheResultsSayAboutTheEntriesAsTheyStand) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    TableBuilder::Root(t.model, "R");
    const char* const urls[] = {"http://a/", "http://b/", "http://c/", "http://d/", "http://e/"};
    for (const char* url : urls) TableBuilder::Url(t.model, 1, {url, url, "", "", ""});
    TableBuilder::Root(t.model, "R2", "/tmp/other.htm");
    TableBuilder::Url(t.model, 1, {"f", "http://f/", "", "", ""});
    auto result = [](const char* url, long status, const char* error = "") {
        LinkResult r;
        r.url = url;
        r.status = status;
        r.error = error;
        r.finalUrl = url;
        return r;
    };
    LinkResult temporary = result("http://a/", 200);
    temporary.redirects = 2;
    temporary.redirectStatus = 301;
    temporary.temporaryRedirect = true;
    temporary.finalUrl = "http://a2/";
    LinkResult permanent = result("http://b/", 200);
    permanent.redirects = 1;
    permanent.redirectStatus = 308;
    permanent.finalUrl = "http://b2/";
    // c was checked under an older URL: nothing the result says is about it now.
    LinkResult stale = result("http://c-old/", 200);
    stale.redirects = 1;
    stale.redirectStatus = 301;
    stale.finalUrl = "http://c2/";
    const std::vector<CheckedLink> links = {
        {t.model.RefOf(1), temporary},
        {t.model.RefOf(2), permanent},
        {t.model.RefOf(3), stale},
        {t.model.RefOf(4), result("http://d/", 0, "dns")},
        {t.model.RefOf(5), result("http://e/", 0, "refused")},
        {t.model.RefOf(7), result("http://f/", 410)},
    };
    EXPECT_EQ(ReplaceRedirectedUrls(t.model, links, false).summary,
              "リダイレクト先への置換 : 1 件");
    EXPECT_EQ(t.model.glUrl[2], "http://b2/");
    EXPECT_EQ(ReplaceRedirectedUrls(t.model, links, true).entries, 1);
    EXPECT_EQ(t.model.glUrl[1], "http://a2/");
    EXPECT_EQ(t.model.glUrl[3], "http://c/");

    const std::vector<NodeRef> broken = BrokenForGood(links);
    ASSERT_EQ(broken.size(), 2u);  // d (DNS) and f (410); e was refused, which may pass
    const CleanupOutcome moved = MoveBrokenLinks(t.model, broken, "切れ");
    EXPECT_EQ(moved.summary, "リンク切れの移動 : 2 件（フォルダー「切れ」を 2 個作成）");
    EXPECT_EQ(DumpTable(t.model),
              "0 -1 R R\n1 0 U http://a/ http://a2/\n2 0 U http://b/ http://b2/\n"
              "3 0 U http://c/ http://c/\n4 0 U http://e/ http://e/\n5 0 F 切れ\n"
              "6 5 U http://d/ http://d/\n7 -1 R R2\n8 7 F 切れ\n9 8 U f http://f/\n");
    EXPECT_EQ(DeleteBrokenLinks(t.model, broken).entries, 2);
    EXPECT_EQ(t.model.glCT, 8);

    EXPECT_EQ(ArchivedCopyUrl("http://a/b?c=d#e"),
              "https://web.archive.org/web/*/http://a/b?c=d#e");
    EXPECT_EQ(ArchivedCopyUrl("http://a/é b"), "https://web.archive.org/web/*/http://a/%C3%A9%20b");
}

TEST(LinkCheck, ADnsFailureIsGoneOnlyWhenTheResolverWasSeenAnsweringAnotherName) {
    struct Link {
        const char* url;
        long status;
        const char* error;
        const char* finalUrl = "";
    };
    struct Case {
        std::vector<Link> links;
        std::string broken;  // the serials moved, in order
    };
    const Case cases[] = {
        // The resolver or the network is down: every name fails alike.
        {{{"http://a/", 0, "dns"}, {"http://b/", 0, "dns"}, {"http://c/", 0, "dns"}}, ""},
        // Time-outs and URLs never fetched prove nothing of the resolver.
        {{{"http://a/", 0, "dns"}, {"http://b/", 0, "timeout"}, {"file:///x", 0, "unsupported"}},
         ""},
        // Only the failed name itself answered (another of its URLs, written in capitals).
        {{{"http://a/x", 0, "dns"}, {"http://user@A:8080/y", 200, ""}}, ""},
        // Another host answered, over HTTP or past its name.
        {{{"http://a/", 0, "dns"}, {"http://b/", 404, ""}, {"http://c/", 0, "dns"}}, "123"},
        {{{"http://a/", 0, "dns"}, {"https://b:8443/", 0, "tls"}}, "1"},
        // Hosts given as addresses need no resolver: their answers prove nothing of it.
        {{{"http://a/", 0, "dns"}, {"https://[::1]:8443/", 0, "tls"}, {"http://127.0.0.1/", 200, ""}},
         ""},
        {{{"http://a/", 0, "refused"}, {"http://b/", 0, "dns"}}, "2"},
        // A redirect to a dead host: the first host answered.
        {{{"http://a/", 0, "dns", "http://dead/"}, {"http://a/ok", 200, ""}}, "1"},
        // 404 and 410 are gone whatever the resolver did.
        {{{"http://a/", 410, ""}, {"http://a/", 500, ""}, {"http://b/", 0, "refused"}}, "1"},
    };
    for (const Case& c : cases) {
        std::vector<CheckedLink> links;
        for (const Link& link : c.links) {
            LinkResult result;
            result.url = link.url;
            result.status = link.status;
            result.error = link.error;
            result.finalUrl = link.finalUrl;
            links.push_back({{nullptr, links.size() + 1}, result});
        }
        std::string broken;
        for (const NodeRef& entry : BrokenForGood(links)) broken += std::to_string(entry.serial);
        EXPECT_EQ(broken, c.broken) << c.links.front().url << " " << c.links.size();
    }
    // More than half of the checked and more than a handful take the user's word.
    const std::tuple<std::size_t, std::size_t, bool> shares[] = {
        {5, 5, false}, {6, 12, false}, {6, 11, true}, {51, 100, true}, {50, 100, false}, {0, 0, false},
    };
    for (const auto& [moving, checked, asked] : shares) {
        EXPECT_EQ(TooManyToMove(moving, checked), asked) << moving << " of " << checked;
    }
}
