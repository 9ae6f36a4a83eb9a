#pragma once
// One earlier version of a file or directory as the history keeps it.

#include <cstdint>
#include <string>

#include "history/VersionCounts.h"

namespace pernard {

struct KeptVersion {
    int number = 0;            // 1, 2, 3, ... in the order kept; never given twice
    std::int64_t keptAt = 0;   // seconds since 1970-01-01 UTC
    std::string target;
    std::uint64_t size = 0;    // the file's bytes; a directory's files' bytes together
    VersionCounts counts;
    VersionFormat format = VersionFormat::Html;
    bool linked = false;       // the old file itself, linked into the history
    std::uint64_t stored = 0;  // bytes it takes in the history
    std::int64_t linkStamp = 0;  // a linked file's modification time when it was kept
    std::string description;   // NNNNNN.txt
    std::string data;          // NNNNNN.data or NNNNNN.zst (a server's version: its file)
    // A version of a synced root's shared file, kept before a sync replaced it on the server.
    bool fromServer = false;
};

}  // namespace pernard
