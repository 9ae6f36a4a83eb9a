#pragma once
// The folder tree: the single source of truth for the tree the main window shows. Entry i of
// the entry table is the node whose absolute index (pre-order position over the whole tree,
// parent before children) is i.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/storage/ChildList.h"
#include "model/storage/Column.h"
#include "model/storage/TextArena.h"

namespace pernard {

class TreeNodes;

class TreeNode {
public:
    std::string_view Text() const { return TextArena::PrefixedText(label_); }
    int ImageIndex() const { return imageIndex_; }
    int SelectedIndex() const { return selectedIndex_; }
    bool Expanded() const { return expanded_; }
    // The parent node, or nullptr for a top-level node.
    TreeNode* Parent() const;
    // Position among the parent's children (or among the top-level nodes).
    int Row() const { return row_; }
    int ChildCount() const { return static_cast<int>(children_.size()); }
    TreeNode* Child(int row) const { return children_[static_cast<std::size_t>(row)]; }
    bool HasChildren() const { return !children_.empty(); }
    // A number no other node of the same tree ever had or will have.
    std::uint64_t Serial() const { return serial_; }

private:
    friend class TreeNodes;
    // A million of them are a million entries: the members are ordered, and the small ones
    // packed, so that a node takes 48 bytes.
    const char* label_ = nullptr;    // TextArena::StorePrefixed bytes: the tree's, or borrowed
    std::uint64_t serial_ = 0;       // 0 while the node is free
    TreeNode* parent_ = nullptr;     // the invisible root for top-level nodes
    ChildList<TreeNode*> children_;  // owned by the tree's node pool
    int row_ = 0;
    int absoluteIndex_ = -1;    // valid while the tree's order cache is valid
    std::uint32_t extras_ = 0;  // 1 + the slot of its extras in the tree; 0 for none
    std::uint8_t imageIndex_ = 0;
    std::uint8_t selectedIndex_ = 0;
    bool expanded_ : 1 = false;
    bool leaving_ : 1 = false;   // marked by TakeOutMany
    bool borrowed_ : 1 = false;  // the label's bytes are the caller's (TreeNodes::Label::Borrowed)
};

// A node held across edits: it resolves to the same node as long as that node exists, and to
// nothing once it was deleted (even when its memory was reused for another node) or the tree
// was cleared.
struct NodeRef {
    TreeNode* node = nullptr;
    std::uint64_t serial = 0;
    bool operator==(const NodeRef&) const = default;
};

// The parents whose children changed: some left (taken out, deleted, moved away) or arrived
// (inserted, put back, copied, moved in, put in another order). `all`: anything may have
// changed (a load, a clear, more parents than are worth listing). The top level is the empty
// NodeRef. A view that shows some parents' children asks this once a change is complete, to
// refresh only what it touched.
struct TreeTouch {
    bool all = false;
    std::vector<NodeRef> left;
    std::vector<NodeRef> arrived;
};

// Told about every change, so that a view can follow the tree. `parent` is nullptr for the
// top level. A bulk change (a whole load) is announced as one reset.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    virtual void AboutToInsert(TreeNode* parent, int row) = 0;
    virtual void Inserted() = 0;
    virtual void AboutToRemove(TreeNode* parent, int row) = 0;
    virtual void Removed() = 0;
    // `node` moves from (fromParent, fromRow) to row `toRow` of `toParent`, counted after the
    // node has left its old place.
    virtual void AboutToMove(TreeNode* fromParent, int fromRow, TreeNode* toParent, int toRow) = 0;
    virtual void Moved() = 0;
    virtual void Changed(TreeNode* node) = 0;
    virtual void AboutToReset() = 0;
    virtual void ResetDone() = 0;
    // The children of some nodes were put in another order; no node came or went. An observer
    // that cannot follow a new order hears a reset.
    virtual void AboutToReorder() { AboutToReset(); }
    virtual void Reordered() { ResetDone(); }
};

class TreeNodes {
public:
    TreeNodes();
    ~TreeNodes();
    TreeNodes(const TreeNodes&) = delete;
    TreeNodes& operator=(const TreeNodes&) = delete;

