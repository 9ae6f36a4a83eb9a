#include "sync/PendingChanges.h"

#include "sync/Merge.h"
#include "sync/SharedFile.h"
#include "sync/SyncChanges.h"

namespace pernard::sync {

int PendingLocalChanges(SyncStateStore& store, const SyncTree& local) {
    SyncState state;
    std::string error;
    if (!store.Load(state, error) || !state.hasBase) return -1;
    SharedFileRead base = ReadSharedFile(state.base, state.format);
    if (!base.ok) return -1;
    for (SyncItem& item : base.tree.items) item.title = SharedTitle(item.title);
    if (LocalUnchanged(base.tree, local)) return 0;
    const MergeResult result = MergeTrees(&base.tree, local, base.tree);
    const SideChanges sent = RemoteChanges(result, base.tree);
    return sent.bookmarksAdded + sent.bookmarksRemoved + sent.foldersAdded + sent.foldersRemoved +
           sent.renamed + sent.urlsChanged + sent.moved + sent.reordered;
}

}  // namespace pernard::sync
