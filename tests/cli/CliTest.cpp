#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliRun.h"
#include "cli/CliSession.h"
#include "support/PlacesFixture.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::CliRun;
using pernard::testing::RunWith;
using pernard::testing::TempDir;

TEST(Cli, ListPrintsTheTable) {
    TempDir temp;
    const std::string a = temp.Write(
        "a.htm", pernard::testing::ToCp932(
                     "<TITLE>ルート</TITLE>\r\n<DL><p>\r\n<DT><H3>フォルダ</H3>\r\n<DL><p>\r\n"
                     "<DT><A HREF=\"http://a/\" ADD_DATE=\"1\" LAST_VISIT=\"2\" "
                     "LAST_MODIFIED=\"3\">tab&#9;in\\name</A>\r\n"));
    const std::string b =
        temp.Write("b.htm", "<TITLE>B</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">dup</A>\n");
    CliRun run = RunWith({"list", a, b});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0\t-1\troot\tルート\t---\tNetscape Navigator\t" + a +
                           "\t\n"
                           "1\t0\tfolder\tフォルダ\t---\t\t\t\n"
                           "2\t1\turl\ttab\\tin\\\\name\thttp://a/\t1\t2\t3\n"
                           "3\t-1\troot\tB\t---\tNetscape Navigator\t" +
                           b +
                           "\t\n"
                           "4\t3\turl\tdup\thttp://a/\t\t\t\n");

    run = RunWith({"list", "--skip-duplicates", "--max-url", "4", a, b});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.substr(run.out.rfind("\n", run.out.size() - 2) + 1, 2), "3\t");
    // Said once: the reader returns what stopped it, the command line prints it.
    EXPECT_EQ(run.err, "エラー URL MAX !!  設定のMAX値を修正して下さい\n");
}

TEST(Cli, ListPrintsAFoldersLastModificationWhateverItsSource) {
    TempDir temp;
    const std::string places = (temp.Path() / "places.sqlite").string();
    {
        pernard::testing::PlacesFixture fixture(places);
        fixture.Folder(pernard::testing::PlacesFixture::kMenu, "F", 0, 1700000300LL * 1000000);
    }
    const std::string sources[] = {
        temp.Write(
            "a.htm",
            "<TITLE>A</TITLE>\n<DL><p>\n<DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"1700000300\">F"
            "</H3>\n<DL><p>\n</DL><p>\n"),
        temp.Write("Bookmarks",
                   "{\"roots\": {\"other\": {\"type\": \"folder\", \"children\": ["
                   "{\"type\": \"folder\", \"name\": \"F\", "
                   "\"date_modified\": \"13344473900000000\"}]}}}"),
        places,
    };
    for (const std::string& source : sources) {
        const CliRun run = RunWith({"list", source});
        EXPECT_EQ(run.status, 0) << source;
        const std::size_t line = run.out.find("\tfolder\tF\t");
        ASSERT_NE(line, std::string::npos) << run.out;
        EXPECT_EQ(run.out.substr(run.out.find('\n', line) - 11, 12), "\t1700000300\n") << run.out;
    }
}