    void SetObserver(TreeObserver* observer) { observer_ = observer; }

    // A label is copied into the tree's own arena, or borrowed: its bytes stay the caller's,
    // who keeps them alive and unchanged while the node has that label (the table lends its
    // names, and re-lends them when it moves them: BorrowLabel). A borrowed text is a view
    // that TextArena::PrefixedText gave: the node keeps only where its length starts.
    // SetText and copies of a node always copy.
    enum class Label { Copied, Borrowed };
    TreeNode* AddTopLevelLast(std::string_view text, Label label = Label::Copied);
    TreeNode* AddChildFirst(TreeNode* parent, std::string_view text);
    TreeNode* AddChildLast(TreeNode* parent, std::string_view text, Label label = Label::Copied);
    // Inserts a new node right before `sibling`, under the same parent.
    TreeNode* InsertBefore(TreeNode* sibling, std::string_view text);
    // Deletes the node and all its descendants.
    void Delete(TreeNode* node);
    // Moves the node with its descendants to row `row` of `parent` (nullptr: the top level),
    // the row counted without the node itself. False, and nothing changes, when `parent` is
    // the node or lies below it.
    bool Move(TreeNode* node, TreeNode* parent, int row);
    // Inserts a copy of `source` and its descendants (texts and images; the copies are
    // collapsed) at row `row` of `parent` (nullptr: the top level); one notification.
    TreeNode* CopySubtree(const TreeNode* source, TreeNode* parent, int row);
    // The same for a node of another tree (its extras are read from that tree).
    TreeNode* CopySubtreeFrom(const TreeNodes& from, const TreeNode* source, TreeNode* parent,
                              int row);
    void Clear();
    // Gives each parent (nullptr: the top level) its children in a new order, each list the
    // parent's own children rearranged; one notification.
    struct ChildOrder {
        TreeNode* parent;
        std::vector<TreeNode*> children;
    };
    void Reorder(const std::vector<ChildOrder>& orders);

    // Takes the node and its descendants out of the tree without freeing them: they keep their
    // texts, images, expanded state and serials, but resolve to nothing until put back.
    void TakeOut(TreeNode* node);
    // Puts a node taken out back at row `row` of `parent` (nullptr: the top level).
    void PutBack(TreeNode* node, TreeNode* parent, int row);
    // Frees a node taken out, with its descendants.
    void Release(TreeNode* node);
    // TakeOut and PutBack of many subtrees at once (none below another), one pass over the
    // children of each parent concerned; announced as one reset.
    void TakeOutMany(const std::vector<TreeNode*>& nodes);
    struct Placement {
        TreeNode* node;
        TreeNode* parent;  // nullptr: the top level
        int row;           // counted with every node of the call back in place
    };
    void PutBackMany(const std::vector<Placement>& placements);

    int Count() const { return count_; }
    int TopLevelCount() const { return root_.ChildCount(); }
    TreeNode* TopLevel(int row) const { return root_.Child(row); }
    // Pre-order position of the node over the whole tree.
    int AbsoluteIndex(const TreeNode* node) const;
    // The node at a pre-order position, or nullptr outside 0..Count()-1.
    TreeNode* NodeAt(int absoluteIndex) const;
    TreeNode* Next(const TreeNode* node) const;
    // Next and previous node as shown: the contents of collapsed nodes are skipped.
    TreeNode* NextVisible(const TreeNode* node) const;
    TreeNode* PreviousVisible(const TreeNode* node) const;
    bool IsAncestor(const TreeNode* ancestor, const TreeNode* node) const;

    NodeRef Ref(TreeNode* node) const {
        return node == nullptr ? NodeRef{} : NodeRef{node, node->serial_};
    }
    // The node a reference names, or nullptr when it no longer exists.
    TreeNode* Resolve(const NodeRef& ref) const;
    // Counts the changes of the tree's shape and labels: equal counts, the same tree.
    std::uint64_t Version() const { return version_; }
    // Bytes held by the labels' arena, and by the labels of the nodes that exist.
    std::size_t LabelArenaBytes() const { return labels_.UsedBytes(); }
    std::size_t LiveLabelBytes() const { return liveLabelBytes_; }

