#pragma once
// One run of a sync: the lock taken, the shared file read and checked, merged with the local
// collection against the last agreed snapshot, the checks that stop a run passed, the file
// written when it changes (If-Match the ETag it was read with; read and merged again when another
// writer came first), the local collection written, the new snapshot kept, the lock deleted.
// Nothing is written on either side before every check passed; a run that stops on the way
// leaves both sides whole, and the next run neither loses nor doubles what this one did.

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "sync/Failsafes.h"
#include "sync/LocalReplica.h"
#include "sync/Merge.h"
#include "sync/SharedFile.h"
#include "sync/SyncChanges.h"
#include "sync/SyncServer.h"
#include "sync/SyncState.h"

namespace pernard::sync {

struct SyncOptions {
    std::string fileName;  // the shared file's name in the server's folder
    SharedFormat format = SharedFormat::Xbel;
    bool dryRun = false;
    // What a first sync does; none: a first sync only shows what merging would do.
    std::optional<FirstSync> first;
    // Goes on past the checks that stop a run, and past a missing file that had a snapshot.
    bool force = false;
    std::string passphrase;  // empty: the file is not encrypted
    int attempts = 3;        // reads and merges when another writer keeps coming first
    // Set (from another thread, or a signal) to stop the run at its next step: before the file
    // is written it stops with both sides and the lock as they were; once the file is written
    // it goes on to the local write, which is what keeps the two sides whole.
    const std::atomic<bool>* stop = nullptr;
};

enum class SyncResult { Synced, Refused, Failed };

// What one side holds, for the words of a first sync.
struct Holding {
    int bookmarks = 0;
    int folders = 0;
};
Holding HoldingOf(const SyncTree& tree);

struct SyncReport {
    SyncResult result = SyncResult::Failed;
    bool dryRun = false;
    bool firstSync = false;
    std::string error;                   // why it was refused or failed (Japanese)
    std::vector<std::string> failsafes;  // the checks that stopped it
    SideChanges toLocal, toRemote;
    std::vector<Conflict> conflicts;
    std::vector<std::string> localOnly;  // paths of entries that stay local
    bool localWritten = false, remoteWritten = false;
    Holding local, remote;  // what each side held when it was read
    bool unreachable = false;  // the server did not answer (no network, no server there)
    bool heldElsewhere = false;  // another client's run holds the server's lock

    // Everything said, one line each: the changes on each side, the conflicts, what stays local,
    // the checks that tripped, the error.
    std::vector<std::string> Lines() const;
};

SyncReport RunSync(SyncServer& server, SyncStateStore& store, LocalReplica& local,
                   const SyncOptions& options);

}  // namespace pernard::sync
