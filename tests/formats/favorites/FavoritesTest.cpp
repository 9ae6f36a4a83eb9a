#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "commands/FavoritesCommands.h"
#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "formats/favorites/FavoriteNames.h"
#include "formats/favorites/FavoritesReader.h"
#include "formats/favorites/FavoritesWriter.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::DumpTable;
using pernard::testing::ReadBytes;
using pernard::testing::TempDir;
using pernard::testing::TestModel;
namespace fs = std::filesystem;

namespace {

std::string Shortcut(const std::string& url) { return pernard::testing::ShortcutText(url); }

class FavoritesTest : public ::testing::Test {
protected:
    bool Read(const std::string& directory, bool complete = true) {
        error.clear();
        return Unpacked(LoadSource(t.model, complete, directory, SourceKind::Favorites), urls,
                        error);
    }
    std::string Fav() const { return (temp.Path() / "Favorites").string(); }

    TestModel t;
    TempDir temp;
    std::string error;
    int urls = 0;
};

}  // namespace

TEST(Shortcut, UrlOfTheInternetShortcutSection) {
    EXPECT_EQ(ShortcutUrlFromText(Shortcut("http://a/")), "http://a/");
    EXPECT_EQ(ShortcutUrlFromText("[DEFAULT]\nBASEURL=http://base/\n[internetshortcut]\n"
                                  "  url =  http://b/  \nIconIndex=1\n"),
              "http://b/");
    EXPECT_EQ(ShortcutUrlFromText("[Other]\nURL=http://no/\n"), "N/A");
    EXPECT_EQ(ShortcutUrlFromText("[InternetShortcut]\nIconIndex=1\n"), "N/A");
    EXPECT_EQ(ShortcutUrlFromText("[InternetShortcut]\nURL=http://x/?a=b=c\n"), "http://x/?a=b=c");
    EXPECT_EQ(ReadShortcutUrl("/no/such.url"), "N/A");
}

TEST(Shortcut, WrittenInCp932WithAnythingElsePercentEncoded) {
    EXPECT_EQ(ShortcutFileText("http://a/"), "[InternetShortcut]\r\nURL=http://a/\r\n");
    EXPECT_EQ(ShortcutFileText("http://日本/😀"),
              "[InternetShortcut]\r\nURL=http://\x93\xfa\x96\x7b/%F0%9F%98%80\r\n");
    EXPECT_EQ(ShortcutFileText("http://a/\r\nURL=evil"),
              "[InternetShortcut]\r\nURL=http://a/%0D%0AURL=evil\r\n");
}

TEST(Shortcut, ANewUrlChangesOnlyItsLineInTheFilesOwnEncoding) {
    // Another section's URL key and a BASEURL that is not the old URL stay.
    const std::string file =
        "[DEFAULT]\nBASEURL=http://elsewhere/\n[Other]\nURL=http://other/\n"
        "[InternetShortcut]\n  URL = http://old/\nIconIndex=3";
    EXPECT_EQ(ShortcutWithUrl(file, "http://old/"), file);
    EXPECT_EQ(ShortcutWithUrl(file, "http://new/\nx"),
              "[DEFAULT]\nBASEURL=http://elsewhere/\n[Other]\nURL=http://other/\n"
              "[InternetShortcut]\n  URL =http://new/%0Ax\nIconIndex=3");
    // A UTF-8 file stays UTF-8; a CP932 one gets CP932.
    EXPECT_EQ(ShortcutWithUrl("[InternetShortcut]\r\nURL=http://日本/\r\n", "http://東京/"),
              "[InternetShortcut]\r\nURL=http://東京/\r\n");
    EXPECT_EQ(
        ShortcutWithUrl("[InternetShortcut]\r\nURL=http://a/\r\nIconIndex=1\r\n", "http://日本/"),
        "[InternetShortcut]\r\nURL=http://\x93\xfa\x96\x7b/\r\nIconIndex=1\r\n");
    // A file without a URL keeps what it has and gets one.
    EXPECT_EQ(ShortcutWithUrl("[DEFAULT]\nX=1", "http://a/"),
              "[DEFAULT]\nX=1\r\n[InternetShortcut]\r\nURL=http://a/\r\n");
}

