#include <gtest/gtest.h>

#include "model/TreeNodes.h"

using namespace pernard;

namespace {

std::string Order(const TreeNodes& tree) {
    std::string text;
    for (int i = 0; i < tree.Count(); ++i) text += tree.NodeAt(i)->Text();
    return text;
}

class CountingObserver : public TreeObserver {
public:
    int inserts = 0, removes = 0, changes = 0, resets = 0;
    void AboutToInsert(TreeNode*, int) override {}
    void Inserted() override { ++inserts; }
    void AboutToRemove(TreeNode*, int) override {}
    void Removed() override { ++removes; }
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

TEST(TreeNodes, DeleteManyRemovesSeveralSubtreesAtOnce) {
    TreeNodes tree;
    TreeNode* root = tree.AddTopLevelLast("R");
    std::vector<TreeNode*> doomed;
    for (int k = 0; k < 6; ++k) {
        TreeNode* child = tree.AddChildLast(root, std::string(1, static_cast<char>('a' + k)));
        tree.AddChildLast(child, "x");
        if (k % 2 == 0) doomed.push_back(child);
    }
    tree.DeleteMany(doomed);
    EXPECT_EQ(Order(tree), "Rbxdxfx");
    EXPECT_EQ(root->Child(2)->Row(), 2);
    EXPECT_EQ(tree.Count(), 7);
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
