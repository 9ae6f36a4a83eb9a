// Undo and redo beyond what the random test compares: the history's limits, the unchanged
// state, the operations' names, and what a load does to the history.

#include <gtest/gtest.h>

#include "model/TableBuilder.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

UndoStep StepOf(std::size_t bytes) {
    UndoStep step;
    step.name = "x";
    step.bytes = bytes;
    return step;
}

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
        // 0 R { 1 F { 2 a }, 3 G { 4 b }, 5 c }
        TableBuilder::Root(t.model, "R");
        TableBuilder::Folder(t.model, 1, "F");
        TableBuilder::Url(t.model, 2, {"a", "http://a/", "1", "2", "3"});
        TableBuilder::Folder(t.model, 1, "G");
        TableBuilder::Url(t.model, 2, {"b", "http://b/", "", "", ""});
        TableBuilder::Url(t.model, 1, {"c", "http://c/", "", "", ""});
        t.model.MarkSaved();
        t.prompts.nextAnswer = Answer::Yes;
    }
    TreeNode* Node(int index) { return t.model.glNode[index]; }
    std::string Names() const {
        std::string names;
        for (int i = 0; i < t.model.glCT; ++i) names += t.model.glName[i];
        return names;
    }
    TestModel t;
};

}  // namespace

TEST(UndoHistory, KeepsAtMostItsStepsAndItsBytesAndReleasesWhatItDrops) {
    int released = 0;
    UndoHistory history([&](UndoStep&) { ++released; });
    for (std::size_t k = 0; k < 1000 + 5; ++k) history.Push(StepOf(10));
    EXPECT_EQ(history.Size(), 1000u);
    EXPECT_EQ(released, 5);

    history.Forget(true);
    EXPECT_EQ(released, 5 + 1000);
    released = 0;
    // Steps of 128 MiB: two fit in the 256 MiB kept.
    for (int k = 0; k < 3; ++k) history.Push(StepOf(std::size_t{128} << 20));
    EXPECT_EQ(history.Size(), 2u);
    EXPECT_LE(history.Bytes(), std::size_t{256} << 20);
    // The newest step stays however large it is.
    history.Push(StepOf(std::size_t{512} << 20));
    EXPECT_EQ(history.Size(), 1u);
    EXPECT_NE(history.ToUndo(), nullptr);
}

TEST(UndoHistory, TheSavedStateIsReachableUntilItsStepIsGone) {
    UndoHistory history([](UndoStep&) {});
    history.Push(StepOf(1));
    history.Push(StepOf(1));
    history.MarkSaved();
    history.Undone();
    EXPECT_FALSE(history.AtSavedState());
    history.Redone();
    EXPECT_TRUE(history.AtSavedState());
    // Undo past the saved state and edit: the saved state can never come back.
    history.Undone();
    history.Undone();
    history.Push(StepOf(1));
    history.Undone();
    EXPECT_FALSE(history.AtSavedState());
    history.Redone();
    EXPECT_FALSE(history.AtSavedState());
    // Dropping the oldest steps past the saved state loses it as well.
    history.Forget(true);
    EXPECT_TRUE(history.AtSavedState());
    for (std::size_t k = 0; k <= 1000; ++k) history.Push(StepOf(1));
    for (std::size_t k = 0; k < 1000; ++k) history.Undone();
    EXPECT_FALSE(history.AtSavedState());
}

TEST_F(UndoTest, BackAtTheSavedStateTheCollectionIsUnchanged) {
    ASSERT_TRUE(t.model.DeleteNode(Node(1), false));
    EXPECT_TRUE(t.model.glChanged);
    ASSERT_TRUE(t.model.Undo());
    EXPECT_FALSE(t.model.glChanged);
    EXPECT_EQ(Names(), "RFaGbc");
    ASSERT_TRUE(t.model.Redo());
    EXPECT_TRUE(t.model.glChanged);
    // Saved after the edit: undoing it is a change, redoing it is not.
    t.model.MarkSaved();
    ASSERT_TRUE(t.model.Undo());
    EXPECT_TRUE(t.model.glChanged);
    ASSERT_TRUE(t.model.Redo());
    EXPECT_FALSE(t.model.glChanged);
    EXPECT_FALSE(t.model.Redo());
}