TEST(Cli, FailuresAndUsage) {
    CliRun run = RunWith({"list", "/no/such.htm"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "エラー Not Found Bookmark : /no/such.htm\n");
    EXPECT_EQ(RunWith({}).status, 2);
    EXPECT_EQ(RunWith({"list"}).status, 2);
    EXPECT_EQ(RunWith({"list", "--bogus", "x"}).status, 2);
    EXPECT_EQ(RunWith({"list", "--max-url"}).status, 2);
    EXPECT_EQ(RunWith({"frobnicate"}).status, 2);
    EXPECT_EQ(RunWith({"list", "--max-url", "many", "x.htm"}).status, 1);
    // Help, however it is asked for, goes to the output and succeeds.
    for (const std::vector<std::string>& asked : {std::vector<std::string>{"--help"},
                                                  {"help"},
                                                  {"list", "--help"},
                                                  {"save", "x", "--help"}}) {
        const CliRun help = RunWith(asked);
        EXPECT_EQ(help.status, 0) << asked.back();
        EXPECT_NE(help.out.find("usage:"), std::string::npos) << asked.back();
    }
}

TEST(Cli, EscapeField) {
    EXPECT_EQ(EscapeField("a\\b\tc\rd\ne"), "a\\\\b\\tc\\rd\\ne");
    EXPECT_EQ(EscapeField(std::string_view("n\0ul", 4)), "n\\0ul");
    EXPECT_EQ(EscapeField("plain"), "plain");
    // Escapes at word edges, and bytes below 14 that stay as they are.
    EXPECT_EQ(EscapeField("0123456\\89\x0b\x0c\x01"
                          "bcde\tghijklm\n"),
              "0123456\\\\89\x0b\x0c\x01"
              "bcde\\tghijklm\\n");
}

TEST(Cli, SaveWritesAFileOrAFavoritesDirectory) {
    TempDir temp;
    const std::string a = temp.Write("a.htm",
                                     "<TITLE>A</TITLE>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n"
                                     "<DT><A HREF=\"http://a/\">a</A>\n");
    const std::string b =
        temp.Write("b.htm", "<TITLE>B</TITLE>\n<DL><p>\n<DT><A HREF=\"http://b/\">b</A>\n");
    const std::string out = (temp.Path() / "out.htm").string();
    CliRun run = RunWith({"save", a, b, "--to", out, "--root", "3"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(pernard::testing::ReadBytes(out).find("http://b/"), std::string::npos);
    EXPECT_EQ(pernard::testing::ReadBytes(out).find("http://a/"), std::string::npos);

    const std::string favorites = (temp.Path() / "new" / "Favorites").string();
    run = RunWith({"save", a, "--to-favorites", favorites});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(pernard::testing::ReadBytes(favorites + "/F/a.url"),
              "[InternetShortcut]\r\nURL=http://a/\r\n");
    // A directory with something in it is never touched.
    run = RunWith({"save", a, "--to-favorites", favorites});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not an empty directory"), std::string::npos);
    // The saved directory reads back as a source.
    run = RunWith({"list", favorites});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("1\t0\tfolder\tF\t---"), std::string::npos);
    EXPECT_NE(run.out.find("2\t1\turl\ta\thttp://a/"), std::string::npos);
}

TEST(Cli, SaveToFavoritesWithRenamedEntriesSucceeds) {
    TempDir temp;
    const std::string a =
        temp.Write("a.htm",
                   "<TITLE>A</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">Same</A>\n"
                   "<DT><A HREF=\"http://b/\">same</A>\n");
    const std::string favorites = (temp.Path() / "Favorites").string();
    const CliRun run = RunWith({"save", a, "--to-favorites", favorites});
    // The second entry was written under a free name: nothing is missing, so it is a success.
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("same (2)"), std::string::npos);
    EXPECT_NE(run.err.find("名前を変えて保存 : 1 件"), std::string::npos);
    EXPECT_EQ(pernard::testing::ReadBytes(favorites + "/same (2).url"),
              "[InternetShortcut]\r\nURL=http://b/\r\n");
}

TEST(Cli, SaveUsage) {
    TempDir temp;
    const std::string a = temp.Write("a.htm", "<TITLE>A</TITLE>\n");
    EXPECT_EQ(RunWith({"save", a}).status, 2);
    EXPECT_EQ(RunWith({"save", a, "--to", "x", "--to-favorites", "y"}).status, 2);
    EXPECT_EQ(RunWith({"save", a, "--to", "x", "--root", "7"}).status, 2);
    EXPECT_EQ(RunWith({"save", a, "--to", "x", "--root", "one"}).status, 2);
    EXPECT_EQ(RunWith({"list", "--to", "x", a}).status, 2);
    EXPECT_EQ(RunWith({"save", "/no/such.htm", "--to", (temp.Path() / "o.htm").string()}).status,
              1);
}

TEST(Cli, NoEmptyFoldersCleansEachRead) {
    TempDir temp;
    const std::string a =
        temp.Write("a.htm",
                   "<TITLE>A</TITLE>\n<DL><p>\n<DT><H3>Empty</H3>\n<DL><p>\n</DL><p>\n"
                   "<DT><A HREF=\"http://a/\">a</A>\n");
    CliRun run = RunWith({"list", "--no-empty-folders", a, a});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find("Empty"), std::string::npos);
    EXPECT_NE(run.err.find("削除フォルダー ： 1 件"), std::string::npos);
}

TEST(Cli, WhatIsNoBookmarkFileSaysSo) {
    TempDir temp;
    // A JSON export that is no browser's store holds no bookmark structure: 0 entries and a
    // failure, not an empty success.
    const std::string json =
        temp.Write("bookmarks.json", "[{\"url\": \"http://a/\", \"title\": \"a\"}]\n");
    CliRun run = RunWith({"list", json});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ブックマークが見つかりません"), std::string::npos);
    // A single shortcut is a collection of that one bookmark, under its directory.
    const std::string shortcut =
        temp.Write("Links/Example.URL", "[InternetShortcut]\r\nURL=http://example.com/\r\n");
    run = RunWith({"list", shortcut});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("0\t-1\troot\t" + (temp.Path() / "Links").string()), std::string::npos);
    EXPECT_NE(run.out.find("1\t0\turl\tExample\thttp://example.com/"), std::string::npos);
    run = RunWith({"list", (temp.Path() / "missing.htm").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Not Found Bookmark"), std::string::npos);
}

TEST(Cli, AnEncodingForFilesThatDoNotSay) {
    TempDir temp;
    const std::string gbk = temp.Write("gbk.htm",
                                       "<TITLE>T</TITLE>\n<DL><p>\n"
                                       "<DT><A HREF=\"http://cn/\">\xD6\xD0\xB9\xFA</A>\n");
    CliRun run = RunWith({"list", "--encoding", "GBK", gbk});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("中国"), std::string::npos);
    run = RunWith({"list", "--encoding", "no-such-encoding", gbk});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unknown encoding"), std::string::npos);
}

