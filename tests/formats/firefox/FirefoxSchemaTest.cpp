// Firefox's places.sqlite of every age the reader knows, made by the tests in each layout: the
// same bookmarks read with their keywords, tags, descriptions and icons, and saved as a bookmark
// file through pernard-cli with all of it.

#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "formats/SourceRead.h"
#include "support/Doubles.h"
#include "support/PlacesFixture.h"
#include "support/Reading.h"
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

// The first bytes of each kind of image, all an icon needs here.
const std::string kPng = "\x89PNG\r\n\x1A\n";
const std::string kIco("\0\0\1\0", 4);
const std::string kSvg = "<svg/>";
const std::string kJpeg = "\xFF\xD8\xFF";
const std::string kGif = "GIF89a";
const std::string kWebp("RIFF\0\0\0\0WEBP", 12);

// The same collection in each layout, with what the layout can hold: descriptions until today's,
// one icon a page in moz_favicons (its type declared, or not), several in today's
// favicons.sqlite.
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
    const long long b = p.Bookmark(folder, "B", "https://b.example/page");
    const long long c = p.Bookmark(PlacesFixture::kToolbar, "C", "http://c/");
    p.Bookmark(PlacesFixture::kUnfiled, "D", "http://d/");
    if (schema != PlacesSchema::Today) {
        p.Description(a, "note on A\r\nsecond line");
        p.Description(folder, "folder <b>");
        p.Description(PlacesFixture::kToolbar, "on the toolbar");
        p.Icon(a, "http://a/favicon.png", kPng, 16, "image/png");
        p.Icon(b, "https://b.example/favicon.ico", kIco, 16, "image/x-icon");
        p.Icon(c, "http://c/icon", kGif, 16, "");
        return;
    }
    // Today's: the 16-pixel icon, else the smallest above, else the largest below; a page's
    // own icon before its site's root icon of the same size.
    p.Icon(a, "http://a/32.png", kPng, 32);
    p.Icon(a, "http://a/16.png", kPng, 16);
    p.Icon(a, "http://a/64.png", kPng, 64);
    p.RootIcon("http://a/favicon.ico", kIco, 16);
    p.Icon(b, "https://b.example/any.svg", kSvg, 65535);
    p.Icon(b, "https://b.example/48.ico", kIco, 48);
    p.Icon(c, "http://c/any.svg", kSvg, 65535);
    const long long e = p.Bookmark(PlacesFixture::kUnfiled, "E", "http://e/page");
    p.Icon(e, "http://e/10.gif", kGif, 10);
    p.Icon(e, "http://e/12.jpg", kJpeg, 12);
    p.Bookmark(PlacesFixture::kUnfiled, "F", "https://f.example:8080/x/y");
    p.RootIcon("https://f.example:8080/favicon.ico", kWebp, 32);
    p.RootIcon("http://unbookmarked/favicon.ico", kPng, 16);
    const long long m = p.Bookmark(PlacesFixture::kMobile, "M", "http://m/");
    p.Icon(m, "http://m/m.gif", kGif, 16);
}

const char* const kBookmarkA = "1 U 日本 A http://a/ 1700000000|1700000900|1700000500";
const char* const kNoteOnA = " SHORTCUTURL=\"kw\" TAGS=\"news,日本\" dd:note on A\\nsecond line\n";

// The listing of a store's save read back: as Firefox's export writes it, the menu (the first
// entry) gives its entries to the file's top.
std::string WithoutTheMenuFolder(const std::string& listing) {
    std::string out;
    std::size_t at = listing.find('\n') + 1;
    while (at < listing.size()) {
        const std::size_t end = listing.find('\n', at) + 1;
        const std::size_t blank = listing.find(' ', at);
        const int parent = std::stoi(listing.substr(at, blank - at));
        out += std::to_string(parent > 0 ? parent - 1 : 0) + listing.substr(blank, end - blank);
        at = end;
    }
    return out;
}

}  // namespace

