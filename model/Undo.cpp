// Undo and redo: each edit records the inverse of what it did as actions on the row primitives,
// and a step is undone by applying its actions backwards, redone by applying them forwards.
// Blocks of rows taken out of the table keep their tree nodes, so that an entry that comes back
// is the same node as before: expanded folders, the list's rows and a pending cut or copy find
// it again.

#include <algorithm>

#include "model/BmLogic.h"
#include "model/Sorting.h"

namespace pernard {

namespace {

// What a held row costs beyond its texts: their lengths and where they start, a parent index, a
// node pointer and the node itself.
constexpr std::size_t kRowOverhead = 5 * sizeof(std::uint32_t) + sizeof(std::size_t) + sizeof(int) +
                                     sizeof(void*) + sizeof(TreeNode);

std::size_t TextBytes(const EntryTexts& texts) {
    return texts.url.size() + texts.name.size() + texts.added.size() + texts.visited.size() +
           texts.modified.size();
}

}  // namespace

// ---------------------------------------------------------------- recording

BmLogic::StepScope::StepScope(BmLogic& logic, const char* name) : logic_(logic) {
    if (logic_.stepDepth_++ == 0) {
        logic_.openStep_ = UndoStep{};
        logic_.openStep_.name = name;
    }
}

BmLogic::StepScope::~StepScope() {
    if (--logic_.stepDepth_ > 0) return;
    logic_.CompactTexts();
    UndoStep step = std::move(logic_.openStep_);
    logic_.openStep_ = UndoStep{};
    if (step.actions.empty()) return;
    step.bytes = logic_.StepBytes(step);
    logic_.history_.Push(std::move(step));
}

void BmLogic::Record(UndoAction action) {
    if (stepDepth_ == 0) {
        // A change made outside any named operation is still a step of its own.
        StepScope scope(*this, "変更");
        Record(std::move(action));
        return;
    }
    openStep_.actions.push_back(std::move(action));
}

std::size_t BmLogic::StepBytes(const UndoStep& step) const {
    std::size_t bytes = sizeof(UndoStep);
    for (const UndoAction& action : step.actions) {
        if (const auto* blocks = std::get_if<BlocksAction>(&action)) {
            for (const HeldBlock& block : blocks->blocks) {
                bytes += static_cast<std::size_t>(block.width) * kRowOverhead;
                if (blocks->held) {
                    bytes += block.rows.TextBytes();
                } else {
                    for (int r = block.first; r < block.first + block.width; ++r) {
                        bytes += RowTextBytes(r);
                    }
                }
            }
        } else if (const auto* texts = std::get_if<TextsAction>(&action)) {
            bytes += TextBytes(texts->before) + TextBytes(texts->after);
        } else if (const auto* moves = std::get_if<MoveBlocksAction>(&action)) {
            bytes += moves->blocks.size() * sizeof(ScatteredMove);
        } else if (const auto* order = std::get_if<OrderAction>(&action)) {
            bytes += order->order.size() * sizeof(int);
        } else if (const auto* extras = std::get_if<ExtrasAction>(&action)) {
            bytes += extras->before.size() + extras->after.size();
        }
        bytes += sizeof(UndoAction);
    }
    return bytes;
}

void BmLogic::ReleaseStep(UndoStep& step) {
    for (UndoAction& action : step.actions) {
        auto* blocks = std::get_if<BlocksAction>(&action);
        if (blocks == nullptr || !blocks->held) continue;
        for (HeldBlock& block : blocks->blocks) {
            for (std::size_t row = 0; row < block.nodes.size(); ++row) {
                // The block's tops: the first row and its siblings after it.
                if (row > 0 && block.parents[row] != block.parents.front()) continue;
                TreeNode* top = block.nodes[row];
                roots_.erase(top->Serial());
                tree_.Release(top);
            }
        }
        blocks->blocks.clear();
    }
}

void BmLogic::SetStepMarks(std::uint64_t pushCount, const SelectionMarks& before,
                           const SelectionMarks& after) {
    if (history_.PushCount() == pushCount) return;
    if (UndoStep* step = history_.ToUndo()) {
        step->before = before;
        step->after = after;
    }
}

// ---------------------------------------------------------------- undo and redo

std::string BmLogic::UndoName() const {
    const UndoStep* step = history_.ToUndo();
    return step == nullptr ? std::string() : step->name;
}

std::string BmLogic::RedoName() const {
    const UndoStep* step = history_.ToRedo();
    return step == nullptr ? std::string() : step->name;
}

bool BmLogic::Undo(SelectionMarks* marks) {
    UndoStep* step = history_.ToUndo();
    if (step == nullptr) return false;
    for (auto action = step->actions.rbegin(); action != step->actions.rend(); ++action) {
        Apply(*action, false);
    }
    if (marks != nullptr) *marks = step->before;
    history_.Undone();
    changed_ = !history_.AtSavedState();
    CompactTexts();
    CheckConsistency("元に戻す", true);
    return true;
}

bool BmLogic::Redo(SelectionMarks* marks) {
    UndoStep* step = history_.ToRedo();
    if (step == nullptr) return false;
    for (UndoAction& action : step->actions) Apply(action, true);
    if (marks != nullptr) *marks = step->after;
    history_.Redone();
    changed_ = !history_.AtSavedState();
    CompactTexts();
    CheckConsistency("やり直し", true);
    return true;
}

void BmLogic::MarkSaved() {
    changed_ = false;
    history_.MarkSaved();
    for (auto& [serial, info] : roots_) info.hasSavedHash = false;
    RememberRootsAsRead();
}

void BmLogic::ForgetHistory() { history_.Forget(!glChanged); }

void BmLogic::MarkChangedOutsideHistory() {
    changed_ = true;
    history_.LoseSavedState();
}

void BmLogic::Apply(UndoAction& action, bool forward) {
    if (auto* blocks = std::get_if<BlocksAction>(&action)) {
        // Taking a block out and putting it back are each other's inverse, whichever
        // direction the step goes.
        if (blocks->held) {
            PutBackBlocks(blocks->blocks);
        } else {
            std::vector<HeldBlock> shapes(blocks->blocks.size());
            for (std::size_t j = 0; j < shapes.size(); ++j) {
                const HeldBlock& block = blocks->blocks[j];
                shapes[j].first = block.first;
                // One subtree's width is its own; siblings side by side keep theirs.
                shapes[j].width = block.tops > 1 ? block.width : SubtreeWidth(block.first);
                shapes[j].tops = block.tops;
            }
            blocks->blocks = TakeOutShaped(std::move(shapes));
        }
        blocks->held = !blocks->held;
    } else if (auto* move = std::get_if<MoveAction>(&action)) {
        if (forward) {
            MoveBlockTo(move->from.first, move->width, move->to);
        } else {
            MoveBlockTo(move->to.first, move->width, move->from);
        }
    } else if (auto* texts = std::get_if<TextsAction>(&action)) {
        ShowTexts(texts->index, forward ? texts->after : texts->before);
    } else if (auto* moves = std::get_if<MoveBlocksAction>(&action)) {
        MoveBlocks(moves->blocks, forward);
    } else if (auto* order = std::get_if<OrderAction>(&action)) {
        ApplyRowOrder(order->first, forward ? order->order : InverseOrder(order->order));
    } else if (auto* extras = std::get_if<ExtrasAction>(&action)) {
        SetExtras(extras->index, forward ? extras->after : extras->before);
    }
}

// ---------------------------------------------------------------- blocks of rows

std::vector<HeldBlock> BmLogic::TakeOutBlocks(const std::vector<int>& tops, bool joinSiblings) {
    std::vector<HeldBlock> blocks;
    blocks.reserve(tops.size());
    for (int top : tops) {
        const int width = SubtreeWidth(top);
        HeldBlock* last = blocks.empty() ? nullptr : &blocks.back();
        if (joinSiblings && last != nullptr && last->first + last->width == top &&
            parents_[static_cast<std::size_t>(top)] ==
                parents_[static_cast<std::size_t>(last->first)]) {
            last->width += width;
            ++last->tops;
            continue;
        }
        HeldBlock block;
        block.first = top;
        block.width = width;
        blocks.push_back(std::move(block));
    }
    return TakeOutShaped(std::move(blocks));
}

std::vector<HeldBlock> BmLogic::TakeOutShaped(std::vector<HeldBlock> blocks) {
    std::vector<int> tops(blocks.size());
    // removedBefore[j]: rows of the blocks before block j.
    std::vector<int> removedBefore(blocks.size() + 1, 0);
    for (std::size_t j = 0; j < blocks.size(); ++j) {
        HeldBlock& block = blocks[j];
        tops[j] = block.first;
        block.treeRow = nodes_[static_cast<std::size_t>(block.first)]->Row();
        const std::size_t width = static_cast<std::size_t>(block.width);
        std::size_t textBytes = 0;
        for (int r = block.first; r < block.first + block.width; ++r) textBytes += RowTextBytes(r);
        block.rows.Reserve(width, textBytes);  // filled in order as the rows are taken
        block.parents.resize(width);
        block.nodes.resize(width);
        removedBefore[j + 1] = removedBefore[j] + block.width;
    }
    // A kept row's parent is kept too; it moves up by the rows of the blocks before it.
    auto newIndexOf = [&](int parent) {
        const auto after = std::upper_bound(tops.begin(), tops.end(), parent);
        return parent - removedBefore[static_cast<std::size_t>(after - tops.begin())];
    };
    const std::size_t count = static_cast<std::size_t>(glCT);
    // Rows before the first block stay where they are, with their parents.
    const std::size_t start = tops.empty() ? count : static_cast<std::size_t>(tops.front());
    std::size_t next = start;
    std::size_t j = 0;
    for (std::size_t k = start; k < count; ++k) {
        if (j < blocks.size() && k >= static_cast<std::size_t>(blocks[j].first)) {
            HeldBlock& block = blocks[j];
            const std::size_t row = k - static_cast<std::size_t>(block.first);
            block.rows.Append({name_.Release(k), url_.Release(k), added_.Release(k),
                               visited_.Release(k), modified_.Release(k)});
            block.parents[row] = parents_[k];
            block.nodes[row] = nodes_[k];
            if (row + 1 == static_cast<std::size_t>(block.width)) ++j;
            continue;
        }
        const int parent = parents_[k];
        if (next != k) MoveRowContents(k, next);
        parents_[next] = parent < 0 ? -1 : newIndexOf(parent);
        ++next;
    }
    ForEachColumn([&](auto& column) { column.resize(next); });
    count_ = static_cast<int>(next);
    InvalidateUrlIndex();

    std::vector<TreeNode*> topNodes;
    topNodes.reserve(blocks.size());
    for (const HeldBlock& block : blocks) {
        topNodes.push_back(block.nodes.front());
        if (block.tops == 1) continue;
        for (std::size_t row = 1; row < block.nodes.size(); ++row) {
            if (block.parents[row] == block.parents.front()) topNodes.push_back(block.nodes[row]);
        }
    }
    if (topNodes.size() == 1) {
        tree_.TakeOut(topNodes.front());
    } else if (!topNodes.empty()) {
        tree_.TakeOutMany(topNodes);
    }
    return blocks;
}

void BmLogic::PutBackBlocks(std::vector<HeldBlock>& blocks) {
    const std::size_t oldCount = static_cast<std::size_t>(glCT);
    // Where each block stands among the remaining rows, and the rows added before it.
    std::vector<int> startsAmongKept(blocks.size());
    std::vector<int> addedThrough(blocks.size());
    int added = 0;
    for (std::size_t j = 0; j < blocks.size(); ++j) {
        startsAmongKept[j] = blocks[j].first - added;
        added += blocks[j].width;
        addedThrough[j] = added;
    }
    auto newIndexOf = [&](int parent) {
        const auto after = std::upper_bound(startsAmongKept.begin(), startsAmongKept.end(), parent);
        const std::ptrdiff_t before = after - startsAmongKept.begin();
        return parent + (before == 0 ? 0 : addedThrough[static_cast<std::size_t>(before - 1)]);
    };
    const std::size_t newCount = oldCount + static_cast<std::size_t>(added);
    ForEachColumn([&](auto& column) {
        column.resize(oldCount);  // rows past glCT may be left over from an abandoned read
        column.resize(newCount);
    });
    // From the end backwards: every row moves at most once, to a place not yet read.
    std::size_t source = oldCount;
    std::ptrdiff_t j = static_cast<std::ptrdiff_t>(blocks.size()) - 1;
    // Rows before the first block stay where they are, with their parents.
    const std::size_t stop = blocks.empty() ? newCount : static_cast<std::size_t>(blocks[0].first);
    for (std::size_t k = newCount; k-- > stop;) {
        const HeldBlock* inside = j >= 0 ? &blocks[static_cast<std::size_t>(j)] : nullptr;
        if (inside != nullptr && k >= static_cast<std::size_t>(inside->first) &&
            k < static_cast<std::size_t>(inside->first + inside->width)) {
            HeldBlock& block = blocks[static_cast<std::size_t>(j)];
            const std::size_t row = k - static_cast<std::size_t>(block.first);
            PutTexts(k, block.rows.At(row));
            parents_[k] = block.parents[row];
            nodes_[k] = block.nodes[row];
            if (row == 0) --j;
            continue;
        }
        --source;
        const int parent = parents_[source];
        if (source != k) MoveRowContents(source, k);
        parents_[k] = parent < 0 ? -1 : newIndexOf(parent);
    }
    count_ = static_cast<int>(newCount);
    InvalidateUrlIndex();

    std::vector<TreeNodes::Placement> placements;
    placements.reserve(blocks.size());
    for (HeldBlock& block : blocks) {
        const int parent = block.parents.front();
        TreeNode* parentNode = parent < 0 ? nullptr : nodes_[static_cast<std::size_t>(parent)];
        placements.push_back({block.nodes.front(), parentNode, block.treeRow});
        // The siblings after the top go back in the rows after it.
        for (std::size_t row = 1, next = 1; block.tops > 1 && row < block.nodes.size(); ++row) {
            if (block.parents[row] != parent) continue;
            placements.push_back(
                {block.nodes[row], parentNode, block.treeRow + static_cast<int>(next++)});
        }
        // Only the place is kept while the block is in the table.
        block.rows = {};
        block.parents = {};
        block.nodes = {};
    }
    if (placements.size() == 1) {
        tree_.PutBack(placements.front().node, placements.front().parent, placements.front().row);
    } else if (!placements.empty()) {
        tree_.PutBackMany(placements);
    }
}

// The blocks are taken out from where they stand in one pass and put back at their new places
// in another: each keeps its rows, texts and nodes.
void BmLogic::MoveBlocks(std::vector<ScatteredMove>& moves, bool forward) {
    auto source = [forward](const ScatteredMove& move) { return forward ? move.from : move.to; };
    auto target = [forward](const ScatteredMove& move) { return forward ? move.to : move.from; };
    std::vector<std::size_t> order(moves.size());
    for (std::size_t j = 0; j < order.size(); ++j) order[j] = j;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return source(moves[a]).first < source(moves[b]).first;
    });
    std::vector<int> tops;
    tops.reserve(order.size());
    for (std::size_t j : order) tops.push_back(source(moves[j]).first);
    std::vector<HeldBlock> blocks = TakeOutBlocks(tops);
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        HeldBlock& block = blocks[k];
        const BlockSpot to = target(moves[order[k]]);
        // The rows below the top keep their parents inside the block, which moves as a whole.
        const int shift = to.first - block.first;
        for (std::size_t row = 1; row < block.parents.size(); ++row) block.parents[row] += shift;
        block.parents.front() = to.parent;
        block.first = to.first;
        block.treeRow = to.treeRow;
    }
    std::sort(blocks.begin(), blocks.end(),
              [](const HeldBlock& a, const HeldBlock& b) { return a.first < b.first; });
    PutBackBlocks(blocks);
    for (const ScatteredMove& move : moves) RefreshImages(target(move).first);
}

