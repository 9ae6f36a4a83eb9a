#include <gtest/gtest.h>

#include "model/storage/TreeNodes.h"

using namespace pernard;

namespace {

std::string Order(const TreeNodes& tree) {
    std::string text;
    for (int i = 0; i < tree.Count(); ++i) text += tree.NodeAt(i)->Text();
    return text;
}

class CountingObserver : public TreeObserver {
public:
    int inserts = 0, removes = 0, moves = 0, changes = 0, resets = 0;
    void AboutToInsert(TreeNode*, int) override {}
    void Inserted() override { ++inserts; }
    void AboutToRemove(TreeNode*, int) override {}
    void Removed() override { ++removes; }
    void AboutToMove(TreeNode*, int, TreeNode*, int) override {}
    void Moved() override { ++moves; }
    void Changed(TreeNode*) override { ++changes; }
    void AboutToReset() override {}
    void ResetDone() override { ++resets; }
};

}  // namespace

TEST(TreeNodes, AbsoluteIndexIsThePreOrderPosition) {
    TreeNodes tree;
    TreeNode* a = tree.AddTopLevelLast("A");
    TreeNode* b = tree.AddChildLast(a, "B");
    tree.AddChildLast(b, "C");
    TreeNode* d = tree.AddTopLevelLast("D");
    TreeNode* e = tree.AddChildFirst(a, "E");  // before B
    tree.InsertBefore(d, "F");
    EXPECT_EQ(Order(tree), "AEBCFD");
    EXPECT_EQ(tree.Count(), 6);
    EXPECT_EQ(tree.AbsoluteIndex(e), 1);
    EXPECT_EQ(tree.AbsoluteIndex(d), 5);
    EXPECT_EQ(tree.NodeAt(6), nullptr);
    EXPECT_EQ(tree.NodeAt(-1), nullptr);
    EXPECT_EQ(b->Parent(), a);
    EXPECT_EQ(a->Parent(), nullptr);

    tree.Delete(b);
    EXPECT_EQ(Order(tree), "AEFD");
    EXPECT_EQ(tree.Count(), 4);
    EXPECT_EQ(e->Row(), 0);
    EXPECT_EQ(tree.AbsoluteIndex(d), 3);
}

TEST(TreeNodes, AppendsInOrderKeepThePositionsWhetherOrNotTheyWereListed) {
    TreeNodes tree;
    for (int round = 0; round < 2; ++round) {
        tree.Clear();
        // A load: every node appended as the last one in pre-order, back up the path and down.
        TreeNode* a = tree.AddTopLevelLast("A");
        TreeNode* b = tree.AddChildLast(a, "B");
        tree.AddChildLast(b, "C");
        if (round == 1) {
            EXPECT_EQ(Order(tree), "ABC");  // listed in the middle of the load
        }
        TreeNode* d = tree.AddChildLast(a, "D");
        TreeNode* e = tree.AddTopLevelLast("E");
        EXPECT_EQ(tree.AbsoluteIndex(d), 3);
        EXPECT_EQ(tree.AbsoluteIndex(e), 4);
        EXPECT_EQ(Order(tree), "ABCDE");
        // Not at the end: the positions after it move.
        tree.AddChildLast(b, "F");
        EXPECT_EQ(tree.AbsoluteIndex(d), 4);
        EXPECT_EQ(Order(tree), "ABCFDE");
        tree.AddChildLast(e, "G");
        EXPECT_EQ(tree.AbsoluteIndex(tree.NodeAt(6)), 6);
        EXPECT_EQ(Order(tree), "ABCFDEG");
    }
}

