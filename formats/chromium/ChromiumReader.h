#pragma once
// Reads the `Bookmarks` file of a Chromium-family browser (Chrome, Chromium, Edge, Brave,
// Vivaldi, Opera): JSON whose `roots` hold the bookmark bar, the other bookmarks and the synced
// ones, and in Opera's file its own folders under `custom_root` (formats/chromium/ChromiumRoots.h).
// formats/ChromiumWriter writes it back.

#include <string>

#include "formats/SourceParser.h"

namespace pernard {

// A parser of one `Bookmarks` file, read as one root named after the browser and profile, holding
// a folder per top folder the browser shows (never a trash); or why it cannot be read (it cannot
// be opened, or is not such a file).
OpenedSource OpenChromiumStore(const std::string& path);

}  // namespace pernard
