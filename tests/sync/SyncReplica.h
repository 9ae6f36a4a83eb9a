#pragma once
// A replica of the sync's tests: a bookmark file and a sync state in a folder of their own, read
// afresh for every edit and every sync, as the command line does it.

#include <functional>
#include <string>

#include "model/BmLogic.h"
#include "sync/SyncRun.h"

namespace pernard::sync {

class SyncReplica {
public:
    // `folder` exists; the file starts with `bookmarkFile`'s bytes.
    SyncReplica(std::string folder, const std::string& bookmarkFile);

    // A run of the sync against `server`. `failWrite` makes the local write fail once the merge
    // is put in place (a run killed between the server's write and the local one).
    SyncReport Sync(SyncServer& server, SyncOptions options, bool failWrite = false,
                    const char* maxUrl = "1000000");
    // Reads the file, edits it and writes it back through the write gate; false when the edit
    // returns false or the write failed.
    bool Edit(const std::function<bool(BmLogic&)>& edit);
    // The synced root as the sync sees it.
    SyncTree Tree() const;
    std::string Bytes() const;
    const std::string& Path() const { return path_; }
    const std::string& StateFolder() const { return state_; }

private:
    std::string path_;
    std::string state_;
};

// The tree with every URL as a browser writes it, ids kept: what two replicas must agree on.
SyncTree Normalised(const SyncTree& tree);

}  // namespace pernard::sync
