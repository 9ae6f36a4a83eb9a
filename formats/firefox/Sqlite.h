#pragma once
// The SQLite calls the Firefox readers share: handles that close themselves, statements, the
// columns a table has, and a text column as UTF-8.

#include <sqlite3.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

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

}  // namespace pernard