TEST(Cli, SaveKeepsTheFilesEncodingOrWritesUtf8WhenAsked) {
    TempDir temp;
    const std::string gbk = temp.Write("gbk.htm",
                                       "<META charset=\"GBK\">\n<TITLE>T</TITLE>\n<DL><p>\n"
                                       "<DT><A HREF=\"http://cn/\">\xD6\xD0\xB9\xFA \xFF</A>\n");
    const std::string own = (temp.Path() / "own.htm").string();
    CliRun run = RunWith({"save", gbk, "--to", own});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string bytes = pernard::testing::ReadBytes(own);
    EXPECT_NE(bytes.find("charset=GBK"), std::string::npos);
    // Every byte it was read with goes back, the one that did not decode too.
    EXPECT_NE(bytes.find("\">\xD6\xD0\xB9\xFA \xFF</A>"), std::string::npos);

    const std::string utf8 = (temp.Path() / "utf8.htm").string();
    run = RunWith({"save", gbk, "--to", utf8, "--save-encoding", "UTF-8"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(pernard::testing::ReadBytes(utf8).find("charset=UTF-8"), std::string::npos);
    EXPECT_NE(pernard::testing::ReadBytes(utf8).find("\">中国 \xEF\xBF\xBD</A>"),
              std::string::npos);
    EXPECT_NE(run.err.find("U+FFFD"), std::string::npos);
    EXPECT_EQ(RunWith({"save", gbk, "--to", utf8, "--save-encoding", "GBK"}).status, 2);
}

TEST(Cli, ListExitsOneWhenAReadLeftSomethingOut) {
    TempDir temp;
    std::string deep = "{\"type\": \"url\", \"name\": \"d\", \"url\": \"http://d/\"}";
    for (int level = 0; level < 25; ++level) {
        deep = "{\"type\": \"folder\", \"name\": \"f\", \"children\": [" + deep + "]}";
    }
    const struct {
        const char* name;
        std::string bytes;
        int status;
    } cases[] = {
        {"whole.htm", "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n", 0},
        {"marker.htm",
         "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n"
         "<DT><A HREF=\"---\">m</A>\n",
         1},
        {"kind/Bookmarks",
         "{\"roots\": {\"other\": {\"type\": \"folder\", \"name\": \"O\", \"children\": ["
         "{\"type\": \"url\", \"name\": \"a\", \"url\": \"http://a/\"},"
         "{\"type\": \"widget\", \"name\": \"w\"}]}}}",
         1},
        {"deep/Bookmarks",
         "{\"roots\": {\"other\": {\"type\": \"folder\", \"name\": \"O\", \"children\": ["
         "{\"type\": \"url\", \"name\": \"a\", \"url\": \"http://a/\"}, " +
             deep + "]}}}",
         1},
    };
    for (const auto& c : cases) {
        const CliRun run = RunWith({"list", temp.Write(c.name, c.bytes)});
        EXPECT_EQ(run.status, c.status) << c.name << '\n' << run.err;
        EXPECT_NE(run.out.find("\turl\ta\t"), std::string::npos) << c.name;
    }
}

TEST(Cli, AStoreNamedByItsBareFileNameIsNamedAfterItsProfile) {
    TempDir temp;
    temp.Write("google-chrome/Profile 2/Bookmarks",
               "{\"roots\": {\"other\": {\"type\": \"folder\", \"name\": \"O\"}}}");
    const std::filesystem::path was = std::filesystem::current_path();
    std::filesystem::current_path(temp.Path() / "google-chrome" / "Profile 2");
    const CliRun bare = RunWith({"list", "Bookmarks"});
    const CliRun relative = RunWith({"list", "../Profile 2/./Bookmarks"});
    std::filesystem::current_path(was);
    for (const CliRun& run : {bare, relative}) {
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.substr(0, run.out.find('\t', 11)), "0\t-1\troot\tChrome — Profile 2");
    }
}
