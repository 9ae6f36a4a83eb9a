#pragma once
// Reads the `Bookmarks` file of a Chromium-family browser (Chrome, Chromium, Edge, Brave,
// Vivaldi, Opera): JSON whose `roots` hold the bookmark bar, the other bookmarks and the synced
// ones, and in Opera's file its own folders under `custom_root`. The file is only read.

#include <string>

#include "model/BmLogic.h"

namespace pernard {

// The names of Opera's own top folders, as Opera shows them in Japanese.
inline constexpr const char* kOperaUserRootName = "ブックマーク";
inline constexpr const char* kOperaUnsortedName = "未整理";
inline constexpr const char* kOperaSpeedDialName = "スピードダイヤル";

// Reads one `Bookmarks` file as one root named after the file, holding a folder per top
// folder the browser shows (never a trash). `complete` empties the table first. False with an
// error text when the file cannot be read or is not such a file.
bool ReadChromiumBookmarks(BmLogic& model, bool complete, const std::string& path, int& urlCount,
                           std::string& errorText);

}  // namespace pernard
