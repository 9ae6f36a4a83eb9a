#pragma once
// A Favorites directory kept as one archive: its folders and files, names and bytes exactly,
// and put back file for file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pernard {

struct ArchivedEntry {
    std::string path;  // relative to the directory, "/" between its parts
    bool directory = false;
    std::string bytes;  // a file's content
    bool operator==(const ArchivedEntry&) const = default;
};

struct PackedDirectory {
    std::string packed;       // the archive, uncompressed
    std::uint64_t bytes = 0;  // its files' bytes together
    int shortcuts = 0;        // .url files
    int folders = 0;
};

// Every folder and regular file below `directory`; links are neither followed nor kept. Nullopt
// (and `error` says why) when something could not be read, or the files hold more than `limit`.
std::optional<PackedDirectory> PackDirectory(const std::string& directory, std::uint64_t limit,
                                             std::string& error);
// The entries of an archive; nullopt when it is malformed or names a path outside its directory.
std::optional<std::vector<ArchivedEntry>> UnpackDirectory(std::string_view packed);

struct DirectoryRestore {
    bool ok = false;
    std::vector<std::string> failed;  // what could not be written or removed
};

// Makes `directory` hold what `entries` hold: every folder and file written as archived, and
// each shortcut file (.url) and then each empty folder that the archive does not hold removed.
// Other files are left where they are.
DirectoryRestore RestoreDirectory(const std::string& directory,
                                  const std::vector<ArchivedEntry>& entries);

}  // namespace pernard
