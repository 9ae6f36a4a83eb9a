#include "formats/firefox/FirefoxIcons.h"

#include <algorithm>

#include "formats/BrowserRead.h"
#include "formats/firefox/Sqlite.h"

namespace pernard {

namespace {

// The pages that have a bookmark (the tag folders' entries share their places), with the hash
// Firefox files a page's icons under when the database has it.
std::string BookmarkedPages(bool urlHashes) {
    return std::string("SELECT id, url, ") + (urlHashes ? "url_hash" : "NULL") +
           " FROM main.moz_places "
           "WHERE id IN (SELECT fk FROM main.moz_bookmarks WHERE type = 1)";
}

// The address of the root icon of `pages.url`'s site: its scheme, "://", its host (and port),
// then "/favicon.ico".
constexpr const char* kSiteRootIcon =
    "substr(pages.url, 1, instr(pages.url, '://') + 1 + "
    "instr(substr(pages.url, instr(pages.url, '://') + 3) || '/', '/')) || '/favicon.ico'";

// How far icon i's width is from the 16 pixels a list shows, doubled: 0 for 16, then the widths
// above it from the smallest, then those below it from the largest. A site's root icon counts
// one more than a page's own icon of its width.
constexpr const char* kMisfit =
    "(CASE WHEN i.width = 16 THEN 0 WHEN i.width > 16 THEN i.width - 16 "
    "ELSE 4294967312 - i.width END) * 2";

// One row a bookmarked page with an icon: (place, icon address, bytes, declared type). Among a
// page's icons in favicons.sqlite the one that misfits least is chosen first, and only its bytes
// are read.
std::string IconQuery(IconStore store, bool urlHashes) {
    if (store == IconStore::PlacesTable) {
        return "SELECT p.id, f.url, f.data, f.mime_type FROM main.moz_places p "
               "JOIN main.moz_favicons f ON f.id = p.favicon_id "
               "WHERE p.id IN (SELECT fk FROM main.moz_bookmarks WHERE type = 1)";
    }
    const std::string icons = kFaviconsSchema;
    return "WITH pages (place, url, hash) AS (" + BookmarkedPages(urlHashes) +
           "), candidates (place, icon, misfit) AS ("
           "SELECT pages.place, i.id, " +
           kMisfit + " FROM pages JOIN " + icons + ".moz_pages_w_icons w ON " +
           (urlHashes ? "w.page_url_hash = pages.hash AND " : "") + "w.page_url = pages.url JOIN " +
           icons + ".moz_icons_to_pages t ON t.page_id = w.id JOIN " + icons +
           ".moz_icons i ON i.id = t.icon_id "
           "UNION ALL "
           "SELECT pages.place, i.id, " +
           kMisfit + " + 1 FROM pages JOIN " + icons +
           ".moz_icons i ON i.root = 1 AND i.icon_url = " + kSiteRootIcon +
           " WHERE pages.url LIKE 'http://%' OR pages.url LIKE 'https://%'), "
           // SQLite takes a bare column of a MIN() group from the row holding the minimum.
           "best (place, icon, misfit) AS ("
           "SELECT place, icon, MIN(misfit) FROM candidates GROUP BY place) "
           "SELECT best.place, i.icon_url, i.data, NULL FROM best JOIN " +
           icons + ".moz_icons i ON i.id = best.icon";
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// Text that opens an SVG document: after a byte order mark and blanks, markup with an <svg
// element early on (an XML declaration, comments or a doctype may come first).
bool LooksLikeSvg(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || bytes[start] != '<') return false;
    return bytes.substr(start, 4096).find("<svg") != std::string_view::npos;
}

// The image type the bytes start as; empty for another.
std::string SniffImageType(std::string_view bytes) {
    if (StartsWith(bytes, "\x89PNG\r\n\x1A\n")) return "image/png";
    if (StartsWith(bytes, std::string_view("\0\0\1\0", 4))) return "image/x-icon";
    if (StartsWith(bytes, "\xFF\xD8\xFF")) return "image/jpeg";
    if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a")) return "image/gif";
    if (StartsWith(bytes, "RIFF") && bytes.substr(8, 4) == "WEBP") return "image/webp";
    if (LooksLikeSvg(bytes)) return "image/svg+xml";
    return {};
}

// A declared type of an image that can stand in a data: URI as it is: "image/" and a subtype of
// token characters (a server may have declared anything).
bool IsImageType(std::string_view type) {
    constexpr std::string_view kImage = "image/";
    if (!StartsWith(type, kImage) || type.size() == kImage.size()) return false;
    const std::string_view subtype = type.substr(kImage.size());
    return std::all_of(subtype.begin(), subtype.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("!#$&^_.+-").find(c) != std::string_view::npos;
    });
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                               static_cast<unsigned char>(bytes[i + 1]) << 8 |
                               static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[group >> 18];
        out += kDigits[(group >> 12) & 63];
        out += kDigits[(group >> 6) & 63];
        out += kDigits[group & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                               (two ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0);
        out += kDigits[group >> 18];
        out += kDigits[(group >> 12) & 63];
        out += two ? kDigits[(group >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string_view BlobColumn(sqlite3_stmt* statement, int column) {
    const void* blob = sqlite3_column_blob(statement, column);
    if (blob == nullptr) return {};
    return {static_cast<const char*>(blob),
            static_cast<std::size_t>(sqlite3_column_bytes(statement, column))};
}

}  // namespace

bool AttachFavicons(sqlite3* db, const std::string& path) {
    SqliteStatement attach = Prepare(db, std::string("ATTACH DATABASE ?1 AS ") + kFaviconsSchema);
    if (!attach) return false;
    sqlite3_bind_text(attach.get(), 1, path.c_str(), -1, SQLITE_TRANSIENT);
    const bool attached = sqlite3_step(attach.get()) == SQLITE_DONE;
    attach.reset();
    if (!attached) return false;
    if (HasColumns(ColumnsOf(db, kFaviconsSchema, "moz_icons"),
                   {"id", "icon_url", "width", "root", "data"}) &&
        HasColumns(ColumnsOf(db, kFaviconsSchema, "moz_pages_w_icons"), {"id", "page_url"}) &&
        HasColumns(ColumnsOf(db, kFaviconsSchema, "moz_icons_to_pages"), {"page_id", "icon_id"})) {
        return true;
    }
    sqlite3_exec(db, (std::string("DETACH DATABASE ") + kFaviconsSchema).c_str(), nullptr, nullptr,
                 nullptr);
    return false;
}

PageIcons ReadPageIcons(sqlite3* db, IconStore store, TextDecoder& decoder) {
    PageIcons icons;
    if (store == IconStore::None) return icons;
    // Firefox files a page's icons under the hash of its address, as it does the place.
    const bool urlHashes = HasColumns(ColumnsOf(db, "main", "moz_places"), {"url_hash"});
    const SqliteStatement statement = Prepare(db, IconQuery(store, urlHashes));
    if (!statement) return icons;
    sqlite3_stmt* raw = statement.get();
    int step;
    while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
        PageIcon& icon = icons[sqlite3_column_int64(raw, 0)];
        icon.url = ColumnText(raw, 1, decoder);
        icon.bytes = BlobColumn(raw, 2);
        const unsigned char* declared = sqlite3_column_text(raw, 3);
        icon.mimeType = declared != nullptr && IsImageType(reinterpret_cast<const char*>(declared))
                            ? reinterpret_cast<const char*>(declared)
                            : SniffImageType(icon.bytes);
    }
    if (step != SQLITE_DONE) icons.clear();
    return icons;
}

std::string IconAttributes(const PageIcon& icon) {
    std::string attributes;
    if (!icon.url.empty()) attributes += StoreAttribute("ICON_URI", icon.url);
    if (!icon.bytes.empty() && !icon.mimeType.empty()) {
        attributes +=
            StoreAttribute("ICON", "data:" + icon.mimeType + ";base64," + Base64(icon.bytes));
    }
    return attributes;
}

}  // namespace pernard
