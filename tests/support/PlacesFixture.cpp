#include "support/PlacesFixture.h"

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
    "typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, "
    "parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, "
    "folder_type TEXT, dateAdded INTEGER, lastModified INTEGER);"
    "CREATE TABLE moz_bookmarks_roots (root_name VARCHAR(16) UNIQUE, folder_id INTEGER);"
    "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE);"
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
    "typed INTEGER DEFAULT 0 NOT NULL, "
    "frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT, "
    "foreign_count INTEGER DEFAULT 0 NOT NULL);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, "
    "parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, "
    "folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT);"
    "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE, "
    "place_id INTEGER, post_data TEXT);";

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
    // Runs it; the first column of its first row, or 0 for none.
    long long Run() {
        const int step = sqlite3_step(statement_);
        if (step != SQLITE_ROW && step != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db_));
        return step == SQLITE_ROW ? sqlite3_column_int64(statement_, 0) : 0;
    }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    int bound_ = 0;
};

}  // namespace

PlacesFixture::PlacesFixture(const std::string& path, PlacesSchema schema) : schema_(schema) {
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

PlacesFixture::~PlacesFixture() { sqlite3_close(db_); }

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

}  // namespace pernard::testing