TEST_F(FavoritesTest, ReadsTheTreeInNameOrderFoldersFirst) {
    temp.Write("Favorites/zeta.url", Shortcut("http://z/"));
    temp.Write("Favorites/Alpha.URL", Shortcut("http://a/"));
    temp.Write("Favorites/news/NEWS.url", Shortcut("http://n1/"));
    temp.Write("Favorites/news/news.Url", Shortcut("http://n2/"));
    temp.Write("Favorites/news/inner/x.url", Shortcut("http://x/"));
    temp.Write("Favorites/Books/readme.txt", "not a shortcut");
    temp.Write("Favorites/empty-outer/.keep", "");
    fs::create_directories(temp.Path() / "Favorites" / "onlyempty" / "inner");
    temp.Write("Favorites/.hidden/h.url", Shortcut("http://hidden/"));
    temp.Write("Favorites/news/.dot.url", Shortcut("http://dot/"));
    temp.Write("Favorites/hiddenonly/.secret.url", Shortcut("http://secret/"));
    temp.Write("Favorites/日本語/サイト.url",
               pernard::testing::ToCp932(Shortcut("http://jp/ページ")));
    temp.Write("Favorites/broken.url", "[InternetShortcut]\r\nIconIndex=1\r\n");
    ASSERT_TRUE(Read(Fav()));
    EXPECT_EQ(DumpTable(t.model), "0 -1 R " + Fav() +
                                      "\n"
                                      "1 0 F Books\n"
                                      "2 0 F empty-outer\n"
                                      "3 0 F hiddenonly\n"
                                      "4 3 U .secret http://secret/\n"
                                      "5 0 F news\n"
                                      "6 5 F inner\n"
                                      "7 6 U x http://x/\n"
                                      "8 5 U .dot http://dot/\n"
                                      "9 5 U NEWS http://n1/\n"
                                      "10 5 U news http://n2/\n"
                                      "11 0 F onlyempty\n"
                                      "12 11 F inner\n"
                                      "13 0 F 日本語\n"
                                      "14 13 U サイト http://jp/ページ\n"
                                      "15 0 U Alpha http://a/\n"
                                      "16 0 U broken N/A\n"
                                      "17 0 U zeta http://z/\n");
    EXPECT_EQ(urls, 9);
    EXPECT_EQ(t.model.glAdd[0], "Internet Explorer");
    EXPECT_EQ(t.model.glVisit[0], Fav());
    EXPECT_EQ(t.progress.shown.back(), "お気に入り 読込中");
    EXPECT_EQ(t.model.Tree().Count(), t.model.glCT);
}

TEST_F(FavoritesTest, MissingDirectoryLeavesTheTable) {
    temp.Write("Favorites/a.url", Shortcut("http://a/"));
    ASSERT_TRUE(Read(Fav()));
    EXPECT_FALSE(Read(Fav() + "/nope"));
    EXPECT_EQ(error, "ディレクトリが存在しません : " + Fav() + "/nope");
    EXPECT_EQ(t.model.glCT, 2);
}

TEST_F(FavoritesTest, DuplicatesCapacityAndLinks) {
    temp.Write("Favorites/a.url", Shortcut("http://a/"));
    temp.Write("Favorites/b.url", Shortcut("http://a/"));
    temp.Write("Favorites/c.url", Shortcut("http://A/"));
    const std::string outside = temp.Write("outside/o.url", Shortcut("http://outside/"));
    fs::create_directory_symlink(temp.Path() / "outside", temp.Path() / "Favorites" / "link");
    t.settings.skipDuplicates = true;
    ASSERT_TRUE(Read(Fav()));
    // The link to a directory is not followed: it makes no folder of its own contents.
    EXPECT_EQ(DumpTable(t.model), "0 -1 R " + Fav() + "\n1 0 U a http://a/\n2 0 U c http://A/\n");
    EXPECT_EQ(urls, 2);

    t.settings.maxUrl = "2";
    EXPECT_FALSE(Read(Fav()));
    EXPECT_EQ(error, "URL MAX !!  設定のMAX値を修正して下さい");
    EXPECT_EQ(t.model.glCT, 2);
}

