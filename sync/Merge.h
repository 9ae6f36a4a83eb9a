#pragma once
// The three-way merge of a sync: the local collection and the shared file, each against the
// snapshot both last agreed on (the base). Per item and per field one side's change wins; where
// both changed a field differently the local side wins and the conflict is reported; an edit
// beats a delete; a folder deleted on one side keeps what the other side added or edited inside
// it; a move that would close a cycle yields to the local one; items new on both sides in the same
// folder with the same URL (or, folders, the same title) become one. The order of a folder's
// entries is decided so that every replica comes to the same one.

#include <string>
#include <vector>

#include "sync/SyncTree.h"

namespace pernard::sync {

// What the first sync of a collection (no base yet) does.
enum class FirstSync {
    Merge,  // both sides' entries together; nothing deleted
    Pull,   // the server's collection replaces the local one
    Push,   // the local collection replaces the server's
};

struct Conflict {
    std::string path;   // the item's folder path and title, "/Bar/Title"
    std::string field;  // "名前", "URL", "場所", "削除"
    std::string localValue, remoteValue;
    std::string kept;   // what the merge kept, in words
    SyncId id = 0;      // the item's id in the merged collection (0: an item new in this run)
    // 場所: the id of the folder the server put the item in (0: the top; -1: not known).
    SyncId serverFolder = -1;
};

struct MergeResult {
    // The collection after the sync, local-only items in their places; every other item has a
    // real id, and highestId is at least every id.
    SyncTree merged;
    // For each merged item, the local item it is (-1: new to the local side).
    std::vector<int> localOf;
    // For each merged item, the remote item it is (-1: new to the server).
    std::vector<int> remoteOf;
    std::vector<Conflict> conflicts;
};

// The merge of `local` and `remote` against `base`; without a base, the first sync `first`.
MergeResult MergeTrees(const SyncTree* base, const SyncTree& local, const SyncTree& remote,
                       FirstSync first = FirstSync::Merge);

// The tree as the shared file holds it: local-only items left out.
SyncTree RemoteView(const SyncTree& merged);

// Whether the local tree holds just what `base` holds (its local-only items aside, URLs compared
// as a browser reads them): with the server's file unchanged too, a sync has nothing to do.
bool LocalUnchanged(const SyncTree& base, const SyncTree& local);

// Whether two URLs are the same to a browser (equal once normalised as its URL parser does).
bool SameUrl(const std::string& a, const std::string& b);

}  // namespace pernard::sync
