#pragma once
// The earlier versions of a file or Favorites directory as the user meets them: what one holds
// against the target as it is now, read back as a root to copy from, and put back.

#include <optional>
#include <string>
#include <vector>

#include "commands/WriteGate.h"
#include "history/VersionHistory.h"
#include "model/BmLogic.h"

namespace pernard {

// The history the settings name, within the bounds they set.
VersionHistory HistoryOf(const SettingsPort& settings);

// One bookmark of a read, with the folders above it below its root ("a/b").
struct BookmarkPlace {
    std::string folder;
    std::string name;
    std::string url;
};

// A version (or the target as it is now) read as the program reads its kind; nullopt and
// `error` when it cannot be read whole.
std::optional<std::vector<BookmarkPlace>> ReadVersionPlaces(const VersionHistory& history,
                                                            const KeptVersion& version,
                                                            std::string& error);
std::optional<std::vector<BookmarkPlace>> ReadTargetPlaces(const std::string& target,
                                                           std::string& error);

// What changed from `before` to `after`: bookmarks matched by URL, then by name and folder.
struct VersionDifference {
    int added = 0;
    int removed = 0;
    int moved = 0;
    int renamed = 0;
    int reordered = 0;  // folders whose bookmarks that stayed stand in another order
    // One per change: "追加", "削除", "移動", "名前の変更", "並べ替え".
    std::vector<std::string> lines;
    bool None() const { return added + removed + moved + renamed + reordered == 0; }
};
VersionDifference CompareBookmarks(const std::vector<BookmarkPlace>& before,
                                   const std::vector<BookmarkPlace>& after);
// What there is of each kind: "追加 3 件、名前の変更 2 件、並べ替え 1 フォルダー" (or "違いはありません").
std::string DifferenceSummary(const VersionDifference& difference);

// Puts `version` back over its target through the write gate, which first keeps what the
// target holds now as a version too. False, with the reason said through the model's prompts,
// when nothing was written.
bool RestoreVersion(BmLogic& model, const VersionHistory& history, const KeptVersion& version,
                    bool force);

// RestoreVersion for the window: when root `root` was read from a bookmark file that is the
// version's target, its entries become the version's as one undo step (以前の版に戻す), and it
// counts as saved. Other roots read from the target are left as they are (a save of them then
// finds the file changed and asks where to go).
bool RestoreVersionInto(BmLogic& model, const VersionHistory& history, const KeptVersion& version,
                        int root);

// Reads `version` into the collection as an additional root with no source of its own (a save
// of it asks where to go); the root's index, or -1 with the reason said.
int OpenVersionAsRoot(BmLogic& model, const VersionHistory& history, const KeptVersion& version);

}  // namespace pernard