TEST_F(FavoritesTest, TooDeepDirectoriesAreLeftOutOnce) {
    fs::path deep = temp.Path() / "Favorites";
    for (int level = 0; level < 25; ++level) deep /= "d" + std::to_string(level);
    temp.Write(fs::relative(deep / "bottom.url", temp.Path()).string(), Shortcut("http://bottom/"));
    const ReadOutcome outcome = LoadSource(t.model, true, Fav(), SourceKind::Favorites);
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(t.model.glCT, 19);  // the root and 18 folder levels
    // A notice for the load to say once; the reader shows nothing.
    EXPECT_EQ(outcome.notices, (std::vector<std::string>{"階層 ＭＡＸ "}));
    EXPECT_TRUE(t.prompts.messages.empty());
}

TEST_F(FavoritesTest, WriteAndReadBack) {
    int count = 0;
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, true, std::string(PERNARD_EXAMPLES_DIR) + "/bookmark.htm",
                            SourceKind::BookmarkFile),
                 count, error));
    const std::string target = Fav();
    fs::create_directory(target);
    t.settings.noOverwriteQuestion = true;
    ASSERT_TRUE(SaveFavorite(t.model, target, 0));
    EXPECT_EQ(t.status.panel[0], "OK : " + std::to_string(count) + "  NG : 0");
    EXPECT_EQ(t.status.panel[1], "保存完了 " + target);
    EXPECT_FALSE(t.diagnostics.checkLogShown);
    EXPECT_EQ(ReadBytes(target + "/Google.url"),
              "[InternetShortcut]\r\nURL=https://www.google.co.jp/\r\n");

    TestModel again;
    ASSERT_TRUE(
        Unpacked(LoadSource(again.model, true, target, SourceKind::Favorites), urls, error));
    EXPECT_EQ(urls, count);
    // Names come back as the file names they were written under ("|" as "｜").
    std::multiset<std::string> before, after;
    for (int i = 1; i < t.model.glCT; ++i)
        before.insert(PortableFileName(t.model.glName[i], t.model.IsFolder(i)) + "|" +
                      std::string(t.model.glUrl[i]));
    for (int i = 1; i < again.model.glCT; ++i)
        after.insert(std::string(again.model.glName[i]) + "|" + std::string(again.model.glUrl[i]));
    EXPECT_EQ(before, after);
}

TEST_F(FavoritesTest, NamesThatCollideWithoutRegardToCaseGetFreeNames) {
    ASSERT_TRUE(Unpacked(
        LoadSource(
            t.model, true,
            temp.Write("in.htm",
                       "<TITLE>T</TITLE>\n<DL><p>\n"
                       "<DT><H3>News</H3>\n<DL><p>\n<DT><A HREF=\"http://1/\">A</A>\n</DL><p>\n"
                       "<DT><H3>news</H3>\n<DL><p>\n<DT><A HREF=\"http://2/\">a</A>\n</DL><p>\n"
                       "<DT><A HREF=\"http://3/\">Page</A>\n<DT><A HREF=\"http://4/\">PAGE</A>\n"
                       "<DT><A HREF=\"http://5/\">page</A>\n"),
            SourceKind::BookmarkFile),
        urls, error));
    const std::string target = (temp.Path() / "Favorites").string();
    fs::create_directories(target);
    t.settings.noOverwriteQuestion = true;
    ASSERT_TRUE(SaveFavorite(t.model, target, 0));
    EXPECT_EQ(t.status.panel[0], "OK : 5  NG : 0");
    EXPECT_EQ(ReadBytes(target + "/News/A.url"), Shortcut("http://1/"));
    EXPECT_EQ(ReadBytes(target + "/news (2)/a.url"), Shortcut("http://2/"));
    EXPECT_EQ(ReadBytes(target + "/PAGE (2).url"), Shortcut("http://4/"));
    EXPECT_EQ(ReadBytes(target + "/page (3).url"), Shortcut("http://5/"));
    EXPECT_EQ(t.diagnostics.checkLog.size(), 3u);
    EXPECT_EQ(t.diagnostics.checkLogStatus, "名前を変えて保存 : 3 件");
}

