#pragma once
// The checks that stop a sync before anything is written, so that a damaged or foreign file, or
// a mistake on one machine, does not spread to every other: too many bookmarks deleted or added
// on one side, a shared file that reads empty while the snapshot has entries, one whose ids are
// all new (renumbered) or whose highestId went down, one in another form than before.

#include <string>
#include <vector>

#include "sync/SharedFile.h"
#include "sync/SyncChanges.h"

namespace pernard::sync {

struct FailsafeInputs {
    const SyncTree* base = nullptr;  // null: the first sync
    const SyncTree* remote = nullptr;
    SharedFormat format = SharedFormat::Xbel;
    bool formatKnown = false;  // the format of the last sync is known
    SharedFormat lastFormat = SharedFormat::Xbel;
    const SideChanges* toLocal = nullptr;
    const SideChanges* toRemote = nullptr;
    // The first sync was asked for in one of its ways: adding everything is what it is for.
    bool firstChosen = false;
};

// What trips, one sentence each (in Japanese); none when the sync may go on.
std::vector<std::string> TrippedFailsafes(const FailsafeInputs& inputs);

}  // namespace pernard::sync
