// Browsers' own stores: a Chromium-family Bookmarks file and a Firefox places.sqlite, both
// made by the tests, read into the table and saved as a bookmark file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/CliRun.h"
#include "commands/SaveCommands.h"
#include "formats/BrowserRead.h"
#include "formats/BrowserStores.h"
#include "formats/SourceRead.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "formats/firefox/FirefoxReader.h"
#include "model/EntryExtras.h"
#include "support/Doubles.h"
#include "support/PlacesFixture.h"
#include "support/Reading.h"
#include "support/StoreListing.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::PlacesFixture;
using pernard::testing::ReadBytes;
using pernard::testing::ScopedVariable;
using pernard::testing::StoreListing;
using pernard::testing::TempDir;
using pernard::testing::TestModel;
namespace fs = std::filesystem;

namespace {

// Microseconds since 1601 for a time in seconds since 1970, as Chromium writes them.
std::string ChromeTime(long long seconds) {
    return std::to_string((seconds + 11644473600LL) * 1000000);
}

constexpr long long kSecond = 1000000;  // microseconds

std::string Listing(const BmLogic& model, int first = 1) { return StoreListing(model, first); }

// Saves root 0 as a bookmark file and reads it back: the entries of `expected`, which is what
// a browser's own export of the store holds (the folder a browser imports into written as the
// file's own list).
void ExpectSavedFileReads(TestModel& t, const TempDir& dir, const std::string& expected) {
    const std::string saved = (dir.Path() / "saved.htm").string();
    ASSERT_TRUE(WriteBookmarkFile(t.model, saved, 0));
    TestModel back;
    back.settings.maxUrl = "1000";
    int urls = 0;
    std::string error;
    ASSERT_TRUE(
        Unpacked(LoadSource(back.model, true, saved, SourceKind::BookmarkFile), urls, error))
        << error;
    EXPECT_EQ(Listing(back.model), expected);
}

}  // namespace

TEST(ChromiumStore, TheRootsFoldersDatesAndUnknownKeysOfABookmarksFile) {
    TempDir dir;
    const std::string json =
        "{\n \"checksum\": \"abc\",\n \"roots\": {\n"
        "  \"bookmark_bar\": {\"children\": [\n"
        "    {\"date_added\": \"" +
        ChromeTime(1700000000) +
        "\", \"date_last_used\": \"0\", "
        "\"guid\": \"g1\", \"id\": \"5\", \"meta_info\": {\"k\": \"v\"}, "
        "\"name\": \"日本語の名前 😀\", \"type\": \"url\", \"url\": \"https://例え.jp/\"},\n"
        "    {\"children\": [ {\"date_added\": \"" +
        ChromeTime(1700000100) +
        "\", "
        "\"date_last_used\": \"" +
        ChromeTime(1700000200) +
        "\", \"name\": \"deep\", "
        "\"type\": \"url\", \"url\": \"http://deep/\", \"new_key\": [1, {\"x\": null}]} ],\n"
        "     \"date_added\": \"0\", \"date_modified\": \"" +
        ChromeTime(1700000300) +
        "\", "
        "\"name\": \"Sub\", \"type\": \"folder\"}\n"
        "  ], \"date_added\": \"" +
        ChromeTime(1600000000) +
        "\", \"date_modified\": \"0\", "
        "\"name\": \"ブックマーク バー\", \"type\": \"folder\"},\n"
        "  \"other\": {\"children\": [], \"name\": \"その他のブックマーク\", \"type\": "
        "\"folder\"},\n"
        "  \"synced\": {\"children\": [ {\"name\": \"m\", \"type\": \"url\", \"url\": "
        "\"http://m/\"} ], \"name\": \"モバイルのブックマーク\", \"type\": \"folder\"}\n"
        " },\n \"sync_metadata\": \"xyz\",\n \"version\": 1\n}\n";
    const std::string path = dir.Write("Bookmarks", json);
    EXPECT_EQ(KindOfSource(path), SourceKind::Chromium);
    TestModel t;
    int urls = 0;
    std::string error;
    ASSERT_TRUE(Unpacked(LoadSource(t.model, true, path), urls, error)) << error;
    EXPECT_EQ(urls, 3);
    EXPECT_EQ(t.model.glName[0], StoreRootName(path, SourceKind::Chromium));
    EXPECT_EQ(t.model.SourcePath(0), path);
    EXPECT_EQ(t.model.SourceKindOf(0), SourceKind::Chromium);
    EXPECT_EQ(Listing(t.model),
              "0 F ブックマーク バー  1600000000|| PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
              "1 U 日本語の名前 😀 https://例え.jp/ 1700000000||\n"
              "1 F Sub  || LAST_MODIFIED=\"1700000300\"\n"
              "3 U deep http://deep/ 1700000100|1700000200|\n"
              "0 F その他のブックマーク  ||\n"
              "0 F モバイルのブックマーク  ||\n"
              "6 U m http://m/ ||\n");
    ExpectSavedFileReads(t, dir,
                         "0 F ブックマーク バー  1600000000|| PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
                         "1 U 日本語の名前 😀 https://例え.jp/ 1700000000||\n"
                         "1 F Sub  || LAST_MODIFIED=\"1700000300\"\n"
                         "3 U deep http://deep/ 1700000100|1700000200|\n"
                         "0 U m http://m/ ||\n");
}

