#include "support/PlacesFixture.h"

#include <filesystem>
#include <stdexcept>

namespace pernard::testing {

namespace {

// Today's tables, as far as the bookmarks go.
constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
    "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
    "typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, "
    "last_visit_date INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, "
    "url_hash INTEGER DEFAULT 0 NOT NULL, description TEXT, preview_image_url TEXT, "
    "origin_id INTEGER);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, "
    "parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, "
    "folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT, "
    "syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);"
    "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, "
    "place_id INTEGER, post_data TEXT);";

// The roots with the guids Firefox fixed for them.
constexpr const char* kRootsWithGuids =
    "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES "
    "(1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'), "
    "(3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'), "
    "(5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', 'mobile______');";

// Item annotations, where the descriptions were kept until today's layout.
constexpr const char* kAnnotations =
    "CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, "
    "name VARCHAR(32) UNIQUE NOT NULL);"
    "CREATE TABLE moz_items_annos (id INTEGER PRIMARY KEY, item_id INTEGER NOT NULL, "
    "anno_attribute_id INTEGER, mime_type VARCHAR(32) DEFAULT NULL, content LONGVARCHAR, "
    "flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, "
    "dateAdded INTEGER DEFAULT 0, lastModified INTEGER DEFAULT 0);";

constexpr const char* kVisits =
    "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, "
    "place_id INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER);";

constexpr const char* kFirefox3Schema =
    "PRAGMA user_version = 6;"
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
    "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
    "typed INTEGER DEFAULT 0 NOT NULL, favicon_id INTEGER, "
    "frecency INTEGER DEFAULT -1 NOT NULL);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, "
    "parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, "
    "folder_type TEXT, dateAdded INTEGER, lastModified INTEGER);"
    "CREATE TABLE moz_bookmarks_roots (root_name VARCHAR(16) UNIQUE, folder_id INTEGER);"
    "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE);"
    "CREATE TABLE moz_favicons (id INTEGER PRIMARY KEY, url LONGVARCHAR UNIQUE, data BLOB, "
    "mime_type VARCHAR(32), expiration LONG);"
    "INSERT INTO moz_bookmarks (id, type, parent, position, title) VALUES "
    "(1, 2, 0, 0, ''), (2, 2, 1, 0, 'Bookmarks Menu'), (3, 2, 1, 1, 'Bookmarks Toolbar'), "
    "(4, 2, 1, 2, 'Tags'), (5, 2, 1, 3, 'Unfiled Bookmarks');"
    "INSERT INTO moz_bookmarks_roots (root_name, folder_id) VALUES ('places', 1), "
    "('menu', 2), ('toolbar', 3), ('tags', 4), ('unfiled', 5);";

constexpr const char* kMiddleSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA user_version = 26;"
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
    "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
    "typed INTEGER DEFAULT 0 NOT NULL, favicon_id INTEGER, "
    "frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT, "
    "foreign_count INTEGER DEFAULT 0 NOT NULL);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, "
    "parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, "
    "folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT);"
    "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, "
    "place_id INTEGER, post_data TEXT);"
    "CREATE TABLE moz_favicons (id INTEGER PRIMARY KEY, url LONGVARCHAR UNIQUE, data BLOB, "
    "mime_type VARCHAR(32), expiration LONG, guid TEXT);";

// favicons.sqlite: the icons, the pages, and which icons a page has.
constexpr const char* kFaviconsSchema =
    "PRAGMA journal_mode=WAL;"
    "CREATE TABLE moz_icons (id INTEGER PRIMARY KEY, icon_url TEXT NOT NULL, "
    "fixed_icon_url_hash INTEGER NOT NULL, width INTEGER NOT NULL DEFAULT 0, "
    "root INTEGER NOT NULL DEFAULT 0, color INTEGER, expire_ms INTEGER NOT NULL DEFAULT 0, "
    "data BLOB);"
    "CREATE TABLE moz_pages_w_icons (id INTEGER PRIMARY KEY, page_url TEXT NOT NULL, "
    "page_url_hash INTEGER NOT NULL);"
    "CREATE TABLE moz_icons_to_pages (page_id INTEGER NOT NULL, icon_id INTEGER NOT NULL, "
    "PRIMARY KEY (page_id, icon_id)) WITHOUT ROWID;";

void Exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message != nullptr ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(why + ": " + sql);
    }
}

