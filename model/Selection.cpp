// The edits of many entries chosen together (the list's selection): moved or copied onto one
// place, moved one place up or down among their siblings, cut or copied for a later paste. Each
// is one undo step whatever the number of entries, built on the row primitives: a move takes the
// subtrees out in one pass and puts them back in another, a copy opens its rows once, and a move
// up or down puts each folder concerned in its new order in one pass.

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "model/BmLogic.h"

namespace pernard {

namespace {

// The new order of a folder's children when the chosen ones move one place: each run of
// chosen children trades places with the child just before it (up) or after it (down). False
// when nothing moves.
bool StepChosen(std::vector<int>& children, const std::vector<char>& chosen, bool up) {
    std::vector<char> marks = chosen;
    bool moved = false;
    const std::size_t count = children.size();
    for (std::size_t step = 1; step < count; ++step) {
        // Up: from the top, each chosen child passes an unchosen one above it; down, the same
        // from the bottom.
        const std::size_t k = up ? step : count - 1 - step;
        const std::size_t other = up ? k - 1 : k + 1;
        if (marks[k] && !marks[other]) {
            std::swap(children[k], children[other]);
            std::swap(marks[k], marks[other]);
            moved = true;
        }
    }
    return moved;
}

}  // namespace

std::vector<int> BmLogic::TopsOf(const std::vector<NodeRef>& entries) const {
    std::vector<int> rows;
    rows.reserve(entries.size());
    for (const NodeRef& entry : entries) {
        const int index = IndexOf(entry);
        if (index >= 0 && !IsRoot(index)) rows.push_back(index);
    }
    std::sort(rows.begin(), rows.end());
    std::vector<int> tops;
    int end = -1;  // the row after the last top's subtree
    for (int row : rows) {
        if (row < end) continue;
        tops.push_back(row);
        end = row + SubtreeWidth(row);
    }
    return tops;
}

int BmLogic::ClipIndex() const {
    for (const NodeRef& entry : clip_) {
        const int index = IndexOf(entry);
        if (index >= 0) return index;
    }
    return -1;
}

void BmLogic::MarkClipEntries(const std::vector<NodeRef>& entries, bool cut) {
    if (entries.size() == 1) {
        MarkClip(IndexOf(entries.front()), cut);
        return;
    }
    const std::vector<int> tops = TopsOf(entries);
    if (tops.empty()) {
        ports_.status->SetPanel(1, "Error ");
        return;
    }
    clip_.clear();
    for (int top : tops) clip_.push_back(RefOf(top));
    clipCut_ = cut;
    ports_.status->SetPanel(1, std::string(cut ? "切取り開始 :   " : "コピー開始 :   ") +
                                   std::to_string(tops.size()) + " 件");
}

// ---------------------------------------------------------------- onto one place

int BmLogic::TransferEntries(const std::vector<NodeRef>& entries, int target, bool keep,
                             const char* step) {
    const std::vector<int> tops = TopsOf(entries);
    if (tops.empty() || !IsValidIndex(target)) return -1;
    Destination to;
    if (!PlaceFor(IsFolder(target) ? Placement::Into : Placement::After, target, to)) return -1;
    int width = 0;
    bool folders = false;
    for (int top : tops) {
        const int topWidth = SubtreeWidth(top);
        // Never onto a moved entry or into one; a bookmark may be copied right after itself.
        if (target >= top && target < top + topWidth && (!keep || IsFolder(top))) return -1;
        width += topWidth;
        folders = folders || IsFolder(top);
    }
    if (keep && !FitsCapacity(width)) return -1;
    for (int top : tops) {
        if (!FitsDepth(top, SubtreeWidth(top), to.parent)) return -1;
    }
    StepScope scope(*this, step);
    if (folders) ports_.progress->Show("フォルダー移動中.... ");
    const int first = keep ? CopyTopsTo(tops, to) : MoveTopsTo(tops, to);
    if (folders) ports_.progress->Close();
    changed_ = true;
    CheckConsistency(step, true);
    return first;
}

int BmLogic::MoveTopsTo(const std::vector<int>& tops, const Destination& to) {
    // removedBefore[j]: the rows of the blocks before block j.
    std::vector<int> removedBefore(tops.size() + 1, 0);
    for (std::size_t j = 0; j < tops.size(); ++j) {
        removedBefore[j + 1] = removedBefore[j] + SubtreeWidth(tops[j]);
    }
    // The index a row outside the blocks has once they are out.
    auto kept = [&](int row) {
        const auto after = std::lower_bound(tops.begin(), tops.end(), row);
        return row - removedBefore[static_cast<std::size_t>(after - tops.begin())];
    };
    // The blocks land together where the destination's rows are, below a parent that stands
    // before them; its children before the place that leave do not count.
    const int at = kept(to.tableAt);
    const int parent = kept(to.parent);
    int treeRow = to.row;
    for (int top : tops) {
        const std::size_t k = static_cast<std::size_t>(top);
        if (parents_[k] == to.parent && nodes_[k]->Row() < to.row) --treeRow;
    }
    std::vector<ScatteredMove> moves(tops.size());
    for (std::size_t j = 0; j < tops.size(); ++j) {
        const std::size_t k = static_cast<std::size_t>(tops[j]);
        moves[j].width = removedBefore[j + 1] - removedBefore[j];
        moves[j].from = {tops[j], parents_[k], nodes_[k]->Row()};
        moves[j].to = {at + removedBefore[j], parent, treeRow + static_cast<int>(j)};
    }
    MoveBlocks(moves, true);
    Record(MoveBlocksAction{std::move(moves)});
    return at;
}

int BmLogic::CopyTopsTo(const std::vector<int>& tops, const Destination& to) {
    std::vector<int> widths;
    widths.reserve(tops.size());
    for (int top : tops) widths.push_back(SubtreeWidth(top));
    const int total = std::accumulate(widths.begin(), widths.end(), 0);
    OpenRows(to.tableAt, total);
    TreeNode* parentNode = nodes_[static_cast<std::size_t>(to.parent)];
    BlocksAction inserted;
    int at = to.tableAt;
    int treeRow = to.row;
    for (std::size_t j = 0; j < tops.size(); ++j) {
        // A source after the place moved down with the rows opened.
        const int source = tops[j] >= to.tableAt ? tops[j] + total : tops[j];
        const int width = widths[j];
        const int shift = at - source;
        for (int k = 0; k < width; ++k) {
            const std::size_t copy = static_cast<std::size_t>(at + k);
            const std::size_t original = static_cast<std::size_t>(source + k);
            for (TextColumn* texts : TextColumns()) texts->Set(copy, (*texts)[original]);
            parents_[copy] = parents_[original] + shift;
        }
        parents_[static_cast<std::size_t>(at)] = to.parent;
        // The copied nodes in pre-order are the copied rows in table order.
        TreeNode* copied =
            tree_.CopySubtree(nodes_[static_cast<std::size_t>(source)], parentNode, treeRow++);
        TreeNode* walk = copied;
        for (int row = at; row < at + width; ++row, walk = tree_.Next(walk)) {
            nodes_[static_cast<std::size_t>(row)] = walk;
        }
        ForgetCopiedSyncIds(at, width);
        RefreshImages(at);
        HeldBlock block;
        block.first = at;
        block.width = width;
        inserted.blocks.push_back(std::move(block));
        at += width;
    }
    Record(std::move(inserted));
    return to.tableAt;
}

// ---------------------------------------------------------------- up and down

bool BmLogic::MoveEntriesUpDown(const std::vector<NodeRef>& entries, bool up) {
    const std::vector<int> tops = TopsOf(entries);
    // The folders concerned, by node: a reorder of one folder moves the rows of those inside it.
    std::vector<NodeRef> folders;
    std::unordered_map<int, std::size_t> folderOf;
    std::vector<std::vector<NodeRef>> chosenIn;
    for (int top : tops) {
        const int parent = ParentOf(top);
        const auto [found, added] = folderOf.emplace(parent, folders.size());
        if (added) {
            folders.push_back(RefOf(parent));
            chosenIn.emplace_back();
        }
        chosenIn[found->second].push_back(RefOf(top));
    }
    bool moved = false;
    StepScope scope(*this, up ? "移動(上)" : "移動(下)");
    for (std::size_t f = 0; f < folders.size(); ++f) {
        const int folder = IndexOf(folders[f]);
        const int first = folder + 1;
        const int end = folder + SubtreeWidth(folder);
        std::vector<int> children;
        for (int child = first; child < end; child += SubtreeWidth(child)) {
            children.push_back(child);
        }
        std::vector<char> chosen(children.size(), 0);
        for (const NodeRef& entry : chosenIn[f]) {
            const int index = IndexOf(entry);
            const auto at = std::lower_bound(children.begin(), children.end(), index);
            chosen[static_cast<std::size_t>(at - children.begin())] = 1;
        }
        std::vector<int> ends(children.size());
        for (std::size_t c = 0; c < children.size(); ++c) {
            ends[c] = c + 1 < children.size() ? children[c + 1] : end;
        }
        std::vector<int> order(children.size());
        std::iota(order.begin(), order.end(), 0);
        if (!StepChosen(order, chosen, up)) continue;
        // The folder's rows in the new order of its children, each with its subtree.
        std::vector<int> rows;
        rows.reserve(static_cast<std::size_t>(end - first));
        for (int c : order) {
            const std::size_t child = static_cast<std::size_t>(c);
            for (int row = children[child]; row < ends[child]; ++row) rows.push_back(row - first);
        }
        ApplyRowOrder(first, rows);
        Record(OrderAction{first, std::move(rows)});
        moved = true;
    }
    if (!moved) return false;
    changed_ = true;
    CheckConsistency(up ? "上への移動" : "下への移動", true);
    return true;
}

}  // namespace pernard
