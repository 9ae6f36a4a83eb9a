#pragma once
// The copy of a browser's store made beside it before the first write over it.

#include <string>

namespace pernard {

// Where the copy of `target` goes: beside it, named after the moment
// ("Bookmarks.pernard-backup-YYYYMMDD-HHMMSS"), never over another file.
std::string BackupPath(const std::string& target);
// Copies `target` to `backup`, as private as the target; false when the copy is not complete.
bool CopyToBackup(const std::string& target, const std::string& backup);

}  // namespace pernard