// ---------------------------------------------------------------- moves and texts

BlockPlace BmLogic::PlaceOf(int first) const {
    const std::size_t k = static_cast<std::size_t>(first);
    BlockPlace place;
    place.first = first;
    place.parent = parents_[k];
    place.treeRow = nodes_[k]->Row();
    place.added = added_[k];
    place.visited = visited_[k];
    const auto root = roots_.find(nodes_[k]->Serial());
    if (root != roots_.end()) place.root = root->second;
    return place;
}

void BmLogic::MoveBlockTo(int first, int width, const BlockPlace& place) {
    TreeNode* node = nodes_[static_cast<std::size_t>(first)];
    MoveRowBlock(first, width, place.first < first ? place.first : place.first + width);
    const std::size_t k = static_cast<std::size_t>(place.first);
    parents_[k] = place.parent;
    TreeNode* parentNode =
        place.parent < 0 ? nullptr : nodes_[static_cast<std::size_t>(place.parent)];
    tree_.Move(node, parentNode, place.treeRow);
    added_.Set(k, place.added);
    visited_.Set(k, place.visited);
    if (place.root) {
        roots_[node->Serial()] = *place.root;
    } else {
        roots_.erase(node->Serial());
    }
    RefreshImages(place.first);
}

void BmLogic::CompactTexts() {
    for (TextColumn* texts : {&url_, &added_, &visited_, &modified_}) texts->CompactIfWorthwhile();
    if (!name_.WorthCompacting()) return;
    // Names lend their bytes to the tree's labels: nodes held for an undo copy theirs, and the
    // rows' nodes borrow the moved bytes again.
    tree_.OwnTakenOutLabels();
    name_.Compact();
    for (std::size_t k = 0; k < static_cast<std::size_t>(count_); ++k) {
        if (tree_.IsLabelBorrowed(nodes_[k])) tree_.BorrowLabel(nodes_[k], name_[k]);
    }
}