    void SetText(TreeNode* node, std::string_view text);
    // The same label text at a new place of the caller's (see Label).
    void BorrowLabel(TreeNode* node, std::string_view text);
    bool IsLabelBorrowed(const TreeNode* node) const { return node->borrowed_; }
    // The nodes taken out (held for an undo) copy the labels they borrow, so that the lender
    // may move or free those bytes.
    void OwnTakenOutLabels();
    // What an entry's source held beyond the table's columns (model/EntryExtras.h), packed;
    // empty for none. A copy of a node gets a copy of them; they go with the node.
    std::string_view Extras(const TreeNode* node) const {
        return node->extras_ == 0 ? std::string_view() : extras_[node->extras_ - 1];
    }
    void SetExtras(TreeNode* node, std::string_view packed);
    void SetImages(TreeNode* node, int imageIndex, int selectedIndex);
    // Records the view's expand and collapse; no notification.
    void SetExpanded(TreeNode* node, bool expanded) { node->expanded_ = expanded; }

    // Between BeginBulk and EndBulk no change is announced; EndBulk announces one reset. The
    // touch log (TakeTouch) counts everything as touched.
    void BeginBulk();
    void EndBulk();
    // What changed since the touch log was last taken; the log starts empty again.
    TreeTouch TakeTouch();

private:
    // The observer hears one reset for the changes in between; the touch log lists them.
    void BeginReset();
    void EndReset();
    void Touch(const TreeNode* parent, bool arrived);
    TreeNode* Insert(TreeNode* parent, int row, std::string_view text, Label label = Label::Copied);
    void EnsureOrder() const;
    // Numbers every node in pre-order and lists them in order_.
    void ListOrder() const;
    bool IsOnLastPath(const TreeNode* node) const;
    static TreeNode* NextSiblingOrAncestorSibling(const TreeNode* node);
    TreeNode* NewNode(std::string_view text, Label label = Label::Copied);
    // Returns the node and its descendants to the pool; the number of nodes freed.
    int FreeSubtree(TreeNode* node);
    void Detach(TreeNode* node);
    void Attach(TreeNode* node, TreeNode* parent, int row);
    static int SubtreeSize(const TreeNode* node);
    // True when the node hangs below the invisible root (not taken out).
    bool IsInTree(const TreeNode* node) const;
    static void Renumber(TreeNode* parent, int fromRow);
    const char* StoreLabel(std::string_view text);
    // Forgets the node's label, copied or borrowed.
    void DropLabel(TreeNode* node);
    // Copies the labels of the existing nodes into a fresh arena once replaced and deleted
    // labels make up most of it, so that edits never grow the arena without bound.
    void ReclaimLabels();

    TreeNode root_;
    // Nodes live in a pool: appending a million nodes costs no million allocations, and a
    // deleted node's slot is reused.
    Column<TreeNode> pool_;
    std::vector<TreeNode*> freeNodes_;
    std::unordered_set<TreeNode*> takenOut_;  // tops of subtrees taken out, still alive
    TextArena labels_;
    std::size_t liveLabelBytes_ = 0;
    // Extras are few (most entries have none): one text each, slots reused.
    std::vector<std::string> extras_;
    std::vector<std::uint32_t> freeExtras_;
    int count_ = 0;
    std::uint64_t nextSerial_ = 1;
    std::uint64_t firstSerialOfContents_ = 1;  // nodes made before the last Clear are gone
    int bulkDepth_ = 0;
    TreeTouch touch_;
    std::uint64_t version_ = 0;
    TreeObserver* observer_ = nullptr;
    // The pre-order: valid when every node's absoluteIndex_ is right. Appending in order keeps
    // it valid and only notes the new last node; the list of nodes by position (8 bytes a
    // node) is made when NodeAt first needs it, so that a load does not hold a second one
    // beside the table's own.
    mutable std::vector<TreeNode*> order_;
    mutable bool orderValid_ = true;
    mutable bool orderListed_ = false;               // order_ holds every node, in pre-order
    mutable const TreeNode* lastInOrder_ = nullptr;  // while valid: the last node in pre-order
};

}  // namespace pernard