// What browsers of the family keep beside Chromium's three roots, and where: each file reads as
// its browser shows it, and its save reads back as the browser's export would.
TEST(ChromiumStore, EachBrowsersOwnShapeReadsAsTheBrowserShowsIt) {
    struct Shape {
        const char* what;
        std::string json;
        std::string listing;
        std::string saved = {};  // the listing of its save read back; empty: the same
    };
    const Shape shapes[] = {
        {"a trash root is never read",
         R"({"roots": {
              "bookmark_bar": {"type": "folder", "name": "Bookmarks", "children": [
                {"type": "url", "name": "kept", "url": "http://kept/"}]},
              "other": {"type": "folder", "name": "Other", "children": []},
              "synced": {"type": "folder", "name": "Mobile", "children": []},
              "trash": {"type": "folder", "name": "Trash", "children": [
                {"type": "url", "name": "deleted", "url": "http://deleted/"}]}},
            "version": 1})",
         "0 F ブックマーク バー  || PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
         "1 U kept http://kept/ ||\n"
         "0 F その他のブックマーク  ||\n"
         "0 F モバイルのブックマーク  ||\n",
         "0 F ブックマーク バー  || PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
         "1 U kept http://kept/ ||\n"},
        {"a custom root's folders are read under the names shown, its trash is not",
         R"({"roots": {
              "bookmark_bar": {"type": "folder", "name": "Bookmarks bar", "children": []},
              "custom_root": {
                "speedDial": {"type": "folder", "name": "Speed Dial", "children": [
                  {"type": "url", "name": "dial 1", "url": "http://d1/"},
                  {"type": "folder", "name": "group", "children": [
                    {"type": "url", "name": "dial 2", "url": "http://d2/"}]}]},
                "trash": {"type": "folder", "name": "Trash", "children": [
                  {"type": "url", "name": "deleted", "url": "http://deleted/"}]},
                "unsorted": {"type": "folder", "name": "Unsorted Bookmarks", "children": [
                  {"type": "url", "name": "u", "url": "http://u/"}]},
                "userRoot": {"type": "folder", "name": "User Root", "children": [
                  {"type": "folder", "name": "mine", "children": [
                    {"type": "url", "name": "m", "url": "http://m/"}]}]}},
              "other": {"type": "folder", "name": "Other bookmarks", "children": []},
              "synced": {"type": "folder", "name": "Mobile bookmarks", "children": []}}})",
         "0 F ブックマーク バー  || PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
         "0 F その他のブックマーク  ||\n"
         "0 F モバイルのブックマーク  ||\n"
         "0 F ブックマーク  ||\n"
         "4 F mine  ||\n"
         "5 U m http://m/ ||\n"
         "0 F 未整理  ||\n"
         "7 U u http://u/ ||\n"
         "0 F スピードダイヤル  ||\n"
         "9 U dial 1 http://d1/ ||\n"
         "9 F group  ||\n"
         "11 U dial 2 http://d2/ ||\n",
         "0 F ブックマーク バー  || PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
         "0 F ブックマーク  ||\n"
         "2 F mine  ||\n"
         "3 U m http://m/ ||\n"
         "0 F 未整理  ||\n"
         "5 U u http://u/ ||\n"
         "0 F スピードダイヤル  ||\n"
         "7 U dial 1 http://d1/ ||\n"
         "7 F group  ||\n"
         "9 U dial 2 http://d2/ ||\n"},
        {"a description, a nickname and a last visit in meta_info",
         R"({"roots": {"bookmark_bar": {"type": "folder", "name": "Bookmarks",
              "meta_info": {"Description": "folder note"}, "children": [
              {"type": "url", "name": "v", "url": "http://v/",
               "date_added": "13350000000000000", "date_last_used": "0",
               "meta_info": {"Description": "first line\r\nsecond <b> & \"q\"\n\n",
                             "Nickname": "v&v", "last_visited_desktop": "13360000000000000",
                             "Speeddial": "false", "Thumbnail": "data:image/png;base64,AA=="}},
              {"type": "url", "name": "used later", "url": "http://w/",
               "date_last_used": "13370000000000000",
               "meta_info": {"last_visited_desktop": "13360000000000000", "Description": " "}}]}}})",
         "0 F ブックマーク バー  || PERSONAL_TOOLBAR_FOLDER=\"true\" dd:folder note\n"
         "1 U v http://v/ 1705526400|1715526400| SHORTCUTURL=\"v&amp;v\" "
         "dd:first line\\nsecond &lt;b&gt; &amp; &quot;q&quot;\n"
         "1 U used later http://w/ |1725526400|\n"},
        {"the roots after other members longer than any first block",
         "{\"sync_metadata\": \"" + std::string(200000, 'x') +
             "\", \"roots\": {\"other\": {\"type\": \"folder\", \"name\": \"O\", "
             "\"children\": [{\"type\": \"url\", \"name\": \"a\", \"url\": \"http://a/\"}]}}}",
         "0 F その他のブックマーク  ||\n"
         "1 U a http://a/ ||\n",
         "0 U a http://a/ ||\n"},
        {"a byte order mark before the JSON",
         "\xEF\xBB\xBF{\"roots\": {\"other\": {\"type\": \"folder\", \"name\": \"O\", "
         "\"children\": [{\"type\": \"url\", \"name\": \"a\", \"url\": \"http://a/\"}]}}}",
         "0 F その他のブックマーク  ||\n"
         "1 U a http://a/ ||\n",
         "0 U a http://a/ ||\n"},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.what);
        TempDir dir;
        const std::string path = dir.Write("Bookmarks", shape.json);
        EXPECT_EQ(KindOfSource(path), SourceKind::Chromium);
        TestModel t;
        int urls = 0;
        std::string error;
        ASSERT_TRUE(Unpacked(LoadSource(t.model, true, path), urls, error)) << error;
        EXPECT_EQ(Listing(t.model), shape.listing);
        ExpectSavedFileReads(t, dir, shape.saved.empty() ? shape.listing : shape.saved);
    }
}

