#pragma once
// The keys that tie entries read from a browser's store to the store's nodes
// (EntryExtras::storeKey). A Chromium node is known by its id and guid; the top folders, which
// every store has and the browser makes itself, by their role: the key of the node below `roots`
// ("roots/bookmark_bar", "roots/custom_root/speedDial"), or for Firefox the root's guid
// ("firefox/menu________").

#include <string>
#include <string_view>

#include "model/EntryExtras.h"

namespace pernard {

inline std::string ChromiumRoleKey(std::string_view path) {
    return std::string(kChromiumRolePrefix) + std::string(path);
}
inline std::string FirefoxRoleKey(std::string_view guid) {
    return std::string(kFirefoxRolePrefix) + std::string(guid);
}

// Whether a bookmark file written for a browser to import holds the top folder of this role
// as its own list rather than as a folder: the folder a browser imports into (Chromium's other
// and mobile bookmarks, Firefox's menu), as the browsers' own exports write it, so that an
// import puts each bookmark back where it was.
inline bool WrittenAtTopOnExport(std::string_view storeKey) {
    return storeKey == "roots/other" || storeKey == "roots/synced" ||
           storeKey == "firefox/menu________";
}

// Whether the top folder of this role is left out of a bookmark file written for a browser to
// import while it holds nothing: Firefox makes its mobile root in every profile, and an import
// would turn the empty one into a folder of that name in the menu.
inline bool LeftOutOfExportWhenEmpty(std::string_view storeKey) {
    return storeKey == "firefox/mobile______";
}

}  // namespace pernard
