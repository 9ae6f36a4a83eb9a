#pragma once
// What a copy of Firefox's `places.sqlite` says of the bookmarks, in any layout Firefox has
// written since 3.0: the items of moz_bookmarks with the addresses and last visits of their
// places, the roots, tags, keywords, descriptions and the pages' icons. The layout is found from
// the tables and columns the database has; `PRAGMA user_version` only names it.

#include <sqlite3.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/FirefoxIcons.h"
#include "util/CodePage.h"

namespace pernard {

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqliteDatabase = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteCloser>;

// The statement for `sql`, or none when the database cannot run it.
SqliteStatement Prepare(sqlite3* db, const std::string& sql);
// The columns of `table` in the database `schema` ("main", or an attached one's name); none when
// there is no such table.
std::vector<std::string> ColumnsOf(sqlite3* db, const char* schema, const char* table);
bool HasColumns(const std::vector<std::string>& columns, std::initializer_list<const char*> names);

// A text column as UTF-8: the database holds what Firefox was given, and bytes that are no
// UTF-8 are kept as bytes that did not decode (util/CodePage.h), counted by `decoder`.
std::string ColumnText(sqlite3_stmt* statement, int column, TextDecoder& decoder);

// What the database has of what the reader looks for.
struct PlacesLayout {
    int version = 0;               // PRAGMA user_version
    bool bookmarks = false;        // moz_bookmarks: a places database at all
    std::string missing;           // what it lacks that every readable layout has
    bool guids = false;            // moz_bookmarks.guid (the roots' fixed guids came later)
    bool rootsTable = false;       // moz_bookmarks_roots (root_name, folder_id)
    bool dates = false;            // moz_bookmarks.dateAdded and lastModified
    bool lastVisitColumn = false;  // moz_places.last_visit_date
    bool visits = false;           // else moz_historyvisits (place_id, visit_date)
    bool keywordsByPlace = false;  // moz_keywords (place_id, keyword)
    bool keywordsById = false;     // else moz_bookmarks.keyword_id -> moz_keywords (id, keyword)
    bool descriptions = false;     // moz_items_annos and moz_anno_attributes
    IconStore icons = IconStore::None;
};

// The layout of `db`; false with `why` when the database cannot be queried at all.
bool ReadPlacesLayout(sqlite3* db, PlacesLayout& layout, std::string& why);

struct PlacesItem {
    long long id = 0;
    int type = 0;
    std::string title, url, guid, added, modified, visited, description;
    long long place = 0;
    long long keywordId = 0;
    std::vector<const PlacesItem*> children;  // in position order
};

inline constexpr int kPlacesBookmark = 1;
inline constexpr int kPlacesFolder = 2;
inline constexpr int kPlacesSeparator = 3;

// Everything the database says of the bookmarks, kept by id.
class Places {
public:
    // Reads the items, keywords, descriptions, roots and icons of a database of `layout`.
    bool Load(sqlite3* db, const PlacesLayout& layout, std::string& errorText);

    // How many bytes of the texts read were no UTF-8.
    std::size_t KeptBytes() const { return decoder_.Replacements(); }

    // The root Firefox knows by `guid`, or in older layouts by `rootName` in moz_bookmarks_roots.
    const PlacesItem* Root(const char* guid, const char* rootName) const;

    // The tags of a place (the names of the tag folders holding a bookmark of it), joined by ",".
    std::string TagsOf(long long place) const;
    // The keyword of a bookmark: its place's, or in older layouts its own.
    std::string KeywordOf(const PlacesItem& item) const;
    const PageIcon* IconOf(long long place) const;

    void CollectTags(const PlacesItem* tagsRoot);

private:
    const PlacesItem* ByGuid(const char* guid) const;
    const PlacesItem* ById(long long id) const;
    PlacesItem* MutableById(long long id) const;
    bool LoadItems(sqlite3* db, std::string& errorText);
    void LoadKeywords(sqlite3* db);
    void LoadDescriptions(sqlite3* db);
    void LoadRoots(sqlite3* db);

    PlacesLayout layout_;
    TextDecoder decoder_{kUtf8};
    // The items in the order read, in one block, looked up by id through a sorted index; the
    // folders apart, for the roots found by guid.
    std::vector<PlacesItem> items_;
    std::vector<std::pair<long long, PlacesItem*>> byId_;  // sorted by id
    std::vector<const PlacesItem*> folders_;
    std::unordered_map<long long, std::string> tags_;
    std::unordered_map<long long, std::string> keywords_;  // by place, or by keyword id
    std::unordered_map<std::string, long long> roots_;     // moz_bookmarks_roots
    PageIcons icons_;
};

}  // namespace pernard
