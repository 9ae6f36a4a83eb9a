#pragma once
// What the table knows about a root beyond its row: how its source was read.

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "model/SourceKind.h"
#include "util/FileStamp.h"

namespace pernard {

// A shortcut file a Favorites load read, as it was then: a save writes over it or removes it
// only while it is still what the load saw.
struct ReadShortcut {
    std::uintmax_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since the file-system clock's epoch
    std::uint64_t hash = 0;     // of its bytes
};

// The files and directories one Favorites load read (or its last save wrote), by full path.
struct ReadFavoritesFiles {
    std::string directory;  // the Favorites directory itself
    std::unordered_map<std::string, ReadShortcut> shortcuts;
    std::unordered_set<std::string> directories;
};

// A browser store's file as its read (or the last write from this root) left it: writing the
// store back starts from it and keeps what the table has no place for.
struct StoreOriginal {
    std::string text;
    bool backedUp = false;  // a copy of the file was made before this root first wrote it
};

struct RootInfo {
    SourceKind kind = SourceKind::BookmarkFile;
    std::string charset;   // the encoding its source was read in; empty when unknown
    bool partial = false;  // the read stopped early: saving over the source would lose the rest
    int read = 0;          // roots of one read of one file share this number
    std::shared_ptr<ReadFavoritesFiles> favorites;  // a Favorites root's files, if known
    // A bookmark file as it was when it was read or last saved from this root: a save over
    // it finds out whether anything else (another copy of it, another program) wrote it since.
    std::optional<FileStamp> sourceStamp;
    // A Chromium store's file, when the root was read from one.
    std::shared_ptr<StoreOriginal> store;
    // What the root held when it was last read or saved, as a hash of its entries: it has
    // unsaved changes exactly when its entries hash to something else now.
    std::uint64_t savedHash = 0;
    bool hasSavedHash = false;
};

}  // namespace pernard
