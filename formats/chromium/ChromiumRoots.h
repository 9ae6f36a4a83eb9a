#pragma once
// The top folders of a Chromium-family `Bookmarks` file that a browser shows as bookmarks, in
// the order they are read and written: Chromium's own below `roots`, then Opera's below
// `roots.custom_root`. Each is named as its browser shows it in Japanese, whatever the file
// names it (a browser names its own folders itself; the file keeps its names when written back). A
// trash — Vivaldi's `trash`, Opera's `custom_root.trash` — is never read, and written back as it
// was.

#include <iterator>
#include <string>
#include <string_view>

#include "formats/StoreRoles.h"

namespace pernard {

// The names of Chromium's own three top folders as a browser shows them in Japanese: Edge
// calls bookmarks お気に入り, the others as Chromium does.
struct OwnFolderNames {
    const char* bar;
    const char* other;
    const char* mobile;
};
inline constexpr OwnFolderNames kChromiumFolderNames{"ブックマーク バー", "その他のブックマーク",
                                                     "モバイルのブックマーク"};
inline constexpr OwnFolderNames kEdgeFolderNames{"お気に入りバー", "その他のお気に入り",
                                                 "モバイルのお気に入り"};

// The names of Opera's own top folders, as Opera shows them in Japanese.
inline constexpr const char* kOperaUserRootName = "ブックマーク";
inline constexpr const char* kOperaUnsortedName = "未整理";
inline constexpr const char* kOperaSpeedDialName = "スピードダイヤル";

struct ShownRoot {
    const char* key;
    const char* inside;  // the object holding it below `roots`, or nullptr
    const char* name;    // the name shown; nullptr for Chromium's own (OwnFolderNames)
    bool toolbar;
    // Chromium's own three, whose ids, names and URLs make the file's checksum.
    bool checksummed;

    // Where it lies below `roots`: "bookmark_bar", "custom_root/speedDial".
    std::string Path() const {
        return inside == nullptr ? std::string(key) : std::string(inside) + "/" + key;
    }
};

inline constexpr ShownRoot kShownRoots[] = {
    {"bookmark_bar", nullptr, nullptr, true, true},
    {"other", nullptr, nullptr, false, true},
    {"synced", nullptr, nullptr, false, true},
    {"userRoot", "custom_root", kOperaUserRootName, false, false},
    {"unsorted", "custom_root", kOperaUnsortedName, false, false},
    {"speedDial", "custom_root", kOperaSpeedDialName, false, false},
};

// The name a top folder of the role `roleKey` ("roots/bookmark_bar") is shown under, in a store
// of Edge's (`edge`) or another browser's; nullptr for no role of these folders.
inline const char* ShownTopFolderName(std::string_view roleKey, bool edge) {
    const OwnFolderNames& own = edge ? kEdgeFolderNames : kChromiumFolderNames;
    const char* const ownNames[] = {own.bar, own.other, own.mobile};
    for (std::size_t k = 0; k < std::size(kShownRoots); ++k) {
        const ShownRoot& shown = kShownRoots[k];
        if (roleKey == std::string(kChromiumRolePrefix) + shown.Path()) {
            return shown.name != nullptr ? shown.name : ownNames[k];
        }
    }
    return nullptr;
}

}  // namespace pernard