TEST_F(FavoritesTest, AnOverwriteSaveReplacesFilesAndLinksButWritesNothingThroughALink) {
    ASSERT_TRUE(Unpacked(LoadSource(t.model, true,
                                    temp.Write("in.htm",
                                               "<TITLE>T</TITLE>\n<DL><p>\n"
                                               "<DT><A HREF=\"http://new/1\">old</A>\n"
                                               "<DT><A HREF=\"http://new/2\">linked</A>\n"
                                               "<DT><A HREF=\"http://new/3\">fresh</A>\n"),
                                    SourceKind::BookmarkFile),
                         urls, error));
    const std::string target = (temp.Path() / "Favorites").string();
    temp.Write("Favorites/old.url", Shortcut("http://old/"));
    const std::string outside = temp.Write("outside.url", Shortcut("http://outside/"));
    fs::create_symlink(outside, target + "/linked.url");
    t.settings.noOverwriteQuestion = true;
    ASSERT_TRUE(SaveFavorite(t.model, target, 0));
    EXPECT_EQ(t.status.panel[0], "OK : 3  NG : 0");
    EXPECT_EQ(ReadBytes(target + "/old.url"), Shortcut("http://new/1"));
    EXPECT_FALSE(fs::is_symlink(target + "/linked.url"));
    EXPECT_EQ(ReadBytes(target + "/linked.url"), Shortcut("http://new/2"));
    EXPECT_EQ(ReadBytes(outside), Shortcut("http://outside/"));
    EXPECT_EQ(ReadBytes(target + "/fresh.url"), Shortcut("http://new/3"));
    EXPECT_EQ(std::distance(fs::directory_iterator(target), fs::directory_iterator()), 3);
}

TEST_F(FavoritesTest, NamesThatCannotBeFileNamesWriteNothingAnywhere) {
    ASSERT_TRUE(Unpacked(
        LoadSource(
            t.model, true,
            temp.Write("in.htm",
                       "<TITLE>T</TITLE>\n<DL><p>\n"
                       "<DT><A HREF=\"http://escape/\">../x</A>\n"
                       "<DT><H3>..</H3>\n<DL><p>\n<DT><A HREF=\"http://inside/\">in</A>\n</DL><p>\n"
                       "<DT><A HREF=\"http://empty/\"></A>\n"
                       "<DT><A HREF=\"http://ok/\">fine</A>\n"
                       "<DT><A HREF=\"http://same/1\">twin</A>\n"
                       "<DT><A HREF=\"http://same/2\">twin</A>\n"
                       "<DT><H3>empty folder</H3>\n<DL><p>\n</DL><p>\n"),
            SourceKind::BookmarkFile),
        urls, error));
    const std::string target = (temp.Path() / "out" / "Favorites").string();
    fs::create_directories(target);
    t.settings.noOverwriteQuestion = true;
    // Anything not written makes the save a failure: here the bookmark without a name. The
    // others' separators and dots become full-width, inside the target.
    EXPECT_FALSE(SaveFavorite(t.model, target, 0));
    EXPECT_EQ(t.status.panel[0], "OK : 5  NG : 1");
    EXPECT_EQ(t.diagnostics.checkLogStatus, "保存エラー : 1 件");
    EXPECT_TRUE(t.diagnostics.checkLogShown);
    ASSERT_EQ(t.diagnostics.checkLog.size(), 2u);
    EXPECT_EQ(t.diagnostics.checkLog[0], "http://empty/" + std::string(47, ' ') + " ");
    EXPECT_EQ(ReadBytes(target + "/..／x.url"), Shortcut("http://escape/"));
    EXPECT_EQ(ReadBytes(target + "/．．/in.url"), Shortcut("http://inside/"));
    // Two bookmarks of one name: the later one gets a free name and is listed, never lost.
    EXPECT_EQ(ReadBytes(target + "/twin.url"), Shortcut("http://same/1"));
    EXPECT_EQ(ReadBytes(target + "/twin (2).url"), Shortcut("http://same/2"));
    EXPECT_EQ(t.diagnostics.checkLog[1], "http://same/2" + std::string(47, ' ') + " twin (2)");
    EXPECT_TRUE(fs::is_directory(target + "/empty folder"));
    std::size_t files = 0;
    for (auto it = fs::recursive_directory_iterator(temp.Path() / "out");
         it != fs::recursive_directory_iterator(); ++it)
        ++files;
    // Favorites, ..／x.url, ．．, ．．/in.url, fine.url, twin.url, twin (2).url, empty folder
    EXPECT_EQ(files, 8u);
}

