#pragma once
// The local side of a sync of a root the user goes on editing while the run talks to the server.
// The root is read as it is when the run reads it; once the server holds the merged collection,
// that collection is put in place of the root as it is then. What the user changed in between
// stays: it is merged over the run's result as local changes against what the run read, and is
// sent at the next run. The root is held by its node, so that it is found again wherever edits
// moved its rows, and is kept in its bookmark file as BookmarkFileReplica keeps it.

#include <optional>
#include <string>
#include <vector>

#include "model/BmLogic.h"
#include "sync/LocalReplica.h"

namespace pernard::sync {

// Where the table's edits stand for a root: any edit, undo or redo moves it, a root read again
// is another root, and a load (which forgets the history) changes the roots. Equal marks mean no
// edit was made between them.
struct EditMark {
    NodeRef root;
    std::uint64_t pushes = 0;
    const void* undoTop = nullptr;
    int rows = -1;
    int roots = -1;
    bool operator==(const EditMark&) const = default;
};
EditMark MarkOf(const BmLogic& model, const NodeRef& root);

class LiveRootReplica : public LocalReplica {
public:
    // `agreed`: where the edits stood when the root was last as both sides agreed (none: not
    // known).
    LiveRootReplica(BmLogic& model, NodeRef root, std::optional<EditMark> agreed = std::nullopt)
        : model_(model), root_(root), agreed_(agreed) {}
    bool Read(LocalTree& tree, std::string& error) override;
    bool Write(const LocalTree& before, const MergeResult& result, std::string& error) override;
    bool KnownUnchanged() override { return agreed_ && MarkOf(model_, root_) == *agreed_; }
    // Where the edits stood when the root was last read or written as the run left it; after a
    // run that went through, the root is as both sides agree while the table's mark is this.
    std::optional<EditMark> LeftAt() const { return leftAt_; }

    // The root's row now; -1 once it is gone.
    int RootRow() const { return model_.IndexOf(root_); }
    // Whether the last write found edits made since the read (then merged over the result).
    bool EditedMeanwhile() const { return editedMeanwhile_; }
    // Where those edits and the run's result differed: the edits were kept.
    const std::vector<Conflict>& MeanwhileConflicts() const { return meanwhileConflicts_; }

private:
    BmLogic& model_;
    NodeRef root_;
    std::optional<EditMark> agreed_, leftAt_;
    std::vector<NodeRef> itemNodes_;  // per item of the last read, its entry's node
    bool editedMeanwhile_ = false;
    std::vector<Conflict> meanwhileConflicts_;
};

// The merge of the edits made to `now` since `before` was read over `result`, the merged
// collection of `before` and the server's: what `result` changed and the edits both stay, an
// edit winning where they meet. `itemOfNowItem` gives for each item of `now` the item of
// `before` it was then (-1: an entry made since). Items new since the read carry no id: the next run gives
// them one, as the server allows.
// Entries the run read whose nodes are gone but which are back as other nodes (an undo brings
// back what a step took, a sync's step undone brings back the entries before it): each item of
// `now` not matched yet (-1 in `itemOf`) is matched with an item of `before` no other took, by
// its id, else in its matched folder by kind, title and URL.
void MatchReturnedEntries(const SyncTree& before, const SyncTree& now, std::vector<int>& itemOf);

MergeResult RebaseOnEdits(const LocalTree& before, const MergeResult& result, const LocalTree& now,
                          const std::vector<int>& itemOfNowItem);

}  // namespace pernard::sync
