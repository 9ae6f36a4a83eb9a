// pernard-cli search, duplicates and report: their output and exit codes.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliRun.h"
#include "model/LinkCheck.h"
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
        const pernard::testing::ScopedVariable fakeHome("HOME", home.Path().string().c_str());
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

TEST(CliDuplicates, MatchLevelsNameTheRuleThatMatched) {
    TempDir temp;
    const std::string file = temp.Write("d.htm",
                                        "<TITLE>R</TITLE>\n<DL><p>\n"
                                        "<DT><A HREF=\"http://a.example/x\">a</A>\n"
                                        "<DT><A HREF=\"HTTP://A.example:80/x\">b</A>\n"
                                        "<DT><A HREF=\"https://www.a.example/x/#top\">c</A>\n"
                                        "<DT><A HREF=\"javascript:void(0)\">d</A>\n"
                                        "<DT><A HREF=\"JavaScript:void(0)\">e</A>\n"
                                        "</DL><p>\n");
    const std::string line = CheckLogLine("http://a.example/x", "a");
    EXPECT_EQ(RunWith({"duplicates", file}).out, "重複有り : 0 件\n");
    CliRun run = RunWith({"duplicates", "--match", "same", file});
    EXPECT_EQ(run.status, 0);
    // Each line: the earliest entry, the rule, then the later entry the rule matched.
    const std::string b = "\tsame\tHTTP://A.example:80/x\tb\n";
    EXPECT_EQ(run.out, line + b + "重複有り : 1 件\n");
    run = RunWith({"duplicates", "--match", "loose", file});
    EXPECT_EQ(run.out, line + b + line +
                           "\tloose:fragment,slash,www,scheme\thttps://www.a.example/x/#top\tc\n"
                           "重複有り : 2 件\n");
    run = RunWith({"duplicates", "--match", "loose", "--loose-ignore", "fragment,slash,www", file});
    EXPECT_EQ(run.out, line + b + "重複有り : 1 件\n");
    for (const std::vector<std::string>& wrong : {
             std::vector<std::string>{"duplicates", "--match", "fuzzy", file},
             {"duplicates", "--match", "same", "--loose-ignore", "www", file},
             {"duplicates", "--match", "loose", "--loose-ignore", "www,case", file},
         }) {
        run = RunWith(wrong);
        EXPECT_EQ(run.status, 2) << wrong[2];
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
}

TEST(CliDedupe, KeepsOneEntryPerGroupMergesFoldersAndWritesAsSaveDoes) {
    TempDir temp;
    const std::string file =
        temp.Write("d.htm",
                   "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                   "<TITLE>R</TITLE>\n<DL><p>\n"
                   "<DT><H3>F</H3>\n<DL><p>\n"
                   "<DT><A HREF=\"http://a.example/x\" ADD_DATE=\"300\">a</A>\n</DL><p>\n"
                   "<DT><A HREF=\"http://A.example/x\" ADD_DATE=\"100\">b</A>\n"
                   "<HR>\n<DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">F</H3>\n<DD>the bar\n<DL><p>\n"
                   "<DT><A HREF=\"http://a.example/x/\" ADD_DATE=\"200\">c</A>\n"
                   "<DT><A HREF=\"http://other.example/\">o</A>\n</DL><p>\n"
                   "</DL><p>\n");
    const std::string out = (temp.Path() / "out.htm").string();
    auto shape = [&] {
        const std::string table = RunWith({"list", out}).out;
        std::string names;
        std::size_t start = 0;
        while (start < table.size()) {
            const std::size_t end = table.find('\n', start);
            const std::string row = table.substr(start, end - start);
            std::size_t field = 0;
            for (int k = 0; k < 3; ++k) field = row.find('\t', field) + 1;
            names += row.substr(field, row.find('\t', field) - field) + " ";
            start = end + 1;
        }
        return names;
    };
    CliRun run = RunWith({"dedupe", "--match", "same", "--keep", "oldest", file, "--to", out});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("重複の削除 : 1 件"), std::string::npos);
    EXPECT_EQ(shape(), "R F b F c o ");
    run = RunWith({"dedupe", "--match", "loose", "--to-folder", "重複", "--merge-folders", file,
                   "--to", out});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("同名フォルダーの統合 : 1 件"), std::string::npos);
    EXPECT_NE(run.err.find("重複の移動 : 2 件（フォルダー「重複」を 1 個作成）"),
              std::string::npos);
    // Merged first: c went into the first F, before b in table order.
    EXPECT_EQ(shape(), "R F a o 重複 c b ");
    // The merged folder keeps the later one's toolbar mark and description.
    const std::string merged = pernard::testing::ReadBytes(out);
    EXPECT_NE(merged.find(" PERSONAL_TOOLBAR_FOLDER=\"true\">F</H3>"), std::string::npos);
    // The separator before the later folder stays, with the entry it came to stand before.
    EXPECT_EQ(merged.find("<HR>"), merged.rfind("<HR>"));
    EXPECT_NE(merged.find("<HR>"), std::string::npos);
    EXPECT_NE(merged.find("<DD>the bar"), std::string::npos)
        << merged;
    // The source stays as it was.
    EXPECT_EQ(RunWith({"dedupe", file, "--to", out}).status, 0);
    EXPECT_EQ(shape(), "R F a b F c o ");

    for (const std::vector<std::string>& wrong : {
             std::vector<std::string>{"dedupe", file},
             {"dedupe", "--keep", "best", file, "--to", out},
             {"dedupe", "--to-folder", "", file, "--to", out},
             {"dedupe", "--match", "loose", "--loose-ignore", "x", file, "--to", out},
             {"dedupe", file, "--to", out, "--root", "1"},
         }) {
        EXPECT_EQ(RunWith(wrong).status, 2) << wrong[1];
    }
}