TEST(ChromiumStore, WhatIsNotABookmarksFileSaysSo) {
    TempDir dir;
    TestModel t;
    int urls = 0;
    std::string error;
    const std::string broken = dir.Write("Bookmarks", "{\"roots\": {\"bookmark_bar\": [");
    EXPECT_EQ(KindOfSource(broken), SourceKind::Chromium);
    EXPECT_FALSE(Unpacked(LoadSource(t.model, true, broken, SourceKind::Chromium), urls, error));
    EXPECT_NE(error.find("Chromium"), std::string::npos);
    EXPECT_EQ(t.model.glCT, 0);
    EXPECT_EQ(KindOfSource(dir.Write("other.json", "{\"name\": 1}")), SourceKind::BookmarkFile);
}

class FirefoxStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = (dir.Path() / "places.sqlite").string();
        places = std::make_unique<PlacesFixture>(path);
        PlacesFixture& p = *places;
        const long long a =
            p.Bookmark(PlacesFixture::kMenu, "日本 A", "http://a/", 1700000000 * kSecond,
                       1700000500 * kSecond, 1700000900 * kSecond);
        p.Separator(PlacesFixture::kMenu);
        const long long folder =
            p.Folder(PlacesFixture::kMenu, "Folder", 1600000000 * kSecond, 1600000100 * kSecond);
        p.Bookmark(folder, "never visited", "http://nv/", 1650000000 * kSecond);
        p.Separator(folder);
        p.Folder(PlacesFixture::kMenu, "Empty");
        const long long b = p.Bookmark(PlacesFixture::kToolbar, "B", "http://b/");
        p.Bookmark(PlacesFixture::kUnfiled, "C", "http://c/");
        p.Bookmark(PlacesFixture::kMobile, "D 😀", "http://d/");
        p.Tag(a, "news");
        p.Tag(a, "日本");
        p.Tag(b, "news");
        p.Keyword(a, "kw");
    }
    bool Read(TestModel& t, std::string& error) {
        int urls = 0;
        return Unpacked(LoadSource(t.model, true, path), urls, error);
    }

    TempDir dir;
    std::string path;
    std::unique_ptr<PlacesFixture> places;
};