TEST(TreeNodes, WalksInFullAndVisibleOrder) {
    TreeNodes tree;
    TreeNode* a = tree.AddTopLevelLast("A");
    TreeNode* b = tree.AddChildLast(a, "B");
    TreeNode* c = tree.AddChildLast(b, "C");
    TreeNode* d = tree.AddTopLevelLast("D");
    EXPECT_EQ(tree.Next(a), b);
    EXPECT_EQ(tree.Next(c), d);
    EXPECT_EQ(tree.Next(d), nullptr);
    // Collapsed: the visible walk skips the contents.
    EXPECT_EQ(tree.NextVisible(a), d);
    EXPECT_EQ(tree.PreviousVisible(d), a);
    tree.SetExpanded(a, true);
    tree.SetExpanded(b, true);
    EXPECT_EQ(tree.NextVisible(a), b);
    EXPECT_EQ(tree.PreviousVisible(d), c);
    EXPECT_EQ(tree.PreviousVisible(b), a);
    EXPECT_EQ(tree.PreviousVisible(a), nullptr);
    EXPECT_TRUE(tree.IsAncestor(a, c));
    EXPECT_FALSE(tree.IsAncestor(c, a));
    EXPECT_FALSE(tree.IsAncestor(d, c));
}

TEST(TreeNodes, NodesTakenOutComeBackAsThemselvesOrAreReleased) {
    TreeNodes tree;
    TreeNode* root = tree.AddTopLevelLast("R");
    std::vector<TreeNode*> children;
    for (int k = 0; k < 6; ++k) {
        TreeNode* child = tree.AddChildLast(root, std::string(1, static_cast<char>('a' + k)));
        tree.AddChildLast(child, "x");
        children.push_back(child);
    }
    const NodeRef c = tree.Ref(children[2]);
    const NodeRef cx = tree.Ref(children[2]->Child(0));
    tree.TakeOut(children[2]);
    tree.TakeOut(children[4]);
    EXPECT_EQ(Order(tree), "Raxbxdxfx");
    EXPECT_EQ(tree.Count(), 9);
    EXPECT_EQ(tree.Resolve(c), nullptr);
    EXPECT_EQ(tree.Resolve(cx), nullptr);
    // Replacing every label reclaims the arena; the nodes taken out keep theirs.
    for (int round = 0; round < 4; ++round) {
        tree.SetText(root, std::string(std::size_t{1} << 20, 'r'));
    }
    tree.SetText(root, "R");
    tree.PutBack(children[2], root, 2);
    tree.PutBack(children[4], root, 4);
    EXPECT_EQ(Order(tree), "Raxbxcxdxexfx");
    EXPECT_EQ(tree.Resolve(c), children[2]);
    EXPECT_EQ(tree.Resolve(cx), children[2]->Child(0));
    EXPECT_EQ(tree.AbsoluteIndex(children[2]->Child(0)), 6);
    tree.TakeOut(children[0]);
    tree.Release(children[0]);
    EXPECT_EQ(Order(tree), "Rbxcxdxexfx");
    EXPECT_EQ(tree.Count(), 11);
    EXPECT_EQ(tree.LiveLabelBytes(), 22u);  // eleven one-byte labels, each after its length
}

TEST(TreeNodes, BulkChangesAreAnnouncedAsOneReset) {
    TreeNodes tree;
    CountingObserver observer;
    tree.SetObserver(&observer);
    TreeNode* a = tree.AddTopLevelLast("A");
    tree.SetText(a, "A2");
    EXPECT_EQ(observer.inserts, 1);
    EXPECT_EQ(observer.changes, 1);
    tree.BeginBulk();
    for (int k = 0; k < 100; ++k) tree.AddChildLast(a, "x");
    tree.EndBulk();
    EXPECT_EQ(observer.inserts, 1);
    EXPECT_EQ(observer.resets, 1);
    tree.Delete(a->Child(0));
    EXPECT_EQ(observer.removes, 1);
}

TEST(TreeNodes, AVeryDeepChainIsFreedWithoutExhaustingTheStack) {
    auto tree = std::make_unique<TreeNodes>();
    TreeNode* node = tree->AddTopLevelLast("root");
    for (int k = 0; k < 200000; ++k) node = tree->AddChildLast(node, "n");
    EXPECT_EQ(tree->AbsoluteIndex(node), 200000);
    tree.reset();
}

