#pragma once
// What the local collection holds that the server has not had yet: its changes against the state
// both sides last agreed on, counted as the next run would send them.

#include "sync/SyncState.h"
#include "sync/SyncTree.h"

namespace pernard::sync {

// The local changes not sent yet; -1 when no sync went through (or its state cannot be read).
int PendingLocalChanges(SyncStateStore& store, const SyncTree& local);

}  // namespace pernard::sync
