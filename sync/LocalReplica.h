#pragma once
// The local side of a sync: the collection as it is now, and the merged one put in its place and
// kept wherever the collection is kept. The command line's replica is a bookmark file read into
// the table (BookmarkFileReplica); the window's is the root it shows.

#include <string>

#include "model/BmLogic.h"
#include "sync/LocalTree.h"
#include "sync/Merge.h"

namespace pernard::sync {

class LocalReplica {
public:
    virtual ~LocalReplica() = default;
    // The collection now; false, with the reason, when it cannot take part (a read that left
    // part of its source out).
    virtual bool Read(LocalTree& tree, std::string& error) = 0;
    // Puts the merged collection in place and keeps it; false, with the reason, when it could
    // not be kept (then nothing the user could lose was changed).
    virtual bool Write(const LocalTree& before, const MergeResult& result, std::string& error) = 0;
    // Whether the collection is known, without reading it, to be as the last run left it (no
    // edit since); a run that finds the server's file unchanged too has nothing to do then.
    virtual bool KnownUnchanged() { return false; }
};

// Keeps root `root` in the bookmark file it was read from, through the write gate (with the
// other roots the file holds, each as it is); false, with the reason, when it could not.
bool KeepRootFile(BmLogic& model, int root, std::string& error);

// A root of the table read from a bookmark file, written back to that file through the write
// gate (with the other roots the file holds, each as it is).
class BookmarkFileReplica : public LocalReplica {
public:
    BookmarkFileReplica(BmLogic& model, int root) : model_(model), root_(root) {}
    bool Read(LocalTree& tree, std::string& error) override;
    bool Write(const LocalTree& before, const MergeResult& result, std::string& error) override;

private:
    BmLogic& model_;
    int root_;
};

}  // namespace pernard::sync
