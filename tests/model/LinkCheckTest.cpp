// What surrounds the link-check engine: the run's parameters and how a result reaches its entry.

#include <gtest/gtest.h>

#include "model/LinkCheck.h"
#include "model/TableBuilder.h"
#include "support/Doubles.h"

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
    ASSERT_TRUE(t.model.ResetEntryTable(error));
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
