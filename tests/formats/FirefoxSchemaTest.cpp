// Firefox's places.sqlite of every age the reader knows, made by the tests in each layout: the
// same bookmarks read with their keywords, tags and descriptions, and saved as a bookmark file
// through pernard-cli with all of it.

#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "formats/FirefoxReader.h"
#include "formats/NetscapeReader.h"
#include "formats/SourceRead.h"
#include "support/Doubles.h"
#include "support/PlacesFixture.h"
#include "support/StoreListing.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::PlacesFixture;
using pernard::testing::PlacesSchema;
using pernard::testing::StoreListing;
using pernard::testing::TempDir;
using pernard::testing::TestModel;

namespace {

constexpr long long kSecond = 1000000;  // microseconds

// The same collection in each layout, with what the layout can hold: descriptions until today's.
void Fill(PlacesFixture& p, PlacesSchema schema) {
    const long long a =
        p.Bookmark(PlacesFixture::kMenu, "日本 A", "http://a/", 1700000000 * kSecond,
                   1700000500 * kSecond, 1700000900 * kSecond);
    p.Keyword(a, "kw");
    p.Tag(a, "news");
    p.Tag(a, "日本");
    p.Separator(PlacesFixture::kMenu);
    const long long folder =
        p.Folder(PlacesFixture::kMenu, "Folder", 1600000000 * kSecond, 1600000100 * kSecond);
    p.Bookmark(folder, "B", "https://b.example/page");
    p.Bookmark(PlacesFixture::kToolbar, "C", "http://c/");
    p.Bookmark(PlacesFixture::kUnfiled, "D", "http://d/");
    if (schema != PlacesSchema::Today) {
        p.Description(a, "note on A\r\nsecond line");
        p.Description(folder, "folder <b>");
        p.Description(PlacesFixture::kToolbar, "on the toolbar");
    }
}

const char* const kBookmarkA = "1 U 日本 A http://a/ 1700000000|1700000900|1700000500";
const char* const kNoteOnA = " SHORTCUTURL=\"kw\" TAGS=\"news,日本\" dd:note on A\\nsecond line\n";

}  // namespace

TEST(FirefoxSchemas, EachLayoutReadsItsBookmarksAndNotesAndSavesThemAsAFile) {
    struct Case {
        PlacesSchema schema;
        const char* what;
        std::string listing;
    };
    const std::string older =
        "0 F ブックマークメニュー  ||\n" + std::string(kBookmarkA) + kNoteOnA +
        "1 F Folder  1600000000|| LAST_MODIFIED=\"1600000100\" hr1 dd:folder &lt;b&gt;\n"
        "3 U B https://b.example/page ||\n"
        "0 F ブックマークツールバー  || PERSONAL_TOOLBAR_FOLDER=\"true\" dd:on the toolbar\n"
        "5 U C http://c/ ||\n"
        "0 F 他のブックマーク  ||\n"
        "7 U D http://d/ ||\n";
    const Case cases[] = {
        {PlacesSchema::Firefox3, "Firefox 3: roots by name, keywords by id, visits", older},
        {PlacesSchema::Middle, "guids, keywords by place, annotations",
         older + "0 F モバイルのブックマーク  ||\n"},
        {PlacesSchema::Today, "today's",
         "0 F ブックマークメニュー  ||\n" + std::string(kBookmarkA) +
             " SHORTCUTURL=\"kw\" TAGS=\"news,日本\"\n"
             "1 F Folder  1600000000|| LAST_MODIFIED=\"1600000100\" hr1\n"
             "3 U B https://b.example/page ||\n"
             "0 F ブックマークツールバー  || PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
             "5 U C http://c/ ||\n"
             "0 F 他のブックマーク  ||\n"
             "7 U D http://d/ ||\n"
             "0 F モバイルのブックマーク  ||\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = (dir.Path() / "places.sqlite").string();
        PlacesFixture places(path, c.schema);
        Fill(places, c.schema);
        EXPECT_EQ(KindOfSource(path), SourceKind::Firefox);
        TestModel t;
        int urls = 0;
        std::string error;
        ASSERT_TRUE(ReadSource(t.model, true, path, urls, error)) << error;
        EXPECT_EQ(StoreListing(t.model), c.listing);
        // Saved as a bookmark file, it keeps the keywords, tags and descriptions.
        const std::string saved = (dir.Path() / "saved.htm").string();
        const pernard::testing::CliRun run =
            pernard::testing::RunWith({"save", path, "--to", saved});
        ASSERT_EQ(run.status, 0) << run.err;
        TestModel back;
        ASSERT_TRUE(ReadNetscapeFile(back.model, true, saved, urls, error)) << error;
        EXPECT_EQ(StoreListing(back.model), c.listing);
    }
}

TEST(FirefoxSchemas, ALayoutWithoutWhatTheReaderNeedsIsRefusedNamingItsVersion) {
    struct Case {
        PlacesSchema schema;
        const char* change;
        const char* said;
    };
    const Case cases[] = {
        {PlacesSchema::Firefox3, "DROP TABLE moz_bookmarks_roots; PRAGMA user_version = 99",
         "（places.sqlite のバージョン 99、moz_bookmarks.guid / moz_bookmarks_roots "
         "がありません）"},
        {PlacesSchema::Today,
         "ALTER TABLE moz_bookmarks RENAME COLUMN fk TO place; PRAGMA user_version = 3",
         "（places.sqlite のバージョン 3、moz_bookmarks.fk がありません）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        TempDir dir;
        const std::string path = (dir.Path() / "places.sqlite").string();
        PlacesFixture(path, c.schema).Run(c.change);
        TestModel t;
        int urls = 0;
        std::string error;
        EXPECT_FALSE(ReadFirefoxPlaces(t.model, true, path, urls, error));
        EXPECT_EQ(error,
                  "読めない形式の Firefox のブックマークです" + std::string(c.said) + " : " + path);
        EXPECT_EQ(t.model.glCT, 0);
    }
}