// One statement with its values bound in order.
class Query {
public:
    Query(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(db)) + ": " + sql);
    }
    ~Query() { sqlite3_finalize(statement_); }
    Query& Bind(long long value) {
        sqlite3_bind_int64(statement_, ++bound_, value);
        return *this;
    }
    Query& Bind(const std::string& text) {
        sqlite3_bind_text(statement_, ++bound_, text.c_str(), -1, SQLITE_TRANSIENT);
        return *this;
    }
    Query& BindNull() {
        sqlite3_bind_null(statement_, ++bound_);
        return *this;
    }
    Query& BindBlob(const std::string& bytes) {
        sqlite3_bind_blob(statement_, ++bound_, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    // Runs it; the first column of its first row, or 0 for none.
    long long Run() {
        const int step = sqlite3_step(statement_);
        if (step != SQLITE_ROW && step != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db_));
        return step == SQLITE_ROW ? sqlite3_column_int64(statement_, 0) : 0;
    }
    std::string Text() {
        const int step = sqlite3_step(statement_);
        const unsigned char* text =
            step == SQLITE_ROW ? sqlite3_column_text(statement_, 0) : nullptr;
        return text != nullptr ? reinterpret_cast<const char*>(text) : "";
    }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    int bound_ = 0;
};

}  // namespace

PlacesFixture::PlacesFixture(const std::string& path, PlacesSchema schema)
    : schema_(schema), path_(path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("open " + path);
    switch (schema) {
        case PlacesSchema::Firefox3:
            Run(std::string(kFirefox3Schema) + kVisits + kAnnotations);
            break;
        case PlacesSchema::Middle:
            Run(std::string(kMiddleSchema) + kVisits + kAnnotations + kRootsWithGuids);
            break;
        case PlacesSchema::Today:
            Run(std::string(kSchema) + kRootsWithGuids);
            break;
    }
}

PlacesFixture::~PlacesFixture() {
    sqlite3_close(favicons_);
    sqlite3_close(db_);
}

void PlacesFixture::Run(const std::string& sql) { Exec(db_, sql); }

int PlacesFixture::NextPosition(long long parent) {
    return static_cast<int>(
        Query(db_, "SELECT COUNT(*) FROM moz_bookmarks WHERE parent = ?").Bind(parent).Run());
}

