#pragma once
// What a root was read from. Every root carries one; the readers set it, and the writers and the
// write gate ask it whether and how the root goes back to its source.

#include <string_view>

namespace pernard {

enum class SourceKind {
    BookmarkFile,  // a bookmark file (HTML)
    Favorites,     // a Favorites directory of shortcut files, or one shortcut file
    Chromium,      // a Chromium-family `Bookmarks` store
    Firefox,       // a Firefox `places.sqlite` store
};

// The name a root shows for its kind (the title of its edit dialog).
constexpr std::string_view SourceKindName(SourceKind kind) {
    switch (kind) {
        case SourceKind::Favorites:
            return "Internet Explorer";
        case SourceKind::Chromium:
            return "Chromium";
        case SourceKind::Firefox:
            return "Firefox";
        case SourceKind::BookmarkFile:
            break;
    }
    return "Netscape Navigator";
}

// A browser's own store, read but written back only on request.
constexpr bool IsBrowserStore(SourceKind kind) {
    return kind == SourceKind::Chromium || kind == SourceKind::Firefox;
}

}  // namespace pernard
