#pragma once
// The history of edits for undo and redo. A step holds the inverse of what an edit did, built on
// the table's row primitives, never a copy of the table: a deleted block of rows is kept with
// its detached tree nodes (so that every entry comes back as the same node, and whatever held
// it by its node finds it again), a move keeps where the block stood, an edit of texts keeps the
// texts before and after.
//
// Steps are undone and redone strictly in order, so each one's row indices are valid exactly
// when it is applied.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/EntryTexts.h"
#include "model/storage/HeldTexts.h"
#include "model/RootInfo.h"

#include "model/storage/TreeNodes.h"

namespace pernard {

// Steps kept at most, and the memory they may hold; the newest step is always kept, however
// large (its rows were in the table a moment ago).
inline constexpr std::size_t kUndoStepLimit = 1000;
inline constexpr std::size_t kUndoByteLimit = std::size_t{256} << 20;

// Rows of whole subtrees, in the table (an insertion that is done) or held out of it (a deletion
// that is done).
struct HeldBlock {
    int first = 0;    // index of the top row while the block is in the table
    int width = 0;    // rows
    int treeRow = 0;  // the top node's row under its parent
    // Sibling subtrees side by side in the block: the top's, then each one after it under the
    // same parent (a deletion of many rows of one folder keeps them as one block).
    int tops = 1;
    // While held: the rows' texts and parent indices (the indices they have in the table), and
    // their nodes, detached from the tree.
    HeldTexts rows;
    std::vector<int> parents;
    std::vector<TreeNode*> nodes;
};

struct BlocksAction {
    std::vector<HeldBlock> blocks;  // ascending, none inside another
    bool held = false;              // true: out of the table
};

// Where a moved block stands, with what its top entry holds that a move may change (a root
// that becomes a folder loses its source kind, path, charset and partial mark).
struct BlockPlace {
    int first = 0;
    int parent = -1;
    int treeRow = 0;
    std::string added, visited;
    std::optional<RootInfo> root;  // what the table knew of it as a root
};

struct MoveAction {
    int width = 0;
    BlockPlace from, to;
};

struct TextsAction {
    int index = 0;
    EntryTexts before, after;
};

// A change of what an entry's source held beyond the columns (model/EntryExtras.h), packed.
struct ExtrasAction {
    int index = 0;
    std::string before, after;
};

// Where a block of rows stands: its top row, the top's parent, and the top's row under it.
struct BlockSpot {
    int first = 0;
    int parent = -1;
    int treeRow = 0;
};

// One of many blocks moved at once, each from a place of its own to a place of its own.
struct ScatteredMove {
    int width = 0;
    BlockSpot from, to;
};

// Whole subtrees (none a root, none inside another) moved together in one pass over the table
// each way: the clean-up's moves of many entries into folders.
struct MoveBlocksAction {
    std::vector<ScatteredMove> blocks;  // ascending by `from`
};

// The entries of a folder put in another order (a sort): the rows from `first` on, where
// order[i] is the offset from `first` the row now at offset i had before.
struct OrderAction {
    int first = 0;
    std::vector<int> order;
};

// The action of rows just inserted at `first`: undone, they are taken out.
inline BlocksAction InsertedRows(int first, int width) {
    BlocksAction action;
    action.blocks.resize(1);
    action.blocks[0].first = first;
    action.blocks[0].width = width;
    return action;
}

using UndoAction = std::variant<BlocksAction, MoveAction, TextsAction, MoveBlocksAction,
                                OrderAction, ExtrasAction>;

// What the window showed around a step, held by node: restored with the step.
struct SelectionMarks {
    NodeRef current;  // the current entry
    NodeRef tree;     // the tree's selection
    NodeRef listRow;  // the list's selected row
    std::vector<NodeRef> listRows;  // every highlighted row, when the list highlighted several
};

struct UndoStep {
    std::string name;  // the operation, for the menus: "削除", "移動", ...
    std::vector<UndoAction> actions;
    SelectionMarks before, after;
    std::size_t bytes = 0;
};

class UndoHistory {
public:
    // Called for each step the history lets go of, so that held nodes can be released.
    explicit UndoHistory(std::function<void(UndoStep&)> release) : release_(std::move(release)) {}

    // Adds a done step; the steps that could be redone are let go of, and the oldest ones
    // once the limits are passed.
    void Push(UndoStep step);
    // Lets go of every step; `atSavedState` tells whether the table is now as last saved.
    void Forget(bool atSavedState);

    UndoStep* ToUndo() { return done_ > 0 ? &steps_[done_ - 1] : nullptr; }
    UndoStep* ToRedo() { return done_ < steps_.size() ? &steps_[done_] : nullptr; }
    const UndoStep* ToUndo() const { return done_ > 0 ? &steps_[done_ - 1] : nullptr; }
    const UndoStep* ToRedo() const { return done_ < steps_.size() ? &steps_[done_] : nullptr; }
    void Undone() { --done_; }
    void Redone() { ++done_; }

    // The table as last loaded or saved is the present one.
    void MarkSaved() {
        savedAt_ = done_;
        savedReachable_ = true;
    }
    bool AtSavedState() const { return savedReachable_ && savedAt_ == done_; }
    void LoseSavedState() { savedReachable_ = false; }

    std::size_t Size() const { return steps_.size(); }
    std::size_t Bytes() const { return bytes_; }
    // Counts pushes, so that a caller can tell whether an operation made a step.
    std::uint64_t PushCount() const { return pushes_; }

private:
    void DropOldest();

    std::function<void(UndoStep&)> release_;
    std::deque<UndoStep> steps_;
    std::size_t done_ = 0;  // steps_[0 .. done_) are done, the rest undone
    std::size_t savedAt_ = 0;
    bool savedReachable_ = true;
    std::size_t bytes_ = 0;
    std::uint64_t pushes_ = 0;
};

}  // namespace pernard
