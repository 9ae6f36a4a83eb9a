#pragma once
// How many bookmarks and folders a kept file holds, counted by a quick scan of its bytes rather
// than a read: for the history's list, not for anything that is written.

#include <string>
#include <string_view>

namespace pernard {

enum class VersionFormat { Html, Json, Directory };

struct VersionCounts {
    int bookmarks = 0;
    int folders = 0;
};

// Counts in the file at `path` ("<A " and "<H3" tags in a bookmark file or page, "type" values
// in a browser's JSON store); zero counts when it cannot be read.
VersionCounts CountFile(const std::string& path, VersionFormat format);
// The same over bytes in memory.
VersionCounts CountBytes(std::string_view bytes, VersionFormat format);

}  // namespace pernard
