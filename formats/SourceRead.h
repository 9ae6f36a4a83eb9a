#pragma once
// Opening any source the program knows, told apart by what it is: a Favorites directory, a
// shortcut file, a Chromium-family `Bookmarks` file or a Firefox `places.sqlite` (by their
// contents), or else a bookmark file.

#include <string>

#include "formats/SourceParser.h"
#include "model/SourceKind.h"

namespace pernard {

// What the source at `path` is: a directory or a shortcut file is Favorites.
SourceKind KindOfSource(const std::string& path);

// Opens the source with the parser its kind needs.
OpenedSource OpenSource(const std::string& path, SourceKind kind);

}  // namespace pernard