TEST_F(FirefoxStoreTest, RootsTagsKeywordsSeparatorsAndDates) {
    EXPECT_EQ(KindOfSource(path), SourceKind::Firefox);
    TestModel t;
    std::string error;
    ASSERT_TRUE(Read(t, error)) << error;
    EXPECT_EQ(t.model.SourceKindOf(0), SourceKind::Firefox);
    // Named after its browser, under any file name.
    const std::string renamed = (dir.Path() / "renamed.db").string();
    EXPECT_EQ(t.model.glName[0], StoreRootName(renamed, SourceKind::Firefox));
    EXPECT_EQ(std::string(t.model.glName[0]).rfind("Firefox — ", 0), 0u);
    EXPECT_EQ(Listing(t.model),
              "0 F ブックマークメニュー  ||\n"
              "1 U 日本 A http://a/ 1700000000|1700000900|1700000500 SHORTCUTURL=\"kw\" "
              "TAGS=\"news,日本\"\n"
              "1 F Folder  1600000000|| LAST_MODIFIED=\"1600000100\" hr1 end1\n"
              "3 U never visited http://nv/ 1650000000||\n"
              "1 F Empty  ||\n"
              "0 F ブックマークツールバー  || PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
              "6 U B http://b/ || TAGS=\"news\"\n"
              "0 F 他のブックマーク  || UNFILED_BOOKMARKS_FOLDER=\"true\"\n"
              "8 U C http://c/ ||\n"
              "0 F モバイルのブックマーク  ||\n"
              "10 U D 😀 http://d/ ||\n");
    // Written as Firefox's export writes it: the menu's entries at the top.
    ExpectSavedFileReads(t, dir,
                         "0 U 日本 A http://a/ 1700000000|1700000900|1700000500 SHORTCUTURL=\"kw\" "
                         "TAGS=\"news,日本\"\n"
                         "0 F Folder  1600000000|| LAST_MODIFIED=\"1600000100\" hr1 end1\n"
                         "2 U never visited http://nv/ 1650000000||\n"
                         "0 F Empty  ||\n"
                         "0 F ブックマークツールバー  || PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
                         "5 U B http://b/ || TAGS=\"news\"\n"
                         "0 F 他のブックマーク  || UNFILED_BOOKMARKS_FOLDER=\"true\"\n"
                         "7 U C http://c/ ||\n"
                         "0 F モバイルのブックマーク  ||\n"
                         "9 U D 😀 http://d/ ||\n");
}