void BmLogic::PutTexts(std::size_t k, const HeldTexts::Row& texts) {
    name_.Set(k, texts[0]);
    url_.Set(k, texts[1]);
    added_.Set(k, texts[2]);
    visited_.Set(k, texts[3]);
    modified_.Set(k, texts[4]);
}

void BmLogic::PutTexts(std::size_t k, EntryTexts&& texts) {
    url_.Set(k, texts.url);
    name_.Set(k, texts.name);
    added_.Set(k, texts.added);
    visited_.Set(k, texts.visited);
    modified_.Set(k, texts.modified);
}

void BmLogic::MoveRowContents(std::size_t from, std::size_t to) {
    // The texts stay where they are stored: the rows' cells move. The row left behind is
    // empty, so no text is held by two rows.
    for (TextColumn* texts : TextColumns()) {
        Column<TextColumn::Cell>& cells = texts->Cells();
        cells[to] = cells[from];
        cells[from] = nullptr;
    }
    nodes_[to] = nodes_[from];
}

std::size_t BmLogic::RowTextBytes(int index) const {
    const std::size_t k = static_cast<std::size_t>(index);
    return url_[k].size() + name_[k].size() + added_[k].size() + visited_[k].size() +
           modified_[k].size();
}

EntryTexts BmLogic::TextsOf(int index) const {
    const std::size_t k = static_cast<std::size_t>(index);
    return {std::string(name_[k]), std::string(url_[k]), std::string(added_[k]),
            std::string(visited_[k]), std::string(modified_[k])};
}

void BmLogic::StoreTexts(int index, EntryTexts texts) {
    PutTexts(static_cast<std::size_t>(index), std::move(texts));
}

void BmLogic::ShowTexts(int index, const EntryTexts& texts) {
    StoreTexts(index, texts);
    tree_.SetText(nodes_[static_cast<std::size_t>(index)], texts.name);
    RefreshImages(index);
    InvalidateUrlIndex();
}

void BmLogic::RefreshImages(int index) {
    if (IsFolder(index)) {
        SetFolderImages(index, nodes_[static_cast<std::size_t>(index)]);
    } else {
        SetUrlImages(index);
    }
}

}  // namespace pernard