TEST(TreeNodes, MovesAndCopiesSubtreesWithOneNotificationEach) {
    TreeNodes tree;
    TreeNode* a = tree.AddTopLevelLast("A");
    TreeNode* b = tree.AddChildLast(a, "B");
    tree.AddChildLast(b, "C");
    TreeNode* d = tree.AddChildLast(a, "D");
    TreeNode* e = tree.AddTopLevelLast("E");
    tree.SetExpanded(b, true);
    CountingObserver observer;
    tree.SetObserver(&observer);

    ASSERT_TRUE(tree.Move(b, e, 0));
    EXPECT_EQ(Order(tree), "ADEBC");
    EXPECT_EQ(b->Parent(), e);
    EXPECT_TRUE(b->Expanded());  // a moved node keeps its state
    ASSERT_TRUE(tree.Move(d, nullptr, 0));
    EXPECT_EQ(Order(tree), "DAEBC");
    EXPECT_EQ(observer.moves, 2);

    // Never into itself or its own subtree.
    EXPECT_FALSE(tree.Move(e, b, 0));
    EXPECT_FALSE(tree.Move(e, e, 0));
    EXPECT_EQ(Order(tree), "DAEBC");

    TreeNode* copy = tree.CopySubtree(e, a, 0);
    EXPECT_EQ(Order(tree), "DAEBCEBC");
    EXPECT_EQ(tree.Count(), 8);
    EXPECT_EQ(observer.inserts, 1);
    EXPECT_NE(copy->Serial(), e->Serial());
    EXPECT_FALSE(copy->Child(0)->Expanded());
}

TEST(TreeNodes, AReferenceResolvesOnlyWhileItsNodeExists) {
    TreeNodes tree;
    TreeNode* a = tree.AddTopLevelLast("A");
    TreeNode* b = tree.AddChildLast(a, "B");
    const NodeRef held = tree.Ref(b);
    EXPECT_EQ(tree.Resolve(held), b);
    tree.Move(b, nullptr, 0);
    EXPECT_EQ(tree.Resolve(held), b);
    tree.Delete(b);
    // The pool hands the same memory to the next node; the reference still names nothing.
    TreeNode* reused = tree.AddChildLast(a, "C");
    EXPECT_EQ(reused, b);
    EXPECT_EQ(tree.Resolve(held), nullptr);
    const NodeRef beforeClear = tree.Ref(reused);
    tree.Clear();
    EXPECT_EQ(tree.Resolve(beforeClear), nullptr);
}

TEST(TreeNodes, LabelsOfDeletedAndRenamedNodesAreReclaimed) {
    TreeNodes tree;
    TreeNode* root = tree.AddTopLevelLast("root");
    const std::string label(100, 'x');
    for (int round = 0; round < 300; ++round) {
        TreeNode* folder = tree.AddChildLast(root, "folder");
        for (int k = 0; k < 1000; ++k) tree.AddChildLast(folder, label);
        tree.SetText(root, label);
        tree.Delete(folder);
    }
    // 30 MB of labels went through the tree; what stays is bounded by what is alive.
    EXPECT_LT(tree.LabelArenaBytes(), 2 * tree.LiveLabelBytes() + (2u << 20));
    EXPECT_EQ(tree.NodeAt(0)->Text(), label);
}

TEST(TreeNodes, ManySubtreesGoAndComeBackInOnePass) {
    TreeNodes tree;
    CountingObserver observer;
    tree.SetObserver(&observer);
    TreeNode* root = tree.AddTopLevelLast("R");
    TreeNode* a = tree.AddChildLast(root, "a");
    TreeNode* b = tree.AddChildLast(root, "b");
    TreeNode* bx = tree.AddChildLast(b, "x");
    tree.AddChildLast(b, "y");
    TreeNode* c = tree.AddChildLast(root, "c");
    // a leaves beside b, whose child leaves too.
    tree.TakeOutMany({a, bx, c});
    EXPECT_EQ(Order(tree), "Rby");
    EXPECT_EQ(tree.Count(), 3);
    EXPECT_EQ(b->Row(), 0);
    EXPECT_EQ(observer.resets, 1);
    tree.PutBackMany({{a, root, 0}, {bx, b, 0}, {c, root, 2}});
    EXPECT_EQ(Order(tree), "Rabxyc");
    EXPECT_EQ(tree.Count(), 6);
    EXPECT_EQ(c->Row(), 2);
    EXPECT_EQ(tree.Resolve(tree.Ref(bx)), bx);
}