TEST(FirefoxSchemas, EachLayoutReadsItsBookmarksNotesAndIconsAndSavesThemAsAFile) {
    struct Case {
        PlacesSchema schema;
        const char* what;
        std::string listing;
        bool emptyMobile = false;  // left out of the saved file
        const char* change = "";   // run on the database once filled
    };
    const std::string older =
        "0 F ブックマークメニュー  ||\n" + std::string(kBookmarkA) +
        " ICON_URI=\"http://a/favicon.png\" ICON=\"data:image/png;base64,iVBORw0KGgo=\"" +
        kNoteOnA +
        "1 F Folder  1600000000|| LAST_MODIFIED=\"1600000100\" hr1 dd:folder &lt;b&gt;\n"
        "3 U B https://b.example/page || ICON_URI=\"https://b.example/favicon.ico\" "
        "ICON=\"data:image/x-icon;base64,AAABAA==\"\n"
        "0 F ブックマークツールバー  || PERSONAL_TOOLBAR_FOLDER=\"true\" dd:on the toolbar\n"
        "5 U C http://c/ || ICON_URI=\"http://c/icon\" ICON=\"data:image/gif;base64,R0lGODlh\"\n"
        "0 F 他のブックマーク  || UNFILED_BOOKMARKS_FOLDER=\"true\"\n"
        "7 U D http://d/ ||\n";
    const Case cases[] = {
        {PlacesSchema::Firefox3, "Firefox 3: roots by name, keywords by id, visits", older},
        // Before the toolbar was a root, an annotation marked the menu's folder that was it.
        {PlacesSchema::Firefox3, "Firefox 3 without a toolbar root", older, false,
         "DELETE FROM moz_bookmarks_roots WHERE root_name = 'toolbar';"
         "UPDATE moz_bookmarks SET parent = 2, position = 3 WHERE id = 3;"
         "INSERT INTO moz_anno_attributes (name) VALUES ('bookmarks/toolbarFolder');"
         "INSERT INTO moz_items_annos (item_id, anno_attribute_id, content) "
         "SELECT 3, id, '' FROM moz_anno_attributes WHERE name = 'bookmarks/toolbarFolder'"},
        {PlacesSchema::Middle, "guids, keywords by place, moz_favicons, annotations",
         older + "0 F モバイルのブックマーク  ||\n", true},
        {PlacesSchema::Today, "today's, with favicons.sqlite",
         "0 F ブックマークメニュー  ||\n" + std::string(kBookmarkA) +
             " ICON_URI=\"http://a/16.png\" ICON=\"data:image/png;base64,iVBORw0KGgo=\" "
             "SHORTCUTURL=\"kw\" TAGS=\"news,日本\"\n"
             "1 F Folder  1600000000|| LAST_MODIFIED=\"1600000100\" hr1\n"
             "3 U B https://b.example/page || ICON_URI=\"https://b.example/48.ico\" "
             "ICON=\"data:image/x-icon;base64,AAABAA==\"\n"
             "0 F ブックマークツールバー  || PERSONAL_TOOLBAR_FOLDER=\"true\"\n"
             "5 U C http://c/ || ICON_URI=\"http://c/any.svg\" "
             "ICON=\"data:image/svg+xml;base64,PHN2Zy8+\"\n"
             "0 F 他のブックマーク  || UNFILED_BOOKMARKS_FOLDER=\"true\"\n"
             "7 U D http://d/ ||\n"
             "7 U E http://e/page || ICON_URI=\"http://e/12.jpg\" "
             "ICON=\"data:image/jpeg;base64,/9j/\"\n"
             "7 U F https://f.example:8080/x/y || "
             "ICON_URI=\"https://f.example:8080/favicon.ico\" "
             "ICON=\"data:image/webp;base64,UklGRgAAAABXRUJQ\"\n"
             "0 F モバイルのブックマーク  ||\n"
             "11 U M http://m/ || ICON_URI=\"http://m/m.gif\" "
             "ICON=\"data:image/gif;base64,R0lGODlh\"\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = (dir.Path() / "places.sqlite").string();
        PlacesFixture places(path, c.schema);
        Fill(places, c.schema);
        places.Run(c.change);
        EXPECT_EQ(KindOfSource(path), SourceKind::Firefox);
        TestModel t;
        int urls = 0;
        std::string error;
        ASSERT_TRUE(Unpacked(LoadSource(t.model, true, path), urls, error)) << error;
        EXPECT_EQ(StoreListing(t.model), c.listing);
        // Saved as a bookmark file, it keeps the icons, keywords, tags and descriptions.
        const std::string saved = (dir.Path() / "saved.htm").string();
        const pernard::testing::CliRun run =
            pernard::testing::RunWith({"save", path, "--to", saved});
        ASSERT_EQ(run.status, 0) << run.err;
        TestModel back;
        ASSERT_TRUE(
            Unpacked(LoadSource(back.model, true, saved, SourceKind::BookmarkFile), urls, error))
            << error;
        // An empty mobile root would be an empty folder in the menu of the browser importing it.
        EXPECT_EQ(StoreListing(back.model), WithoutTheMenuFolder(c.emptyMobile ? older : c.listing));
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
        EXPECT_FALSE(Unpacked(LoadSource(t.model, true, path, SourceKind::Firefox), urls, error));
        EXPECT_EQ(error,
                  "読めない形式の Firefox のブックマークです" + std::string(c.said) + " : " + path);
        EXPECT_EQ(t.model.glCT, 0);
    }
}