TEST_F(FirefoxStoreTest, AnotherConnectionWritingMeanwhileIsNeitherDisturbedNorRead) {
    // Firefox holds the database open with a write under way.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other,
                           "BEGIN IMMEDIATE; INSERT INTO moz_places (url, title) VALUES "
                           "('http://uncommitted/', 'u');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const std::string database = ReadBytes(path);
    const std::string log = ReadBytes(path + "-wal");
    TestModel t;
    std::string error;
    ASSERT_TRUE(Read(t, error)) << error;
    EXPECT_EQ(t.model.glCT, 12);
    // The profile's files are as they were, and nothing was left beside them.
    EXPECT_EQ(ReadBytes(path), database);
    EXPECT_EQ(ReadBytes(path + "-wal"), log);
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.rfind("places.sqlite", 0) == 0) << name;
    }
    // The other connection commits what it wrote; the next read sees it.
    EXPECT_EQ(sqlite3_exec(other,
                           "INSERT INTO moz_bookmarks (type, fk, parent, position, title) "
                           "VALUES (1, last_insert_rowid(), 5, 9, 'u'); COMMIT;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    TestModel again;
    ASSERT_TRUE(Read(again, error)) << error;
    EXPECT_EQ(again.model.glCT, 13);
}

TEST_F(FirefoxStoreTest, AProfilesWriteAheadLogIsReadFromTheCopyAndLeftAsItWas) {
    // Firefox's last commits are still in places.sqlite-wal, not yet in the database (it runs,
    // or it ended without bringing the log in). The profile holds the two files as they are
    // while the fixture's connection stays open; no other connection has them open.
    places->Bookmark(PlacesFixture::kUnfiled, "in the log", "http://wal/");
    const std::string database = ReadBytes(path);
    const std::string log = ReadBytes(path + "-wal");
    ASSERT_FALSE(log.empty());
    const std::string profile = dir.Write("profile/places.sqlite", database);
    dir.Write("profile/places.sqlite-wal", log);
    TestModel t;
    int urls = 0;
    std::string error;
    ASSERT_TRUE(Unpacked(LoadSource(t.model, true, profile, SourceKind::Firefox), urls, error))
        << error;
    EXPECT_NE(Listing(t.model).find("U in the log http://wal/"), std::string::npos);
    // Opened in place, the log would have been brought into the database and removed, and an
    // index file made beside them.
    EXPECT_TRUE(ReadBytes(profile) == database) << "the database changed";
    EXPECT_TRUE(ReadBytes(profile + "-wal") == log) << "the log changed";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "profile"), {}), 2);
    // What was read came from the log: the database alone does not hold it.
    const std::string alone = dir.Write("alone/places.sqlite", database);
    TestModel without;
    const bool read =
        Unpacked(LoadSource(without.model, true, alone, SourceKind::Firefox), urls, error);
    EXPECT_TRUE(!read || Listing(without.model).find("http://wal/") == std::string::npos);
}

