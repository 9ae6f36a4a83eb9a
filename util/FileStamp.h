#pragma once
// What a file looked like at one moment, to tell later whether anything changed it since: its
// size and modification time. A file that does not exist has a stamp too (`exists` false).

#include <cstdint>
#include <string>

namespace pernard {

struct FileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since the file-system clock's epoch

    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::string& path);

// Whether two paths name the same file or directory: the same file on the disk when both
// exist, else the same path once made absolute and normal. A separator at the end of a
// directory's name makes no difference.
bool SamePath(const std::string& a, const std::string& b);

// Whether `path` lies below the directory `directory` (not the directory itself).
bool IsInside(const std::string& path, const std::string& directory);

}  // namespace pernard
