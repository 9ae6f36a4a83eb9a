#pragma once
// The icons of Firefox's bookmarked pages, as a bookmark file carries them: the icon's address
// (ICON_URI) and its bytes as a data: URI (ICON). Firefox keeps them in `favicons.sqlite` beside
// places.sqlite (moz_icons, linked to pages through moz_pages_w_icons and moz_icons_to_pages),
// older databases in places.sqlite's moz_favicons, linked by moz_places.favicon_id.

#include <sqlite3.h>

#include <string>
#include <unordered_map>

#include "util/CodePage.h"

namespace pernard {

enum class IconStore {
    None,
    FaviconsFile,  // favicons.sqlite, attached as kFaviconsSchema
    PlacesTable,   // moz_favicons
};

// The name favicons.sqlite is attached under.
inline constexpr const char* kFaviconsSchema = "favicons";

// Attaches the copy of favicons.sqlite at `path`; false, with nothing attached, when it holds no
// icon tables Firefox writes (missing, unreadable, not a database): the bookmarks then have none.
bool AttachFavicons(sqlite3* db, const std::string& path);

// The icon of one page, chosen among its icons for a list's 16-pixel size.
struct PageIcon {
    std::string url;
    std::string mimeType;  // declared as an image's, or found from the bytes; empty when neither
    std::string bytes;
};
using PageIcons = std::unordered_map<long long, PageIcon>;  // by moz_places id

// The icons of the pages that are bookmarked (and of no other page), read in one query: for
// each, the one of width 16, else the smallest above it, else the largest. The site's root icon
// (/favicon.ico, which Firefox ties to no page) counts among a page's icons, after the page's
// own of the same width. What cannot be read gives no icons.
PageIcons ReadPageIcons(sqlite3* db, IconStore store, TextDecoder& decoder);

// ` ICON_URI="…" ICON="data:…;base64,…"` as Firefox's export writes them; ICON only when there are
// bytes of a known type.
std::string IconAttributes(const PageIcon& icon);

}  // namespace pernard
