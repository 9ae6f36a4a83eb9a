#pragma once
// Writes one root of the entry table as a Favorites directory: a directory per folder, a
// shortcut file per URL.

#include <string>

#include "formats/ShortcutText.h"
#include "model/BmLogic.h"

namespace pernard {

// Whether a folder or bookmark name can be used as a file name inside the target directory:
// not empty, not "." or "..", no path separator and no NUL.
bool IsUsableFileName(const std::string& name);

// Lists entry `index` in the check-log window: its URL padded to 60 characters and its name.
void ReportWriteError(BmLogic& model, int index);

// Writes root `root` below `target`, asking first unless save-as is running or the setting
// says not to ask. True when every entry is on the disk (renamed ones count as written);
// `notWritten`, when given, receives the number of entries that are not.
bool SaveFavorite(BmLogic& model, const std::string& target, int root, int* notWritten = nullptr);

// The save-as command: empties the chosen directory (named "favorites") and writes into it.
bool SaveAsIE(BmLogic& model);

}  // namespace pernard
