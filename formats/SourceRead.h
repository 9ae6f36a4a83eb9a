#pragma once
// Reading any source the program knows, told apart by what it is: a Favorites directory, a
// shortcut file, a Chromium-family `Bookmarks` file or a Firefox `places.sqlite` (by their
// contents), or else a bookmark file.

#include <string>

#include "model/BmLogic.h"
#include "model/LoadTransaction.h"

namespace pernard {

// What the source at `path` is: a directory or a shortcut file is Favorites.
SourceKind KindOfSource(const std::string& path);

// Reads the source as one load with the reader its kind needs. `complete` empties the table
// first.
ReadOutcome ReadSourceAs(BmLogic& model, bool complete, const std::string& path, SourceKind kind);
ReadOutcome ReadSourceOf(BmLogic& model, bool complete, const std::string& path);
bool ReadSource(BmLogic& model, bool complete, const std::string& path, int& urlCount,
                std::string& errorText);

}  // namespace pernard
