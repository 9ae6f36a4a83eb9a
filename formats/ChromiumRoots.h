#pragma once
// The top folders of a Chromium-family `Bookmarks` file that a browser shows as bookmarks, in
// the order they are read and written: Chromium's own below `roots` (named as the file names
// them), then Opera's below `roots.custom_root` (named as Opera shows them; the file's names
// there are Opera's own labels). A trash — Vivaldi's `trash`, Opera's `custom_root.trash` — is
// never read, and written back as it was.

#include <string>

namespace pernard {

// The names of Opera's own top folders, as Opera shows them in Japanese.
inline constexpr const char* kOperaUserRootName = "ブックマーク";
inline constexpr const char* kOperaUnsortedName = "未整理";
inline constexpr const char* kOperaSpeedDialName = "スピードダイヤル";

struct ShownRoot {
    const char* key;
    const char* inside;  // the object holding it below `roots`, or nullptr
    const char* name;    // the name shown, or nullptr for the file's
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

}  // namespace pernard