TEST_F(FirefoxStoreTest, TextThatIsNoUtf8IsShownAsTextThatDidNotDecode) {
    places->Bookmark(PlacesFixture::kUnfiled, "bad \xFF title", "http://bad/\xC3");
    const pernard::testing::CliRun run = pernard::testing::RunWith({"list", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\turl\tbad \uFFFD title\thttp://bad/\uFFFD\t"), std::string::npos)
        << run.out;
    EXPECT_NE(run.err.find("変換できないバイト 2 個をそのまま保持しました"), std::string::npos)
        << run.err;
}

TEST_F(FirefoxStoreTest, TheCopyIsPrivateAndGoesWhicheverWayTheReadEnds) {
    // The reader's temporary directory is the test's own, to see what is left in it.
    const fs::path temporary = dir.Path() / "tmp";
    fs::create_directory(temporary);
    const ScopedVariable tmpdir("TMPDIR", temporary.string().c_str());
    // The copy's directory and files with their modes, as the reader has them before it reads.
    std::string seen;
    auto mode = [](const fs::path& path) {
        char octal[8];
        std::snprintf(octal, sizeof octal, " %03o",
                      static_cast<unsigned>(fs::status(path).permissions() & fs::perms::mask));
        return std::string(octal);
    };
    SetPlacesCopyObserver([&](const fs::path& copy) {
        seen = (copy.parent_path() == temporary ? "in TMPDIR" : copy.string()) + mode(copy);
        std::vector<std::string> files;
        for (const auto& file : fs::directory_iterator(copy)) {
            files.push_back(" " + file.path().filename().string() + mode(file.path()));
        }
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) seen += file;
    });
    struct Reset {
        ~Reset() { SetPlacesCopyObserver(nullptr); }
    } reset;
    const std::string none = (dir.Path() / "none.sqlite").string();
    PlacesFixture(none).Run("DROP TABLE moz_bookmarks");
    const std::string database = ReadBytes(path);
    const std::string unreadableLog = dir.Write("log/places.sqlite", database);
    fs::create_directory(unreadableLog + "-wal");  // a log that cannot be copied
    // favicons.sqlite beside the database is copied with it; one that is no database only
    // means no icons.
    fs::create_directory(dir.Path() / "icons");
    const std::string withIcons = (dir.Path() / "icons/places.sqlite").string();
    PlacesFixture icons(withIcons);
    icons.RootIcon("http://a/favicon.ico", "\x89PNG\r\n\x1A\n", 16);
    const std::string brokenIcons = dir.Write("broken/places.sqlite", database);
    dir.Write("broken/places.sqlite-wal", ReadBytes(path + "-wal"));
    dir.Write("broken/favicons.sqlite", "no database");
    struct Case {
        std::string source;
        bool read;
        std::string seen;
    };
    const Case cases[] = {
        {path, true, "in TMPDIR 700 places.sqlite 600 places.sqlite-wal 600"},
        {none, false, "in TMPDIR 700 places.sqlite 600"},
        {unreadableLog, false, ""},
        {withIcons, true,
         "in TMPDIR 700 favicons.sqlite 600 favicons.sqlite-wal 600 places.sqlite 600 "
         "places.sqlite-wal 600"},
        {brokenIcons, true,
         "in TMPDIR 700 favicons.sqlite 600 places.sqlite 600 places.sqlite-wal 600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        seen.clear();
        TestModel t;
        int urls = 0;
        std::string error;
        EXPECT_EQ(Unpacked(LoadSource(t.model, true, c.source, SourceKind::Firefox), urls, error),
                  c.read)
            << error;
        EXPECT_EQ(seen, c.seen);
        EXPECT_TRUE(fs::is_empty(temporary)) << "the copy was left behind";
    }
}

TEST_F(FirefoxStoreTest, WhatIsNotAPlacesDatabaseSaysSo) {
    TestModel t;
    int urls = 0;
    std::string error;
    const std::string other = (dir.Path() / "other.sqlite").string();
    {
        PlacesFixture empty(other);
        empty.Run("DROP TABLE moz_bookmarks");
    }
    EXPECT_FALSE(Unpacked(LoadSource(t.model, true, other, SourceKind::Firefox), urls, error));
    EXPECT_NE(error.find("places.sqlite"), std::string::npos);
    EXPECT_FALSE(Unpacked(LoadSource(t.model, true, "/no/such/places.sqlite", SourceKind::Firefox),
                          urls, error));
}

TEST_F(FirefoxStoreTest, TheOverwriteSaveAsksForAFileAndNeverWritesTheStore) {
    for (const std::string& store : {path}) {
        const std::string before = ReadBytes(store);
        TestModel t;
        t.settings.noOverwriteQuestion = true;
        int urls = 0;
        std::string error;
        ASSERT_TRUE(Unpacked(LoadSource(t.model, true, store), urls, error)) << error;
        ASSERT_EQ(t.model.glName[3], "Folder");
        ASSERT_TRUE(t.model.EditFolderEntry(3, "renamed", ""));
        // Cancelled: nothing saved, still changed.
        t.model.SetCurrent(3);
        EXPECT_FALSE(SaveBM(t.model));
        EXPECT_NE(t.prompts.messages.back().find("読み込み専用"), std::string::npos);
        EXPECT_FALSE(t.model.ChangedRoots().empty());
        // Even when the store itself is chosen, it is refused.
        t.dialogs.nextFile = store;
        EXPECT_FALSE(SaveBM(t.model));
        EXPECT_EQ(ReadBytes(store), before);
        // A file of the user's choice takes it, and the collection counts as saved.
        t.dialogs.nextFile = (dir.Path() / "saved.htm").string();
        EXPECT_TRUE(SaveBM(t.model));
        EXPECT_TRUE(t.model.ChangedRoots().empty());
        EXPECT_NE(ReadBytes(t.dialogs.nextFile).find("renamed"), std::string::npos);
        EXPECT_EQ(ReadBytes(store), before);
    }
}

TEST(BrowserStores, EachBrowsersDefaultProfileIsFoundFirst) {
    TempDir home;
    const std::string json = "{\"roots\": {}}";
    home.Write(".config/google-chrome/Profile 10/Bookmarks", json);
    home.Write(".config/google-chrome/Profile 2/Bookmarks", json);
    home.Write(".config/google-chrome/Default/Bookmarks", json);
    home.Write(".config/google-chrome/System Profile/Bookmarks", json);
    home.Write(".config/BraveSoftware/Brave-Browser/Default/Bookmarks", json);
    home.Write("snap/chromium/common/chromium/Default/Bookmarks", json);
    home.Write(".config/opera/Bookmarks", json);
    home.Write(".config/vivaldi/Default/Preferences", "{}");  // no bookmarks yet
    // Firefox: the installation's default is not the profile marked Default=1.
    home.Write(".mozilla/firefox/profiles.ini",
               "[Profile1]\nName=old\nIsRelative=1\nPath=abc.old\nDefault=1\n\n"
               "[Profile0]\nName=default-release\nIsRelative=1\nPath=xyz.default-release\n\n"
               "[Install4F96D1932A9F858E]\nDefault=xyz.default-release\nLocked=1\n");
    home.Write(".mozilla/firefox/abc.old/places.sqlite", "");
    home.Write(".mozilla/firefox/xyz.default-release/places.sqlite", "");
    home.Write(".var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini",
               "[Profile0]\nName=flat\nIsRelative=1\nPath=f.default\nDefault=1\n");
    home.Write(".var/app/org.mozilla.firefox/.mozilla/firefox/f.default/places.sqlite", "");
    StoreLocations where;
    where.home = home.Path().string();
    const std::vector<BrowserStore> stores = FindBrowserStores(where);
    std::vector<std::string> found;
    for (const BrowserStore& store : stores) {
        found.push_back(store.browser + " " + store.profile + " " +
                        fs::relative(store.path, home.Path()).generic_string());
    }
    EXPECT_EQ(found, (std::vector<std::string>{
                         "chrome Default .config/google-chrome/Default/Bookmarks",
                         "chrome Profile 2 .config/google-chrome/Profile 2/Bookmarks",
                         "chrome Profile 10 .config/google-chrome/Profile 10/Bookmarks",
                         "chromium Default snap/chromium/common/chromium/Default/Bookmarks",
                         "brave Default .config/BraveSoftware/Brave-Browser/Default/Bookmarks",
                         "opera Default .config/opera/Bookmarks",
                         "firefox default-release "
                         ".mozilla/firefox/xyz.default-release/places.sqlite",
                         "firefox old .mozilla/firefox/abc.old/places.sqlite",
                         "firefox flat "
                         ".var/app/org.mozilla.firefox/.mozilla/firefox/f.default/places.sqlite"}));
    EXPECT_EQ(fs::path(DefaultStoreOf(stores, "firefox")).parent_path().filename(),
              "xyz.default-release");
    EXPECT_EQ(DefaultStoreOf(stores, "vivaldi"), "");
    EXPECT_EQ(DefaultStoreOf(stores, "netscape"), "");
    EXPECT_EQ(StoreLabel(stores[0]),
              "Chrome — Default (" +
                  (home.Path() / ".config/google-chrome/Default/Bookmarks").string() + ")");

    // The Windows places, from %LOCALAPPDATA% and %APPDATA%.
    TempDir windows;
    windows.Write("Local/Microsoft/Edge/User Data/Default/Bookmarks", json);
    windows.Write("Roaming/Mozilla/Firefox/profiles.ini",
                  "[Profile0]\nName=w\nIsRelative=0\nPath=" +
                      (windows.Path() / "Elsewhere").string() + "\nDefault=1\n");
    windows.Write("Elsewhere/places.sqlite", "");
    StoreLocations onWindows;
    onWindows.localAppData = (windows.Path() / "Local").string();
    onWindows.appData = (windows.Path() / "Roaming").string();
    const std::vector<BrowserStore> windowsStores = FindBrowserStores(onWindows);
    ASSERT_EQ(windowsStores.size(), 2u);
    EXPECT_EQ(windowsStores[0].browser, "edge");
    EXPECT_EQ(windowsStores[1].path, (windows.Path() / "Elsewhere" / "places.sqlite").string());
}

TEST(BrowserStores, TheConfigurationDirectoryIsXdgConfigHomeThenTheUsualOne) {
    const std::string json = "{\"roots\": {}}";
    const std::string profiles = "[Profile0]\nName=p\nIsRelative=1\nPath=p.default\nDefault=1\n";
    struct Case {
        const char* what;
        const char* configHome;  // below the test's directory (as the home is); "" for none
        std::vector<std::string> files;
        std::vector<std::string> found;
    };
    const Case cases[] = {
        {"a new Firefox's profiles in ~/.config/mozilla/firefox, after the old place",
         "",
         {"home/.config/mozilla/firefox/profiles.ini",
          "home/.config/mozilla/firefox/p.default/places.sqlite",
          "home/.mozilla/firefox/profiles.ini", "home/.mozilla/firefox/p.default/places.sqlite"},
         {"firefox home/.mozilla/firefox/p.default/places.sqlite",
          "firefox home/.config/mozilla/firefox/p.default/places.sqlite"}},
        {"XDG_CONFIG_HOME first, then ~/.config",
         "xdg",
         {"xdg/google-chrome/Default/Bookmarks", "home/.config/google-chrome/Default/Bookmarks",
          "xdg/opera/Bookmarks", "xdg/mozilla/firefox/profiles.ini",
          "xdg/mozilla/firefox/p.default/places.sqlite"},
         {"chrome xdg/google-chrome/Default/Bookmarks",
          "chrome home/.config/google-chrome/Default/Bookmarks", "opera xdg/opera/Bookmarks",
          "firefox xdg/mozilla/firefox/p.default/places.sqlite"}},
        {"XDG_CONFIG_HOME naming ~/.config is searched once",
         "home/.config/",
         {"home/.config/vivaldi/Default/Bookmarks"},
         {"vivaldi home/.config/vivaldi/Default/Bookmarks"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const std::string& file : c.files) {
            dir.Write(file, file.find("profiles.ini") != std::string::npos ? profiles : json);
        }
        StoreLocations where;
        where.home = (dir.Path() / "home").string();
        if (*c.configHome != '\0') where.configHome = (dir.Path() / c.configHome).string();
        std::vector<std::string> found;
        for (const BrowserStore& store : FindBrowserStores(where)) {
            found.push_back(store.browser + " " +
                            fs::relative(store.path, dir.Path()).generic_string());
        }
        EXPECT_EQ(found, c.found);
    }
    // A relative XDG_CONFIG_HOME counts as none.
    {
        const ScopedVariable relative("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(StoreLocations::FromEnvironment().configHome, "");
    }
    const ScopedVariable absolute("XDG_CONFIG_HOME", "/absolute/config");
    EXPECT_EQ(StoreLocations::FromEnvironment().configHome, "/absolute/config");
}
