#include "support/PlacesFixture.h"

#include <stdexcept>

namespace pernard::testing {

namespace {

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
    "place_id INTEGER, post_data TEXT);"
    "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES "
    "(1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'), "
    "(3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'), "
    "(5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', 'mobile______');";

}  // namespace

PlacesFixture::PlacesFixture(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("open " + path);
    Run(kSchema);
}

PlacesFixture::~PlacesFixture() { sqlite3_close(db_); }

void PlacesFixture::Run(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message != nullptr ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(why + ": " + sql);
    }
}

int PlacesFixture::NextPosition(long long parent) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, "SELECT COUNT(*) FROM moz_bookmarks WHERE parent = ?", -1, &statement,
                       nullptr);
    sqlite3_bind_int64(statement, 1, parent);
    sqlite3_step(statement);
    const int count = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return count;
}

long long PlacesFixture::Insert(int type, long long parent, const std::string& title,
                                long long place, long long added, long long modified) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_,
                       "INSERT INTO moz_bookmarks (type, fk, parent, position, title, dateAdded, "
                       "lastModified, guid) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &statement, nullptr);
    sqlite3_bind_int(statement, 1, type);
    if (place > 0) {
        sqlite3_bind_int64(statement, 2, place);
    } else {
        sqlite3_bind_null(statement, 2);
    }
    sqlite3_bind_int64(statement, 3, parent);
    sqlite3_bind_int(statement, 4, NextPosition(parent));
    sqlite3_bind_text(statement, 5, title.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(statement, 6, added);
    sqlite3_bind_int64(statement, 7, modified);
    const std::string guid = "fixture" + std::to_string(++nextGuid_);
    sqlite3_bind_text(statement, 8, guid.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(statement) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
    sqlite3_finalize(statement);
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
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, "INSERT INTO moz_places (url, title, last_visit_date) VALUES (?, ?, ?)",
                       -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, url.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 2, title.c_str(), -1, SQLITE_TRANSIENT);
    if (lastVisit > 0) {
        sqlite3_bind_int64(statement, 3, lastVisit);
    } else {
        sqlite3_bind_null(statement, 3);
    }
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    return Insert(1, parent, title, sqlite3_last_insert_rowid(db_), added, modified);
}

long long PlacesFixture::PlaceOf(long long bookmark) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, "SELECT fk FROM moz_bookmarks WHERE id = ?", -1, &statement, nullptr);
    sqlite3_bind_int64(statement, 1, bookmark);
    sqlite3_step(statement);
    const long long place = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return place;
}

void PlacesFixture::Tag(long long bookmark, const std::string& tag) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, "SELECT id FROM moz_bookmarks WHERE parent = ? AND title = ?", -1,
                       &statement, nullptr);
    sqlite3_bind_int64(statement, 1, kTags);
    sqlite3_bind_text(statement, 2, tag.c_str(), -1, SQLITE_TRANSIENT);
    long long folder =
        sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
    sqlite3_finalize(statement);
    if (folder == 0) folder = Folder(kTags, tag);
    Insert(1, folder, "", PlaceOf(bookmark), 0, 0);
}

void PlacesFixture::Keyword(long long bookmark, const std::string& keyword) {
    Run("INSERT INTO moz_keywords (keyword, place_id) VALUES ('" + keyword + "', " +
        std::to_string(PlaceOf(bookmark)) + ")");
}

}  // namespace pernard::testing