// What a careful user tried: each group keeps an entry in the root written, whatever else was
// loaded, and a bookmark without a URL is nobody's duplicate.
TEST(CliDedupe, EveryPageStaysInTheFileWritten) {
    TempDir temp;
    const std::string a =
        temp.Write("a.htm",
                   "<TITLE>A</TITLE><DL><p>\n<DT><A HREF=\"http://x.example/\" ADD_DATE=\"1\">X in "
                   "A</A>\n<DT><A HREF=\"\">note 1</A>\n<DT><A HREF=\"\">note 2</A>\n</DL><p>\n");
    const std::string b =
        temp.Write("b.htm",
                   "<TITLE>B</TITLE><DL><p>\n<DT><A HREF=\"http://x.example/\" ADD_DATE=\"2\">X in "
                   "B</A>\n</DL><p>\n");
    const std::string out = (temp.Path() / "out.htm").string();
    struct Case {
        std::vector<std::string> arguments;
        const char* kept;  // what the written file must still hold
    };
    const Case cases[] = {
        {{"dedupe", "--keep", "newest", a, b, "--to", out}, "X in A"},
        {{"dedupe", a, a, "--root", "4", "--to", out}, "X in A"},
        {{"dedupe", a, "--to", out}, "note 2"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunWith(c.arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(RunWith({"list", out}).out.find(c.kept), std::string::npos) << c.arguments[2];
    }
    // The clean-up of a check changes only what is then written.
    EXPECT_EQ(RunWith({"check", a, "--fix-redirects"}).status, 2);
    EXPECT_EQ(RunWith({"check", a, "--move-broken", "x"}).status, 2);
    // A redirect keeps the bookmark's place in the page.
    EXPECT_EQ(RedirectedUrl("http://a/p#part-3", "http://a/q"), "http://a/q#part-3");
    EXPECT_EQ(RedirectedUrl("http://a/p#part-3", "http://a/q#top"), "http://a/q#top");
}

TEST(CliCheck, FixesRedirectsAndMovesBrokenLinksBeforeSaving) {
    pernard::testing::LocalHttpServer server;
    TempDir temp;
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(pernard::testing::LocalHttpServer::ClosedPort()) + "/";
    std::string anchors;
    for (const char* path : {"/moved", "/moved308", "/found", "/missing", "/gone", "/error"}) {
        anchors += "<DT><A HREF=\"" + server.Url(path) + "\">" + std::string(path + 1) + "</A>\n";
    }
    const std::string file = temp.Write(
        "c.htm", "<TITLE>R</TITLE>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n" + anchors +
                     "</DL><p>\n<DT><A HREF=\"" + refused + "\">refused</A>\n</DL><p>\n");
    const std::string saved = (temp.Path() / "saved.htm").string();
    auto rows = [&] {
        const std::string table = RunWith({"list", saved}).out;
        std::string shape;
        std::size_t start = 0;
        while (start < table.size()) {
            const std::size_t end = table.find('\n', start);
            std::string row = table.substr(start, end - start);
            // index, parent, kind, name, URL
            std::size_t cut = 0;
            for (int k = 0; k < 5; ++k) cut = row.find('\t', cut) + 1;
            shape += row.substr(0, cut - 1) + "\n";
            start = end + 1;
        }
        return shape;
    };
    const std::string ok = server.Url("/ok");
    CliRun run =
        RunWith({"check", file, "--fix-redirects", "--move-broken", "切れ", "--to", saved});
    EXPECT_EQ(run.status, 1);  // broken and failed links remain
    EXPECT_NE(run.err.find("リダイレクト先への置換 : 2 件"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("リンク切れの移動 : 2 件（フォルダー「切れ」を 1 個作成）"),
              std::string::npos);
    EXPECT_EQ(rows(),
              "0\t-1\troot\tR\t---\n1\t0\tfolder\tF\t---\n"
              "2\t1\turl\tmoved\t" +
                  ok + "\n3\t1\turl\tmoved308\t" + ok + "\n4\t1\turl\tfound\t" +
                  server.Url("/found") + "\n5\t1\turl\terror\t" + server.Url("/error") +
                  "\n6\t0\turl\trefused\t" + refused +
                  "\n7\t0\tfolder\t切れ\t---\n"
                  "8\t7\turl\tmissing\t" +
                  server.Url("/missing") + "\n9\t7\turl\tgone\t" + server.Url("/gone") + "\n");
    run = RunWith({"check", file, "--fix-redirects=all", "--to", saved});
    EXPECT_NE(run.err.find("リダイレクト先への置換 : 3 件"), std::string::npos) << run.err;
    EXPECT_NE(rows().find("4\t1\turl\tfound\t" + ok + "\n"), std::string::npos);
    EXPECT_EQ(RunWith({"check", file, "--move-broken", ""}).status, 2);

    // Six of seven gone at once: moved only with --force; without it nothing is written.
    std::string many;
    for (int k = 0; k < 6; ++k) {
        many += "<DT><A HREF=\"" + server.Url(k % 2 == 0 ? "/missing" : "/gone") + "\">m</A>\n";
    }
    const std::string manyFile =
        temp.Write("many.htm", "<TITLE>R</TITLE>\n<DL><p>\n<DT><A HREF=\"" + ok + "\">ok</A>\n" +
                                   many + "</DL><p>\n");
    const std::string manySaved = (temp.Path() / "many-saved.htm").string();
    run = RunWith({"check", manyFile, "--move-broken", "切れ", "--to", manySaved});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("チェックした 7 件のうち 6 件"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("--force"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(manySaved));
    run = RunWith({"check", manyFile, "--move-broken", "切れ", "--to", manySaved, "--force"});
    EXPECT_NE(run.err.find("リンク切れの移動 : 6 件"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::exists(manySaved));
}
