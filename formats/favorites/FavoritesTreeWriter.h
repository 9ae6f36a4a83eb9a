#pragma once
// Writes the entries of one root of the table as a tree of directories and shortcut files: the
// part of a Favorites save that puts entries on the disk (the saves themselves are in
// FavoritesWriter.h). What it wrote is told back, so that an overwrite save can note the files and
// remove the ones no entry went to, and so is what the write came to, which the saves hand on.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "formats/favorites/FavoritesReader.h"
#include "model/BmLogic.h"

namespace pernard {

// True when `path` is a symbolic link: a save never writes through one.
bool IsLink(const std::string& path);

// What writing a Favorites tree came to.
struct FavoritesWrite {
    int written = 0;
    int failed = 0;         // every entry that is not on the disk
    int diskFailures = 0;   // of those, the ones the disk refused
    int renamed = 0;        // written under a free name
    int droppedExtras = 0;  // entries whose extras only a bookmark file holds
    int notRemoved = 0;     // left-over files and directories that could not be removed
    // For the check-log window: each entry not written or renamed (URL and name), and each
    // left-over file or directory removed ("削除 : " + path) or not ("削除できません : " + path).
    std::vector<std::string> logLines;
    bool replaced = false;  // WriteFavoritesAnew: the new tree took the old one's place
};

// Entry `index` as the check-log window lists it: its URL padded to 60 characters, its name.
std::string EntryLogLine(const BmLogic& model, int index);

// What a tree's write left on the disk, for the notes an overwrite save keeps.
struct TreeWrite {
    FavoritesWrite counts;
    // The shortcut files that hold an entry (written, or holding it already): the hashes of
    // their bytes, by path.
    std::unordered_map<std::string, std::uint64_t> files;
    // Files another program changed that hold an unchanged entry: left as they are.
    std::unordered_set<std::string> leftChanged;
    std::vector<std::string> directories;  // the folders' directories
};

// Writes the entries of root `root` below `target`, a directory per folder. `read`, for an
// overwrite save, is what the load read there: an entry goes back to the file it was read from,
// and a file changed since then stays.
TreeWrite WriteFavoritesTree(const BmLogic& model, const std::string& target, int root,
                             const ReadFavoritesFiles* read = nullptr);

}  // namespace pernard