TEST_F(UndoTest, EachOperationIsOneNamedStep) {
    EXPECT_EQ(t.model.UndoName(), "");
    t.model.NewFolder(Node(4), "N", false);
    EXPECT_EQ(t.model.UndoName(), "フォルダー新規作成");
    t.model.EditFolderEntry(1, "F2", "");
    EXPECT_EQ(t.model.UndoName(), "編集");
    t.model.MoveUpDown(3, true);
    EXPECT_EQ(t.model.UndoName(), "移動(上)");
    t.model.DropMove(Node(5), Node(1), true);
    EXPECT_EQ(t.model.UndoName(), "コピー");
    t.model.MarkClip(2, true);
    t.model.PasteClip(0);
    EXPECT_EQ(t.model.UndoName(), "貼付け");
    t.model.SetCurrent(1);
    t.model.DeleteSelected();
    EXPECT_EQ(t.model.UndoName(), "削除");
    EXPECT_EQ(t.model.History().Size(), 6u);
    ASSERT_TRUE(t.model.Undo());
    EXPECT_EQ(t.model.RedoName(), "削除");
    EXPECT_EQ(t.model.UndoName(), "貼付け");
    // A refused operation makes no step.
    EXPECT_LT(t.model.DropMove(Node(0), Node(1), false), 0);
    EXPECT_EQ(t.model.RedoName(), "削除");
}

TEST_F(UndoTest, AnEntryThatComesBackIsTheSameNodeForWhateverHeldIt) {
    const NodeRef a = t.model.RefOf(2);
    t.model.MarkClip(2, false);
    ASSERT_TRUE(t.model.DeleteNode(Node(1), false));
    EXPECT_EQ(t.model.IndexOf(a), -1);
    EXPECT_EQ(t.model.ClipIndex(), -1);
    ASSERT_TRUE(t.model.Undo());
    EXPECT_EQ(t.model.IndexOf(a), 2);
    EXPECT_EQ(t.model.ClipIndex(), 2);
    EXPECT_TRUE(t.model.UrlExists("http://a/"));
}

TEST_F(UndoTest, ALoadForgetsTheHistory) {
    t.model.DeleteNode(Node(5), false);
    TempDir temp;
    const std::string path = temp.Write(
        "more.htm", "<DL><p>\n<DT><A HREF=\"http://m/\" ADD_DATE=\"1\">m</A>\n</DL><p>\n");
    int urls = 0;
    std::string error;
    ASSERT_TRUE(Unpacked(LoadSource(t.model, false, path, SourceKind::BookmarkFile), urls, error))
        << error;
    EXPECT_FALSE(t.model.CanUndo());
    // The additional load left the collection changed: no undo can make it unchanged.
    t.model.DeleteNode(Node(1), false);
    ASSERT_TRUE(t.model.Undo());
    EXPECT_TRUE(t.model.glChanged);

    ASSERT_TRUE(Unpacked(LoadSource(t.model, true, path, SourceKind::BookmarkFile), urls, error))
        << error;
    EXPECT_FALSE(t.model.CanUndo());
    EXPECT_FALSE(t.model.CanRedo());

    // Empty folders removed by the reader are part of the load.
    t.settings.noEmptyFolders = true;
    const std::string empty =
        temp.Write("empty.htm", "<DL><p>\n<DT><H3>E</H3>\n<DL><p>\n</DL><p>\n</DL><p>\n");
    ASSERT_TRUE(Unpacked(LoadSource(t.model, false, empty, SourceKind::BookmarkFile), urls, error))
        << error;
    EXPECT_FALSE(t.model.CanUndo());
}

TEST(UndoTexts, LabelsFollowTheirNamesWhenTheNamesAreCompacted) {
    // Long names, so that deleting a folder drops enough of the name column's bytes for it to
    // be compacted at the end of the step, while the deleted nodes are held for the undo.
    TestModel t;
    t.settings.maxUrl = "100000";
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    TableBuilder::Root(t.model, "R");
    TableBuilder::Folder(t.model, 1, "big");
    const std::string pad(4096, 'n');
    for (int k = 0; k < 1500; ++k) {
        TableBuilder::Url(t.model, 2,
                          {pad + std::to_string(k), "http://x/" + std::to_string(k), "", "", ""});
    }
    TableBuilder::Folder(t.model, 1, "small");
    TableBuilder::Url(t.model, 2, {"kept", "http://kept/", "", "", ""});
    auto labelsMatch = [&] {
        for (int i = 0; i < t.model.glCT; ++i) {
            if (t.model.glNode[i]->Text() != t.model.glName[i]) return false;
        }
        return true;
    };
    const std::string before = DumpTable(t.model);
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[1], false));
    EXPECT_TRUE(labelsMatch());
    EXPECT_EQ(t.model.glName[2], "kept");
    ASSERT_TRUE(t.model.Undo());
    EXPECT_TRUE(labelsMatch());
    EXPECT_EQ(DumpTable(t.model), before);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(t.model.Redo());
        EXPECT_TRUE(labelsMatch());
        ASSERT_TRUE(t.model.Undo());
        EXPECT_TRUE(labelsMatch());
    }
    ASSERT_TRUE(t.model.EditFolderEntry(1502, "renamed", ""));
    EXPECT_TRUE(labelsMatch());
    EXPECT_EQ(t.model.glNode[1502]->Text(), "renamed");
}
