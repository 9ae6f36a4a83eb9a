// pernard-cli search, duplicates and report: their output and exit codes.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliRun.h"
#include "support/LocalHttpServer.h"
#include "support/TestFiles.h"
#include "util/CodePage.h"

using namespace pernard;
using pernard::testing::CliRun;
using pernard::testing::RunWith;
using pernard::testing::TempDir;

namespace {

// 0 R; 1 F { 2 Ａlpha; 3 beta }; 4 gamma (same URL as beta)
class CliCollectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = temp.Write("c.htm",
                          "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                          "charset=UTF-8\">\n<TITLE>R</TITLE>\n<DL><p>\n"
                          "<DT><H3>F</H3>\n<DL><p>\n"
                          "<DT><A HREF=\"http://a/\" LAST_MODIFIED=\"1577804400\">Ａlpha</A>\n"
                          "<DT><A HREF=\"http://b/\">beta &amp; more</A>\n"
                          "</DL><p>\n"
                          "<DT><A HREF=\"http://b/\" TAGS=\"greek\">gamma</A>\n"
                          "<DD>third letter\n"
                          "</DL><p>\n");
    }
    TempDir temp;
    std::string file;
};

}  // namespace

TEST_F(CliCollectionTest, SearchPrintsOneLinePerHitAndExitsAsGrepDoes) {
    CliRun run = RunWith({"search", "--keyword", "BETA gamma", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "3\turl\tbeta & more\thttp://b/\tR > F\n4\turl\tgamma\thttp://b/\tR\n");
    EXPECT_EQ(RunWith({"search", "--keyword", "alpha", file}).status, 1);
    run = RunWith({"search", "--fold", "--keyword", "alpha", file});
    EXPECT_EQ(run.out, "2\turl\tＡlpha\thttp://a/\tR > F\n");
    run = RunWith({"search", "--url", "--keyword", "//B", file});
    EXPECT_EQ(run.out.substr(0, 2), "3\t");
    EXPECT_EQ(RunWith({"search", "--keyword", "greek third", file}).status, 1);
    run = RunWith({"search", "--notes", "--keyword", "greek", file});
    EXPECT_EQ(run.out, "4\turl\tgamma\thttp://b/\tR\n");
    EXPECT_EQ(RunWith({"search", file}).status, 2);
    EXPECT_EQ(RunWith({"search", "--keyword", "x", "/no/such.htm"}).status, 2);
}

TEST_F(CliCollectionTest, DuplicatesListsTheEarliestEntryThenTheCount) {
    const CliRun run = RunWith({"duplicates", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, CheckLogLine("http://b/", "beta & more") + "\n重複有り : 1 件\n");
}

TEST_F(CliCollectionTest, ReportWritesTheFolderOrSaysWhyNot) {
    const std::string page = (temp.Path() / "r.htm").string();
    CliRun run = RunWith({"report", file, "--folder", "1", "--title", "<T>", "--to", page});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string text = DecodeText(pernard::testing::ReadBytes(page), kCp932);
    EXPECT_NE(text.find("<TITLE>&lt;T&gt;</TITLE>"), std::string::npos);
    EXPECT_NE(text.find("<Body bgcolor=\"#000000\">"), std::string::npos);
    EXPECT_NE(text.find("beta &amp; more</a>"), std::string::npos);
    EXPECT_NE(text.find("20/01/01 00:00"), std::string::npos);

    run = RunWith({"report", file, "--folder", "2", "--to", page});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("フォルダーを指定してください"), std::string::npos);
    EXPECT_EQ(RunWith({"report", file, "--folder", "x", "--to", page}).status, 2);
    EXPECT_EQ(RunWith({"report", file, "--folder", "1"}).status, 2);
    run = RunWith({"report", file, "--folder", "0", "--expanded", "--to", page});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("保存完了 3 件"), std::string::npos);
}

TEST(CliCheck, ChecksEveryUrlPrintsALineEachAndSavesWhatItLearnt) {
    pernard::testing::LocalHttpServer server;
    TempDir temp;
    const std::string file = temp.Write(
        "c.htm", "<TITLE>R</TITLE>\n<DL><p>\n<DT><H3>Good</H3>\n<DL><p>\n<DT><A HREF=\"" +
                     server.Url("/ok") + "\">ok</A>\n<DT><A HREF=\"" + server.Url("/moved") +
                     "\">moved</A>\n</DL><p>\n<DT><A HREF=\"" + server.Url("/missing") +
                     "\">missing</A>\n</DL><p>\n");
    CliRun run = RunWith({"check", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("2\t200\t" + server.Url("/ok") + "\t1577836800\tok\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("3\t200\t" + server.Url("/ok") + "\t1577836800\tmoved\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("4\t404\t" + server.Url("/missing") + "\t\tmissing\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("ok 1, redirected 1, broken 1, failed 0\n"), std::string::npos);

    const std::string saved = (temp.Path() / "saved.htm").string();
    run = RunWith({"check", file, "--folder", "1", "--threads", "2", "--to", saved});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(
        RunWith({"list", saved}).out.find("\tok\t" + server.Url("/ok") + "\t\t\t1577836800\n"),
        std::string::npos);

    EXPECT_EQ(RunWith({"check", file, "--threads", "0"}).status, 2);
    EXPECT_EQ(RunWith({"check", file, "--threads", "33"}).status, 2);
    EXPECT_EQ(RunWith({"check", file, "--folder", "2"}).status, 2);
    EXPECT_EQ(RunWith({"check", "/no/such.htm"}).status, 2);
}

TEST(CliBrowser, TheBrowserOptionReadsTheDefaultProfileAndAStoreIsASource) {
    TempDir home;
    const std::string store = home.Write(
        ".config/chromium/Default/Bookmarks",
        "{\"roots\": {\"bookmark_bar\": {\"type\": \"folder\", \"name\": \"Bar\", \"children\": "
        "[{\"type\": \"url\", \"name\": \"a\", \"url\": \"http://a/\"}]}}}");
    CliRun byName, missing;
    {
        // Only the test's home is searched.
        const pernard::testing::ScopedVariable fakeHome("HOME", home.Path().c_str());
        const pernard::testing::ScopedVariable noConfigHome("XDG_CONFIG_HOME", nullptr);
        byName = RunWith({"list", "--browser", "chromium"});
        missing = RunWith({"list", "--browser", "firefox"});
    }
    EXPECT_EQ(byName.status, 0) << byName.err;
    EXPECT_NE(byName.out.find("2\t1\turl\ta\thttp://a/"), std::string::npos) << byName.out;
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no bookmarks of firefox found"), std::string::npos);
    // The same store named as a SOURCE; a save goes to the file named, never to the store.
    const std::string before = pernard::testing::ReadBytes(store);
    EXPECT_EQ(RunWith({"list", store}).out, byName.out);
    const CliRun intoStore = RunWith({"save", store, "--to", store});
    EXPECT_EQ(intoStore.status, 1);
    EXPECT_EQ(pernard::testing::ReadBytes(store), before);
    const std::string copy = (home.Path() / "copy.htm").string();
    EXPECT_EQ(RunWith({"save", store, "--to", copy}).status, 0);
}
