#include "formats/firefox/Sqlite.h"

#include <algorithm>

namespace pernard {

SqliteStatement Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    return SqliteStatement(raw);
}

std::vector<std::string> ColumnsOf(sqlite3* db, const char* schema, const char* table) {
    std::vector<std::string> columns;
    const SqliteStatement statement = Prepare(db, "SELECT name FROM pragma_table_info(?1, ?2)");
    if (!statement) return columns;
    sqlite3_bind_text(statement.get(), 1, table, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement.get(), 2, schema, -1, SQLITE_STATIC);
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(statement.get(), 0);
        if (name != nullptr) columns.emplace_back(reinterpret_cast<const char*>(name));
    }
    return columns;
}

bool HasColumns(const std::vector<std::string>& columns, std::initializer_list<const char*> names) {
    return std::all_of(names.begin(), names.end(), [&](const char* name) {
        return std::find(columns.begin(), columns.end(), name) != columns.end();
    });
}

std::string ColumnText(sqlite3_stmt* statement, int column, TextDecoder& decoder) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    std::string out;
    if (text == nullptr) return out;
    decoder.Decode(
        std::string_view(reinterpret_cast<const char*>(text),
                         static_cast<std::size_t>(sqlite3_column_bytes(statement, column))),
        out);
    return out;
}

}  // namespace pernard
