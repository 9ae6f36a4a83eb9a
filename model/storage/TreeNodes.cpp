#include "model/storage/TreeNodes.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>
#include <utility>

namespace pernard {

TreeNode* TreeNode::Parent() const {
    return (parent_ != nullptr && parent_->parent_ != nullptr) ? parent_ : nullptr;
}

TreeNodes::TreeNodes() = default;

TreeNodes::~TreeNodes() = default;

TreeNode* TreeNodes::NewNode(std::string_view text, Label label) {
    TreeNode* node;
    if (freeNodes_.empty()) {
        pool_.emplace_back();
        node = &pool_[pool_.size() - 1];
    } else {
        node = freeNodes_.back();
        freeNodes_.pop_back();
        *node = TreeNode();
    }
    if (label == Label::Borrowed) {
        node->label_ = TextArena::PrefixOf(text);
        node->borrowed_ = true;
        assert(node->Text() == text && node->Text().data() == text.data());
    } else {
        node->label_ = StoreLabel(text);
    }
    node->serial_ = nextSerial_++;
    return node;
}

void TreeNodes::DropLabel(TreeNode* node) {
    if (!node->borrowed_ && node->label_ != nullptr) {
        liveLabelBytes_ -= TextArena::PrefixedBytes(node->Text().size());
    }
    node->borrowed_ = false;
    node->label_ = nullptr;
}

void TreeNodes::BorrowLabel(TreeNode* node, std::string_view text) {
    DropLabel(node);
    node->label_ = TextArena::PrefixOf(text);
    node->borrowed_ = true;
    assert(node->Text() == text && node->Text().data() == text.data());
}

void TreeNodes::OwnTakenOutLabels() {
    std::vector<TreeNode*> pending(takenOut_.begin(), takenOut_.end());
    while (!pending.empty()) {
        TreeNode* node = pending.back();
        pending.pop_back();
        if (node->borrowed_) {
            node->borrowed_ = false;
            node->label_ = StoreLabel(node->Text());
        }
        pending.insert(pending.end(), node->children_.begin(), node->children_.end());
    }
}

const char* TreeNodes::StoreLabel(std::string_view text) {
    if (!text.empty()) liveLabelBytes_ += TextArena::PrefixedBytes(text.size());
    return labels_.StorePrefixed(text);
}

void TreeNodes::ReclaimLabels() {
    constexpr std::size_t kSlack = 1 << 20;
    if (labels_.UsedBytes() <= 2 * liveLabelBytes_ + kSlack) return;
    TextArena fresh;
    std::vector<TreeNode*> pending(root_.children_.begin(), root_.children_.end());
    pending.insert(pending.end(), takenOut_.begin(), takenOut_.end());
    while (!pending.empty()) {
        TreeNode* node = pending.back();
        pending.pop_back();
        if (!node->borrowed_) node->label_ = fresh.StorePrefixed(node->Text());
        pending.insert(pending.end(), node->children_.begin(), node->children_.end());
    }
    labels_.Swap(fresh);
}

void TreeNodes::SetExtras(TreeNode* node, std::string_view view) {
    // `view` may point into a slot that growing the slots would move.
    std::string packed(view);
    if (node->extras_ != 0) {
        if (!packed.empty()) {
            extras_[node->extras_ - 1] = std::move(packed);
            return;
        }
        std::string().swap(extras_[node->extras_ - 1]);
        freeExtras_.push_back(node->extras_);
        node->extras_ = 0;
        return;
    }
    if (packed.empty()) return;
    if (freeExtras_.empty()) {
        extras_.push_back(std::move(packed));
        node->extras_ = static_cast<std::uint32_t>(extras_.size());
    } else {
        node->extras_ = freeExtras_.back();
        freeExtras_.pop_back();
        extras_[node->extras_ - 1] = std::move(packed);
    }
}

TreeNode* TreeNodes::Resolve(const NodeRef& ref) const {
    // A reference from before the last Clear points into released memory: never look at it.
    if (ref.node == nullptr || ref.serial < firstSerialOfContents_) return nullptr;
    if (ref.node->serial_ != ref.serial) return nullptr;
    return IsInTree(ref.node) ? ref.node : nullptr;
}

bool TreeNodes::IsInTree(const TreeNode* node) const {
    const TreeNode* walk = node;
    while (walk->parent_ != nullptr) walk = walk->parent_;
    return walk == &root_;
}

int TreeNodes::SubtreeSize(const TreeNode* node) {
    int size = 0;
    std::vector<const TreeNode*> pending{node};
    while (!pending.empty()) {
        const TreeNode* walk = pending.back();
        pending.pop_back();
        ++size;
        pending.insert(pending.end(), walk->children_.begin(), walk->children_.end());
    }
    return size;
}

void TreeNodes::TakeOut(TreeNode* node) {
    ++version_;
    if (node == nullptr || node == &root_ || !IsInTree(node)) return;
    TreeNode* parent = node->parent_;
    const bool notify = observer_ != nullptr && bulkDepth_ == 0;
    if (notify) observer_->AboutToRemove(parent == &root_ ? nullptr : parent, node->row_);
    Touch(parent, false);
    Detach(node);
    node->parent_ = nullptr;
    count_ -= SubtreeSize(node);
    takenOut_.insert(node);
    orderValid_ = false;
    if (notify) observer_->Removed();
}

void TreeNodes::PutBack(TreeNode* node, TreeNode* parent, int row) {
    ++version_;
    TreeNode* target = parent == nullptr ? &root_ : parent;
    if (takenOut_.erase(node) == 0) return;
    const bool notify = observer_ != nullptr && bulkDepth_ == 0;
    if (notify) observer_->AboutToInsert(parent, row);
    Touch(target, true);
    Attach(node, target, row);
    count_ += SubtreeSize(node);
    orderValid_ = false;
    if (notify) observer_->Inserted();
}

void TreeNodes::TakeOutMany(const std::vector<TreeNode*>& nodes) {
    BeginReset();
    ++version_;
    std::vector<TreeNode*> parents;
    std::unordered_set<TreeNode*> listed;
    for (TreeNode* node : nodes) {
        if (node == nullptr || node == &root_ || node->leaving_ || !IsInTree(node)) continue;
        node->leaving_ = true;
        // Siblings come one after another: their parent is looked up once.
        if (!parents.empty() && parents.back() == node->parent_) continue;
        if (listed.insert(node->parent_).second) parents.push_back(node->parent_);
    }
    takenOut_.reserve(takenOut_.size() + nodes.size());
    for (TreeNode* parent : parents) {
        Touch(parent, false);
        auto& children = parent->children_;
        std::size_t kept = 0;
        for (TreeNode* child : children) {
            if (child->leaving_) {
                child->leaving_ = false;
                child->parent_ = nullptr;
                count_ -= SubtreeSize(child);
                takenOut_.insert(child);
            } else {
                child->row_ = static_cast<int>(kept);
                children[kept++] = child;
            }
        }
        children.resize(kept);
    }
    orderValid_ = false;
    EndReset();
}

void TreeNodes::PutBackMany(const std::vector<Placement>& placements) {
    BeginReset();
    ++version_;
    // Per parent, the nodes to put back in ascending rows.
    std::unordered_map<TreeNode*, std::vector<const Placement*>> byParent;
    for (const Placement& placement : placements) {
        if (takenOut_.erase(placement.node) == 0) continue;
        TreeNode* parent = placement.parent == nullptr ? &root_ : placement.parent;
        byParent[parent].push_back(&placement);
    }
    for (auto& [parent, incoming] : byParent) {
        Touch(parent, true);
        std::sort(incoming.begin(), incoming.end(),
                  [](const Placement* a, const Placement* b) { return a->row < b->row; });
        ChildList<TreeNode*> merged;
        merged.reserve(parent->children_.size() + incoming.size());
        std::size_t old = 0;
        for (const Placement* placement : incoming) {
            while (static_cast<int>(merged.size()) < placement->row &&
                   old < parent->children_.size()) {
                merged.push_back(parent->children_[old++]);
            }
            placement->node->parent_ = parent;
            merged.push_back(placement->node);
            count_ += SubtreeSize(placement->node);
        }
        while (old < parent->children_.size()) merged.push_back(parent->children_[old++]);
        parent->children_ = std::move(merged);
        Renumber(parent, 0);
    }
    orderValid_ = false;
    EndReset();
}

void TreeNodes::Reorder(const std::vector<ChildOrder>& orders) {
    const bool notify = observer_ != nullptr && bulkDepth_ == 0;
    if (notify) observer_->AboutToReorder();
    ++version_;
    for (const ChildOrder& order : orders) {
        TreeNode* parent = order.parent == nullptr ? &root_ : order.parent;
        if (order.children.size() != parent->children_.size()) continue;
        Touch(parent, true);
        std::copy(order.children.begin(), order.children.end(), parent->children_.begin());
        Renumber(parent, 0);
    }
    orderValid_ = false;
    if (notify) observer_->Reordered();
}

void TreeNodes::Release(TreeNode* node) {
    if (takenOut_.erase(node) == 0) return;
    FreeSubtree(node);
    ReclaimLabels();
}

int TreeNodes::FreeSubtree(TreeNode* node) {
    int freed = 0;
    std::vector<TreeNode*> pending{node};
    while (!pending.empty()) {
        TreeNode* walk = pending.back();
        pending.pop_back();
        ++freed;
        for (TreeNode* child : walk->children_) pending.push_back(child);
        walk->children_.clear();
        walk->children_.shrink_to_fit();
        DropLabel(walk);
        SetExtras(walk, {});
        walk->serial_ = 0;
        walk->parent_ = nullptr;
        freeNodes_.push_back(walk);
    }
    return freed;
}

TreeNode* TreeNodes::AddTopLevelLast(std::string_view text, Label label) {
    return Insert(&root_, root_.ChildCount(), text, label);
}

TreeNode* TreeNodes::AddChildFirst(TreeNode* parent, std::string_view text) {
    return Insert(parent, 0, text);
}

TreeNode* TreeNodes::AddChildLast(TreeNode* parent, std::string_view text, Label label) {
    return Insert(parent, parent->ChildCount(), text, label);
}

TreeNode* TreeNodes::InsertBefore(TreeNode* sibling, std::string_view text) {
    return Insert(sibling->parent_, sibling->row_, text);
}

bool TreeNodes::IsOnLastPath(const TreeNode* node) const {
    // True when the last node in pre-order is `node` or lies below it, so that a new last
    // child of `node` becomes the new last node in pre-order.
    if (node == &root_) return true;
    for (const TreeNode* walk = lastInOrder_; walk != nullptr; walk = walk->parent_) {
        if (walk == node) return true;
    }
    return false;
}

TreeNode* TreeNodes::Insert(TreeNode* parent, int row, std::string_view text, Label label) {
    ++version_;
    const bool appendsToOrder = orderValid_ && row == parent->ChildCount() && IsOnLastPath(parent);
    const bool notify = observer_ != nullptr && bulkDepth_ == 0;
    if (notify) observer_->AboutToInsert(parent == &root_ ? nullptr : parent, row);
    Touch(parent, true);
    TreeNode* raw = NewNode(text, label);
    raw->parent_ = parent;
    raw->row_ = row;
    parent->children_.insert(parent->children_.begin() + row, raw);
    Renumber(parent, row + 1);
    ++count_;
    if (appendsToOrder) {
        raw->absoluteIndex_ = count_ - 1;
        lastInOrder_ = raw;
        if (orderListed_) order_.push_back(raw);
    } else {
        orderValid_ = false;
    }
    if (notify) observer_->Inserted();
    return raw;
}

void TreeNodes::Delete(TreeNode* node) {
    if (node == nullptr || node == &root_ || !IsInTree(node)) return;
    TakeOut(node);
    Release(node);
}

void TreeNodes::Renumber(TreeNode* parent, int fromRow) {
    for (std::size_t k = static_cast<std::size_t>(fromRow); k < parent->children_.size(); ++k) {
        parent->children_[k]->row_ = static_cast<int>(k);
    }
}

void TreeNodes::Detach(TreeNode* node) {
    TreeNode* parent = node->parent_;
    parent->children_.erase(parent->children_.begin() + node->row_);
    Renumber(parent, node->row_);
}

void TreeNodes::Attach(TreeNode* node, TreeNode* parent, int row) {
    node->parent_ = parent;
    parent->children_.insert(parent->children_.begin() + row, node);
    Renumber(parent, row);
}

bool TreeNodes::Move(TreeNode* node, TreeNode* parent, int row) {
    if (node == nullptr || node == &root_) return false;
    TreeNode* target = parent == nullptr ? &root_ : parent;
    if (target == node || IsAncestor(node, target)) return false;
    const int limit = target->ChildCount() - (node->parent_ == target ? 1 : 0);
    if (row < 0 || row > limit) return false;
    if (node->parent_ == target && node->row_ == row) return true;
    const bool notify = observer_ != nullptr && bulkDepth_ == 0;
    if (notify) {
        TreeNode* from = node->parent_ == &root_ ? nullptr : node->parent_;
        observer_->AboutToMove(from, node->row_, parent, row);
    }
    ++version_;
    Touch(node->parent_, false);
    Touch(target, true);
    Detach(node);
    Attach(node, target, row);
    orderValid_ = false;
    if (notify) observer_->Moved();
    return true;
}

TreeNode* TreeNodes::CopySubtree(const TreeNode* source, TreeNode* parent, int row) {
    return CopySubtreeFrom(*this, source, parent, row);
}

TreeNode* TreeNodes::CopySubtreeFrom(const TreeNodes& from, const TreeNode* source,
                                     TreeNode* parent, int row) {
    TreeNode* target = parent == nullptr ? &root_ : parent;
    if (source == nullptr || row < 0 || row > target->ChildCount()) return nullptr;
    // The copy is built apart from the tree and attached in one step.
    auto copyOf = [this, &from](const TreeNode* original) {
        TreeNode* copy = NewNode(original->Text());
        SetExtras(copy, from.Extras(original));
        copy->imageIndex_ = original->imageIndex_;
        copy->selectedIndex_ = original->selectedIndex_;
        return copy;
    };
    TreeNode* top = copyOf(source);
    int copied = 1;
    std::vector<std::pair<const TreeNode*, TreeNode*>> pending{{source, top}};
    while (!pending.empty()) {
        const auto [original, copy] = pending.back();
        pending.pop_back();
        copy->children_.reserve(original->children_.size());
        for (const TreeNode* child : original->children_) {
            TreeNode* childCopy = copyOf(child);
            childCopy->parent_ = copy;
            childCopy->row_ = static_cast<int>(copy->children_.size());
            copy->children_.push_back(childCopy);
            pending.emplace_back(child, childCopy);
            ++copied;
        }
    }
    const bool notify = observer_ != nullptr && bulkDepth_ == 0;
    ++version_;
    if (notify) observer_->AboutToInsert(parent, row);
    Touch(target, true);
    Attach(top, target, row);
    count_ += copied;
    orderValid_ = false;
    if (notify) observer_->Inserted();
    return top;
}

void TreeNodes::Clear() {
    ++version_;
    const bool notify = observer_ != nullptr && bulkDepth_ == 0;
    if (notify) observer_->AboutToReset();
    touch_ = TreeTouch{true, {}, {}};
    root_.children_.clear();
    pool_.clear();
    freeNodes_.clear();
    takenOut_.clear();
    labels_.Clear();
    liveLabelBytes_ = 0;
    extras_.clear();
    freeExtras_.clear();
    firstSerialOfContents_ = nextSerial_;
    count_ = 0;
    std::vector<TreeNode*>().swap(order_);
    orderValid_ = true;
    // A load that follows appends in order without listing the nodes a second time.
    orderListed_ = false;
    lastInOrder_ = nullptr;
    if (notify) observer_->ResetDone();
}

void TreeNodes::EnsureOrder() const {
    if (orderValid_) return;
    ListOrder();
}

void TreeNodes::ListOrder() const {
    order_.clear();
    order_.reserve(static_cast<std::size_t>(count_));
    std::vector<const TreeNode*> stack;
    for (int row = root_.ChildCount() - 1; row >= 0; --row) stack.push_back(root_.Child(row));
    while (!stack.empty()) {
        const TreeNode* node = stack.back();
        stack.pop_back();
        TreeNode* mutableNode = const_cast<TreeNode*>(node);
        mutableNode->absoluteIndex_ = static_cast<int>(order_.size());
        order_.push_back(mutableNode);
        for (int row = node->ChildCount() - 1; row >= 0; --row) stack.push_back(node->Child(row));
    }
    orderValid_ = true;
    orderListed_ = true;
    lastInOrder_ = order_.empty() ? nullptr : order_.back();
}

int TreeNodes::AbsoluteIndex(const TreeNode* node) const {
    if (node == nullptr) return -1;
    EnsureOrder();
    return node->absoluteIndex_;
}

TreeNode* TreeNodes::NodeAt(int absoluteIndex) const {
    if (absoluteIndex < 0 || absoluteIndex >= count_) return nullptr;
    if (!orderValid_ || !orderListed_) ListOrder();
    return order_[static_cast<std::size_t>(absoluteIndex)];
}

TreeNode* TreeNodes::NextSiblingOrAncestorSibling(const TreeNode* node) {
    for (const TreeNode* walk = node; walk->parent_ != nullptr; walk = walk->parent_) {
        const TreeNode* parent = walk->parent_;
        if (walk->row_ + 1 < parent->ChildCount()) return parent->Child(walk->row_ + 1);
    }
    return nullptr;
}

TreeNode* TreeNodes::Next(const TreeNode* node) const {
    if (node == nullptr) return nullptr;
    if (node->HasChildren()) return node->Child(0);
    return NextSiblingOrAncestorSibling(node);
}

TreeNode* TreeNodes::NextVisible(const TreeNode* node) const {
    if (node == nullptr) return nullptr;
    if (node->HasChildren() && node->expanded_) return node->Child(0);
    return NextSiblingOrAncestorSibling(node);
}

TreeNode* TreeNodes::PreviousVisible(const TreeNode* node) const {
    if (node == nullptr) return nullptr;
    if (node->row_ == 0) return node->Parent();
    TreeNode* walk = node->parent_->Child(node->row_ - 1);
    while (walk->expanded_ && walk->HasChildren()) walk = walk->Child(walk->ChildCount() - 1);
    return walk;
}

bool TreeNodes::IsAncestor(const TreeNode* ancestor, const TreeNode* node) const {
    if (ancestor == nullptr || node == nullptr) return false;
    for (const TreeNode* walk = node->Parent(); walk != nullptr; walk = walk->Parent()) {
        if (walk == ancestor) return true;
    }
    return false;
}

void TreeNodes::SetText(TreeNode* node, std::string_view text) {
    ++version_;
    // `text` may be the node's own label: stored before it is dropped.
    const char* stored = StoreLabel(text);
    DropLabel(node);
    node->label_ = stored;
    if (observer_ != nullptr && bulkDepth_ == 0) observer_->Changed(node);
    ReclaimLabels();
}

void TreeNodes::SetImages(TreeNode* node, int imageIndex, int selectedIndex) {
    node->imageIndex_ = static_cast<std::uint8_t>(imageIndex);
    node->selectedIndex_ = static_cast<std::uint8_t>(selectedIndex);
    if (observer_ != nullptr && bulkDepth_ == 0) observer_->Changed(node);
}

void TreeNodes::BeginBulk() {
    touch_ = TreeTouch{true, {}, {}};
    BeginReset();
}

void TreeNodes::EndBulk() { EndReset(); }

void TreeNodes::BeginReset() {
    if (bulkDepth_++ == 0 && observer_ != nullptr) observer_->AboutToReset();
}

void TreeNodes::EndReset() {
    assert(bulkDepth_ > 0);
    if (--bulkDepth_ == 0 && observer_ != nullptr) observer_->ResetDone();
}

TreeTouch TreeNodes::TakeTouch() { return std::exchange(touch_, TreeTouch{}); }

void TreeNodes::Touch(const TreeNode* parent, bool arrived) {
    // Beyond this many parents a view may as well look at everything.
    constexpr std::size_t kListedParents = 256;
    if (touch_.all) return;
    std::vector<NodeRef>& parents = arrived ? touch_.arrived : touch_.left;
    const NodeRef ref = parent == &root_ ? NodeRef{} : Ref(const_cast<TreeNode*>(parent));
    if (!parents.empty() && parents.back() == ref) return;
    if (parents.size() == kListedParents) {
        touch_ = TreeTouch{true, {}, {}};
        return;
    }
    parents.push_back(ref);
}

}  // namespace pernard
