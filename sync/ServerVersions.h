#pragma once
// The shared file's earlier versions, kept in the sync's state each time a run replaced the file
// on the server: listed beside the local file's versions, compared with the root as it is now,
// read as another root, or put back into the root as an ordinary edit that the next run sends
// (after the checks that stop a run, as for any large change).

#include <optional>
#include <string>
#include <vector>

#include "commands/HistoryCommands.h"
#include "history/KeptVersion.h"
#include "model/BmLogic.h"
#include "sync/SyncState.h"
#include "sync/SyncTree.h"

namespace pernard::sync {

// The kept versions, newest first, numbered from the oldest (1) on; `target` names them.
std::vector<KeptVersion> ServerVersionsOf(const SyncStateStore& store, const std::string& target);
// The collection a kept version holds; nullopt, with the reason, when it cannot be read.
std::optional<SyncTree> ReadServerVersion(const KeptVersion& version, std::string& error);
// The bookmarks of a collection with their folders below its root, as the history compares them;
// local-only items left out.
std::vector<BookmarkPlace> PlacesOfTree(const SyncTree& tree);
// Puts `version` in place of root `root`'s entries as one step "以前の版に戻す". Entries the
// version holds under an id the root has keep what only the local side holds; the root's
// local-only entries stay, in their folders where the version has them.
bool RestoreServerVersion(BmLogic& model, int root, const SyncTree& version, std::string& error);
// Reads `version` into the collection as another root with no source; its index, or -1 with the
// reason.
int OpenServerVersionAsRoot(BmLogic& model, const SyncTree& version, const std::string& name,
                            std::string& error);

}  // namespace pernard::sync
