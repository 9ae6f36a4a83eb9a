#pragma once
// Reads the `Bookmarks` file of a Chromium-family browser (Chrome, Chromium, Edge, Brave,
// Vivaldi, Opera): JSON whose `roots` hold the bookmark bar, the other bookmarks and the synced
// ones, and in Opera's file its own folders under `custom_root` (formats/chromium/ChromiumRoots.h).
// formats/ChromiumWriter writes it back.

#include <string>

#include "model/BmLogic.h"
#include "model/LoadTransaction.h"

namespace pernard {

// Reads one `Bookmarks` file as one root named after the browser and profile, holding a folder per
// top folder the browser shows (never a trash). `complete` empties the table first. False with an
// error text when the file cannot be read or is not such a file (and nothing changed then).
ReadOutcome ReadChromiumStore(BmLogic& model, bool complete, const std::string& path);
bool ReadChromiumBookmarks(BmLogic& model, bool complete, const std::string& path, int& urlCount,
                           std::string& errorText);

}  // namespace pernard
