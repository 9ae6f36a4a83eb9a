#pragma once
// Writes one root of the entry table as a Favorites directory: a directory per folder, a
// shortcut file per URL. The writers only write; the save commands (commands/) ask and say.

#include <string>
#include <vector>

#include "formats/favorites/ShortcutText.h"
#include "model/BmLogic.h"
#include "model/WritePermit.h"

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

// The overwrite save: writes the permitted root below the permitted directory. When that is the
// directory the root was read from and every entry was written, the files the load read there that
// no entry went to are removed (never one changed since, nor anything it did not read); a removal
// that fails counts in `notRemoved`, and the next save tries it again.
FavoritesWrite WriteFavoritesOver(const BmLogic& model, const WritePermit& permit);

// Save-as: writes the permitted root as a complete new tree beside the permitted directory,
// which the new tree replaces only once complete (`replaced`); otherwise the old tree stays as it
// was.
FavoritesWrite WriteFavoritesAnew(const BmLogic& model, const WritePermit& permit);

}  // namespace pernard