// A name a Windows file name cannot hold is saved under visible stand-ins, on Linux as on
// Windows; the collection keeps the name as it is.
TEST_F(FavoritesTest, NamesWindowsCannotHoldAreSavedUnderStandIns) {
    struct Case {
        const char* name;  // as the bookmark file writes it
        bool folder;
        const char* fileName;  // the bookmark's without ".url"
    };
    const std::vector<Case> cases = {
        {"News / Sports", false, "News ／ Sports"},
        {"Work/Projects", true, "Work／Projects"},
        {"a\\b:c*d?e&quot;f&lt;g&gt;h|i", false, "a＼b：c＊d？e＂f＜g＞h｜i"},
        {"/etc/passwd", false, "／etc／passwd"},
        {"tab&#9;and&#10;line", false, "tab␉and␊line"},
        {".", true, "．"},
        {".NET", true, "．NET"},
        {"../up", true, "．.／up"},
        {".hidden", false, ".hidden"},
        {"Inc. ", true, "Inc．　"},
        {"Inc.", false, "Inc."},
        {"CON", false, "ＣＯＮ"},
        {"nul.txt", false, "ｎｕｌ.txt"},
        {"com1", true, "ｃｏｍ１"},
        {"LPT¹ ", false, "ＬＰＴ¹ "},
        {"CONSOLE", false, "CONSOLE"},
        {"COM10", true, "COM10"},
    };
    std::string file = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (const Case& c : cases) {
        file += c.folder ? "<DT><H3>" + std::string(c.name) + "</H3>\n<DL><p>\n</DL><p>\n"
                         : "<DT><A HREF=\"http://a/\">" + std::string(c.name) + "</A>\n";
    }
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, true, temp.Write("in.htm", file), SourceKind::BookmarkFile),
                 urls, error));
    const std::string names = DumpTable(t.model);
    const std::string target = Fav();
    fs::create_directories(target);
    t.settings.noOverwriteQuestion = true;
    ASSERT_TRUE(SaveFavorite(t.model, target, 0));
    EXPECT_TRUE(t.diagnostics.checkLog.empty());
    for (const Case& c : cases) {
        const std::string path = target + "/" + c.fileName + (c.folder ? "" : ".url");
        EXPECT_TRUE(c.folder ? fs::is_directory(path) : fs::is_regular_file(path)) << c.name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(target), fs::directory_iterator()),
              static_cast<std::ptrdiff_t>(cases.size()));
    EXPECT_EQ(DumpTable(t.model), names);
    // The next read finds every entry the save wrote.
    TestModel again;
    ASSERT_TRUE(
        Unpacked(LoadSource(again.model, true, target, SourceKind::Favorites), urls, error));
    EXPECT_EQ(again.model.glCT, t.model.glCT);
}

TEST_F(FavoritesTest, OverwriteSaveOfAMissingDirectoryCreatesNothing) {
    temp.Write("Favorites/a.url", Shortcut("http://a/"));
    ASSERT_TRUE(Read(Fav()));
    t.model.SetCurrent(1);
    TableSurgery::SetName(t.model, 0, Fav() + "-renamed");
    t.prompts.nextAnswer = Answer::Yes;
    EXPECT_FALSE(SaveBM(t.model));
    EXPECT_EQ(t.prompts.questions.back(), Fav() + " を " + Fav() + "-renamed に保存します ");
    EXPECT_EQ(t.status.panel[0], "OK : 0  NG : 1");
    EXPECT_FALSE(fs::exists(Fav() + "-renamed"));
}

