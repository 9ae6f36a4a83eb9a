#pragma once
// The merged collection put in place of the local root, as one undo step named "同期". Every
// entry the merge kept keeps what only the local side has (tags, description, dates, icons,
// separators, other attributes) and the user's spelling of its URL when a browser reads the
// merged one the same; its id is the merged one.

#include <string>

#include "model/BmLogic.h"
#include "sync/LocalTree.h"
#include "sync/Merge.h"
#include "sync/SyncChanges.h"

namespace pernard::sync {

// False, with the reason and nothing changed, when the table cannot take the merged collection
// (its capacity, or folders deeper than the table allows).
bool ApplyMerge(BmLogic& model, int root, const LocalTree& before, const MergeResult& result,
                std::string& error, const char* step = "同期");

// Whether the merged collection differs from the local one in anything the local side keeps:
// the changes to it (`toLocal`, sync/SyncChanges.h), or an entry given another id.
bool ChangesLocal(const MergeResult& result, const SyncTree& local, const SideChanges& toLocal);

}  // namespace pernard::sync
