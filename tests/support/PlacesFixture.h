#pragma once
// Builds a Firefox places.sqlite with the tables and columns Firefox wrote for its bookmarks
// (moz_places, moz_bookmarks, moz_keywords, and by the layout: the roots table, annotations,
// icons), in one of three layouts, filled by the test: never a browser's own file.

#include <sqlite3.h>

#include <string>

namespace pernard::testing {

enum class PlacesSchema {
    // Firefox 3 (user_version 6): no guids, the roots in moz_bookmarks_roots, a keyword by
    // moz_bookmarks.keyword_id, last visits only in moz_historyvisits, icons in moz_favicons,
    // descriptions as item annotations.
    Firefox3,
    // A middle one (user_version 26): guids and the fixed root guids, keywords by place, last
    // visits in moz_places, icons in moz_favicons, descriptions as item annotations.
    Middle,
    // Today's: icons in favicons.sqlite beside the database, no annotations.
    Today,
};

class PlacesFixture {
public:
    // Creates the database at `path` with the roots (menu, toolbar, tags, unfiled, and mobile
    // but in Firefox 3's) under the invisible root.
    explicit PlacesFixture(const std::string& path, PlacesSchema schema = PlacesSchema::Today);
    ~PlacesFixture();
    PlacesFixture(const PlacesFixture&) = delete;
    PlacesFixture& operator=(const PlacesFixture&) = delete;

    static constexpr long long kMenu = 2, kToolbar = 3, kTags = 4, kUnfiled = 5, kMobile = 6;

    // Each returns the new row's id; dates in microseconds since 1970 (0: none).
    long long Folder(long long parent, const std::string& title, long long added = 0,
                     long long modified = 0);
    long long Bookmark(long long parent, const std::string& title, const std::string& url,
                       long long added = 0, long long modified = 0, long long lastVisit = 0);
    long long Separator(long long parent);
    // Tags the place of bookmark `bookmark` with `tag` (a folder under the tags root, made once).
    void Tag(long long bookmark, const std::string& tag);
    void Keyword(long long bookmark, const std::string& keyword);
    // The description of a bookmark or folder, as an annotation (not in today's layout).
    void Description(long long item, const std::string& text);
    // An icon of the bookmark's page: its place's one in moz_favicons (`width` unused), or one
    // of its page's in favicons.sqlite (today's; `mimeType` unused).
    void Icon(long long bookmark, const std::string& iconUrl, const std::string& bytes,
              int width = 16, const std::string& mimeType = "");
    // A site's root icon in favicons.sqlite, tied to no page.
    void RootIcon(const std::string& iconUrl, const std::string& bytes, int width);
    // Runs SQL as it stands (a test's own statements).
    void Run(const std::string& sql);
    sqlite3* Handle() const { return db_; }

private:
    long long Insert(int type, long long parent, const std::string& title, long long place,
                     long long added, long long modified);
    long long PlaceOf(long long bookmark);
    int NextPosition(long long parent);
    long long AddIcon(const std::string& iconUrl, const std::string& bytes, int width, bool root);

    PlacesSchema schema_;
    std::string path_;
    sqlite3* db_ = nullptr;
    sqlite3* favicons_ = nullptr;  // today's favicons.sqlite, made with the first icon
    long long nextGuid_ = 0;
};

}  // namespace pernard::testing