TEST_F(FavoritesTest, SaveAsEmptiesOnlyADirectoryNamedFavorites) {
    temp.Write("Favorites/a.url", Shortcut("http://a/"));
    ASSERT_TRUE(Read(Fav()));
    t.model.SetCurrent(0);
    for (const char* refused : {"Favorites2", "Favorites/", "my-favorites-x"}) {
        t.dialogs.nextDirectory = (temp.Path() / "out").string() + "/" + refused;
        EXPECT_FALSE(SaveAsIE(t.model)) << refused;
        EXPECT_EQ(t.prompts.messages.back(),
                  "Favorites 以外の名称のディレクトリには保存できません");
    }
    const std::string target = (temp.Path() / "out" / "FAVORITES").string();
    temp.Write("out/FAVORITES/old/stale.url", Shortcut("http://stale/"));
    const std::string keep = temp.Write("keep/precious.txt", "keep me");
    fs::create_directory_symlink(temp.Path() / "keep", temp.Path() / "out" / "FAVORITES" / "link");
    t.dialogs.nextDirectory = target;
    t.prompts.nextAnswer = Answer::Cancel;
    EXPECT_FALSE(SaveAsIE(t.model));
    EXPECT_TRUE(fs::exists(target + "/old/stale.url"));

    t.prompts.nextAnswer = Answer::Yes;
    ASSERT_TRUE(SaveAsIE(t.model));
    EXPECT_FALSE(fs::exists(target + "/old"));
    EXPECT_TRUE(fs::exists(target + "/a.url"));
    EXPECT_EQ(ReadBytes(keep), "keep me");
    EXPECT_EQ(t.status.panel[1], "Save Favorite  " + target + " 0");
    EXPECT_EQ(t.progress.caption, "");
}

// Save-as onto the directory the root was read from replaces the whole tree: never while it
// holds what the load did not read (a hidden folder, a file that is no shortcut).
TEST_F(FavoritesTest, SaveAsOntoItsOwnDirectoryKeepsWhatTheLoadDidNotRead) {
    temp.Write("Favorites/A/a.url", Shortcut("http://a/"));
    const std::string hidden = temp.Write("Favorites/.hidden/secret.url", Shortcut("http://s/"));
    const std::string notes = temp.Write("Favorites/notes.txt", "my notes");
    ASSERT_TRUE(Read(Fav()));
    t.model.SetCurrent(0);
    t.dialogs.nextDirectory = Fav();
    t.prompts.nextAnswer = Answer::Yes;
    EXPECT_FALSE(SaveAsIE(t.model));
    EXPECT_NE(t.prompts.messages.back().find("読み込まれなかったファイルやフォルダーが 2 個"),
              std::string::npos);
    EXPECT_EQ(ReadBytes(hidden), Shortcut("http://s/"));
    EXPECT_EQ(ReadBytes(notes), "my notes");
    // Once only what was read is there, save-as may replace it.
    fs::remove_all(Fav() + "/.hidden");
    fs::remove(notes);
    EXPECT_TRUE(SaveAsIE(t.model));
    EXPECT_TRUE(fs::exists(Fav() + "/A/a.url"));
}

TEST_F(FavoritesTest, AShortcutWithTheFolderMarkerAsUrlIsLeftOutSaidAndNeverRemoved) {
    temp.Write("Favorites/dashes.url", Shortcut("---"));
    temp.Write("Favorites/a.url", Shortcut("http://a/"));
    ASSERT_TRUE(Read(Fav()));
    EXPECT_EQ(DumpTable(t.model), "0 -1 R " + Fav() + "\n1 0 U a http://a/\n");
    ASSERT_FALSE(t.diagnostics.readingLog.empty());
    EXPECT_EQ(
        t.diagnostics.readingLog.back(),
        "URL が \"---\" のブックマークは読み込めません（上書保存するとファイルから失われます） : " +
            Fav() + "/dashes.url");
    t.settings.noOverwriteQuestion = true;
    t.model.SetCurrent(0);
    ASSERT_TRUE(SaveBM(t.model));
    EXPECT_EQ(ReadBytes(Fav() + "/dashes.url"), Shortcut("---"));
}