long long PlacesFixture::Insert(int type, long long parent, const std::string& title,
                                long long place, long long added, long long modified) {
    const bool guids = schema_ != PlacesSchema::Firefox3;
    Query insert(db_, guids ? "INSERT INTO moz_bookmarks (type, fk, parent, position, title, "
                              "dateAdded, lastModified, guid) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"
                            : "INSERT INTO moz_bookmarks (type, fk, parent, position, title, "
                              "dateAdded, lastModified) VALUES (?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(type);
    if (place > 0) {
        insert.Bind(place);
    } else {
        insert.BindNull();
    }
    insert.Bind(parent).Bind(NextPosition(parent)).Bind(title).Bind(added).Bind(modified);
    if (guids) insert.Bind("fixture" + std::to_string(++nextGuid_));
    insert.Run();
    return sqlite3_last_insert_rowid(db_);
}

long long PlacesFixture::Folder(long long parent, const std::string& title, long long added,
                                long long modified) {
    return Insert(2, parent, title, 0, added, modified);
}

long long PlacesFixture::Separator(long long parent) { return Insert(3, parent, "", 0, 0, 0); }

long long PlacesFixture::Bookmark(long long parent, const std::string& title,
                                  const std::string& url, long long added, long long modified,
                                  long long lastVisit) {
    if (schema_ == PlacesSchema::Firefox3) {
        // Firefox 3 kept the last visit only as the latest of the place's visits.
        Query(db_, "INSERT INTO moz_places (url, title) VALUES (?, ?)").Bind(url).Bind(title).Run();
        const long long place = sqlite3_last_insert_rowid(db_);
        if (lastVisit > 0) {
            Query(db_,
                  "INSERT INTO moz_historyvisits (place_id, visit_date, visit_type, session) "
                  "VALUES (?, ?, 1, 0), (?, ?, 1, 0)")
                .Bind(place)
                .Bind(lastVisit - 1000000)
                .Bind(place)
                .Bind(lastVisit)
                .Run();
        }
        return Insert(1, parent, title, place, added, modified);
    }
    Query insert(db_, "INSERT INTO moz_places (url, title, last_visit_date) VALUES (?, ?, ?)");
    insert.Bind(url).Bind(title);
    if (lastVisit > 0) {
        insert.Bind(lastVisit);
    } else {
        insert.BindNull();
    }
    insert.Run();
    return Insert(1, parent, title, sqlite3_last_insert_rowid(db_), added, modified);
}

long long PlacesFixture::PlaceOf(long long bookmark) {
    return Query(db_, "SELECT fk FROM moz_bookmarks WHERE id = ?").Bind(bookmark).Run();
}

void PlacesFixture::Tag(long long bookmark, const std::string& tag) {
    long long folder = Query(db_, "SELECT id FROM moz_bookmarks WHERE parent = ? AND title = ?")
                           .Bind(kTags)
                           .Bind(tag)
                           .Run();
    if (folder == 0) folder = Folder(kTags, tag);
    Insert(1, folder, "", PlaceOf(bookmark), 0, 0);
}

void PlacesFixture::Keyword(long long bookmark, const std::string& keyword) {
    if (schema_ == PlacesSchema::Firefox3) {
        // A keyword of the bookmark itself.
        Query(db_, "INSERT INTO moz_keywords (keyword) VALUES (?)").Bind(keyword).Run();
        Query(db_, "UPDATE moz_bookmarks SET keyword_id = ? WHERE id = ?")
            .Bind(sqlite3_last_insert_rowid(db_))
            .Bind(bookmark)
            .Run();
        return;
    }
    Query(db_, "INSERT INTO moz_keywords (keyword, place_id) VALUES (?, ?)")
        .Bind(keyword)
        .Bind(PlaceOf(bookmark))
        .Run();
}

void PlacesFixture::Description(long long item, const std::string& text) {
    Run("INSERT OR IGNORE INTO moz_anno_attributes (name) "
        "VALUES ('bookmarkProperties/description')");
    Query(db_,
          "INSERT INTO moz_items_annos (item_id, anno_attribute_id, content, flags, expiration, "
          "type) VALUES (?, (SELECT id FROM moz_anno_attributes "
          "WHERE name = 'bookmarkProperties/description'), ?, 0, 4, 3)")
        .Bind(item)
        .Bind(text)
        .Run();
}

long long PlacesFixture::AddIcon(const std::string& iconUrl, const std::string& bytes, int width,
                                 bool root) {
    if (favicons_ == nullptr) {
        const std::string path = path_.substr(0, path_.find_last_of('/') + 1) + "favicons.sqlite";
        if (sqlite3_open(path.c_str(), &favicons_) != SQLITE_OK)
            throw std::runtime_error("open " + path);
        Exec(favicons_, kFaviconsSchema);
    }
    Query(favicons_,
          "INSERT INTO moz_icons (icon_url, fixed_icon_url_hash, width, root, data) "
          "VALUES (?, 0, ?, ?, ?)")
        .Bind(iconUrl)
        .Bind(width)
        .Bind(root ? 1 : 0)
        .BindBlob(bytes)
        .Run();
    return sqlite3_last_insert_rowid(favicons_);
}

void PlacesFixture::Icon(long long bookmark, const std::string& iconUrl, const std::string& bytes,
                         int width, const std::string& mimeType) {
    const long long place = PlaceOf(bookmark);
    if (schema_ != PlacesSchema::Today) {
        Query(db_,
              "INSERT INTO moz_favicons (url, data, mime_type, expiration) VALUES (?, ?, ?, 0)")
            .Bind(iconUrl)
            .BindBlob(bytes)
            .Bind(mimeType)
            .Run();
        Query(db_, "UPDATE moz_places SET favicon_id = ? WHERE id = ?")
            .Bind(sqlite3_last_insert_rowid(db_))
            .Bind(place)
            .Run();
        return;
    }
    const long long icon = AddIcon(iconUrl, bytes, width, false);
    const std::string url =
        Query(db_, "SELECT url FROM moz_places WHERE id = ?").Bind(place).Text();
    long long page =
        Query(favicons_, "SELECT id FROM moz_pages_w_icons WHERE page_url = ?").Bind(url).Run();
    if (page == 0) {
        Query(favicons_, "INSERT INTO moz_pages_w_icons (page_url, page_url_hash) VALUES (?, 0)")
            .Bind(url)
            .Run();
        page = sqlite3_last_insert_rowid(favicons_);
    }
    Query(favicons_, "INSERT INTO moz_icons_to_pages (page_id, icon_id) VALUES (?, ?)")
        .Bind(page)
        .Bind(icon)
        .Run();
}

void PlacesFixture::RootIcon(const std::string& iconUrl, const std::string& bytes, int width) {
    AddIcon(iconUrl, bytes, width, true);
}

}  // namespace pernard::testing
