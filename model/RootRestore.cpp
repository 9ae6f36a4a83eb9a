// A root's entries replaced by those of another read of its source: an earlier version of the
// file put back into the collection as one step of undo.

#include "model/BmLogic.h"

namespace pernard {

bool BmLogic::ReplaceRootEntries(int root, const BmLogic& from, int fromRoot, const char* step) {
    if (!IsValidIndex(root) || !IsRoot(root) || !from.IsValidIndex(fromRoot) ||
        !from.IsRoot(fromRoot)) {
        return false;
    }
    const int outgoing = SubtreeWidth(root) - 1;
    const int incoming = from.SubtreeWidth(fromRoot) - 1;
    if (incoming > outgoing && !FitsCapacity(incoming - outgoing)) return false;
    StepScope scope(*this, step);
    std::vector<int> children;
    for (int child = root + 1; child <= root + outgoing; child += SubtreeWidth(child)) {
        children.push_back(child);
    }
    if (!children.empty()) Record(BlocksAction{TakeOutBlocks(children, true), true});
    // The root keeps its row: only rows after it went.
    const int first = root + 1;
    OpenRows(first, incoming);
    const auto sources = from.TextColumns();
    const auto targets = TextColumns();
    for (int k = 0; k < incoming; ++k) {
        const std::size_t copy = static_cast<std::size_t>(first + k);
        const std::size_t original = static_cast<std::size_t>(fromRoot + 1 + k);
        for (std::size_t column = 0; column < targets.size(); ++column) {
            targets[column]->Set(copy, (*sources[column])[original]);
        }
        parents_[copy] = from.parents_[original] - fromRoot + root;
    }
    BlocksAction inserted;
    TreeNode* rootNode = nodes_[static_cast<std::size_t>(root)];
    int treeRow = 0;
    for (int top = first; top < first + incoming;) {
        const int source = top - root + fromRoot;
        const int width = from.SubtreeWidth(source);
        // The copied nodes in pre-order are the copied rows in table order.
        TreeNode* walk = tree_.CopySubtreeFrom(
            from.tree_, from.nodes_[static_cast<std::size_t>(source)], rootNode, treeRow++);
        for (int row = top; row < top + width; ++row, walk = tree_.Next(walk)) {
            nodes_[static_cast<std::size_t>(row)] = walk;
        }
        RefreshImages(top);
        HeldBlock block;
        block.first = top;
        block.width = width;
        inserted.blocks.push_back(std::move(block));
        top += width;
    }
    if (!inserted.blocks.empty()) Record(std::move(inserted));
    changed_ = true;
    CheckConsistency(step, true);
    return true;
}

}  // namespace pernard
