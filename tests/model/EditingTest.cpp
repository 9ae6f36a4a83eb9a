// The editing operations' messages, status texts and the cases the random test cannot name.

#include <gtest/gtest.h>

#include "model/TableBuilder.h"
#include "support/Doubles.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

class EditingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
        // 0 R { 1 F { 2 a }, 3 G { 4 b }, 5 c }, then a second root 6 S { 7 d }
        TableBuilder::Root(t.model, "R");
        TableBuilder::Folder(t.model, 1, "F");
        TableBuilder::Url(t.model, 2, {"a", "http://a/", "1", "2", "3"});
        TableBuilder::Folder(t.model, 1, "G");
        TableBuilder::Url(t.model, 2, {"b", "http://b/", "", "", ""});
        TableBuilder::Url(t.model, 1, {"c", "http://c/", "", "", ""});
        TableBuilder::Root(t.model, "S", "/tmp/second.htm");
        TableBuilder::Url(t.model, 1, {"d", "http://d/", "", "", ""});
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

TEST_F(EditingTest, DeleteReportsInTheStatusBarAndRunsTheCheck) {
    EXPECT_TRUE(t.model.DeleteNode(Node(5), true));
    EXPECT_EQ(t.status.panel[1], "削除完了.. c 5");
    EXPECT_EQ(t.diagnostics.memo.front(), "Check Debug 削除");
    EXPECT_TRUE(t.model.glChanged);

    t.model.SetCurrent(1);
    t.prompts.nextAnswer = Answer::Cancel;
    EXPECT_FALSE(t.model.DeleteSelected());
    EXPECT_EQ(t.prompts.questions.back(), "F (---) を削除します");
    t.prompts.nextAnswer = Answer::Yes;
    EXPECT_TRUE(t.model.DeleteSelected());
    EXPECT_EQ(t.status.panel[1], "削除 : 1");
    EXPECT_EQ(t.progress.shown.back(), "削除実行中");
    EXPECT_EQ(Names(), "RGbSd");
}

TEST_F(EditingTest, ARootDroppedIntoAFolderBecomesAFolder) {
    TableSurgery::SetRootCharset(t.model, 6, "UTF-8");
    ASSERT_GE(t.model.DropMove(Node(6), Node(3), false), 0);
    EXPECT_EQ(Names(), "RFaGSdbc");
    EXPECT_EQ(t.model.gloya[4], 3);
    EXPECT_EQ(t.model.glAdd[4], "");
    EXPECT_EQ(t.model.glVisit[4], "");  // not the old file's path as a save URL
    EXPECT_EQ(Node(4)->ImageIndex(), 4);
    EXPECT_EQ(t.model.RootCharset(4), "");
}

TEST_F(EditingTest, NothingGoesDeeperThanTheReaderAccepts) {
    // A chain of folders down to level 18 under the second root.
    int level = 1;
    for (; level < 18; ++level) {
        TableBuilder::Folder(t.model, level, "deep");
    }
    const int deepest = t.model.glCT - 1;
    const int count = t.model.glCT;
    // F holds no folder: it fits at level 19.
    EXPECT_GE(t.model.DropMove(Node(1), Node(deepest), true), 0);
    // G copied below it would put a folder at level 20.
    const int copyOfF = deepest + 1;
    EXPECT_LT(t.model.DropMove(Node(3), Node(copyOfF), true), 0);
    EXPECT_EQ(t.prompts.messages.back(),
              "フォルダーの階層が深くなりすぎるため、この操作はできません（最大 19 階層）");
    EXPECT_EQ(t.model.NewFolder(Node(copyOfF + 1), "x", false), -1);  // a's place is level 20
    EXPECT_EQ(t.model.glCT, count + 2);
}

TEST_F(EditingTest, CapacityIsNeverPassed) {
    TableSurgery::SetCapacity(t.model, t.model.glCT + 1);
    EXPECT_EQ(t.model.NewUrl(Node(2), {"n", "http://n/", "", "", ""}, false), 3);
    EXPECT_EQ(t.model.NewFolder(Node(2), "n", false), -1);
    EXPECT_EQ(t.prompts.messages.back(), "URL MAX !!  設定のMAX値を修正して下さい");
    EXPECT_LT(t.model.DropMove(Node(1), Node(7), true), 0);
    EXPECT_GE(t.model.DropMove(Node(1), Node(7), false), 0);  // a move needs no room
}

TEST_F(EditingTest, TheClipFollowsItsNodeAndEndsWithIt) {
    t.model.MarkClip(4, true);
    EXPECT_EQ(t.status.panel[1], "切取り開始 :   b");
    ASSERT_TRUE(t.model.DeleteNode(Node(1), false));  // shifts b up by two rows
    EXPECT_EQ(t.model.ClipIndex(), 2);
    EXPECT_EQ(t.model.PasteClip(5), 5);  // after d, under S
    EXPECT_EQ(Names(), "RGcSdb");
    EXPECT_EQ(t.model.ClipIndex(), -1);

    t.model.MarkClip(2, false);
    t.model.DeleteNode(Node(2), false);
    EXPECT_EQ(t.model.ClipIndex(), -1);
    EXPECT_EQ(t.model.PasteClip(0), -1);
    EXPECT_EQ(t.prompts.messages.back(), "URL が選択されていません");

    // Pasting a folder shows the progress window of a folder move, and closes it.
    t.model.MarkClip(1, false);  // G
    t.progress.shown.clear();
    EXPECT_GE(t.model.PasteClip(4), 0);
    EXPECT_EQ(t.progress.shown, std::vector<std::string>{"フォルダー移動中.... "});
    EXPECT_TRUE(t.progress.caption.empty());
}

TEST_F(EditingTest, EditsRefuseWhatWouldBreakTheFile) {
    EXPECT_FALSE(t.model.EditUrlEntry(2, {"a", "---", "", "", ""}));
    EXPECT_FALSE(t.model.EditUrlEntry(1, {"a", "http://x/", "", "", ""}));
    EXPECT_FALSE(t.model.EditFolderEntry(1, "F", "<DT>"));
    EXPECT_TRUE(t.model.EditFolderEntry(0, "R", "/tmp/<odd>.htm"));  // a root's path
    EXPECT_TRUE(t.model.EditUrlEntry(2, {"A", "http://a2/", "", "1", "2"}));
    EXPECT_EQ(Node(2)->Text(), "A");
    EXPECT_EQ(Node(2)->ImageIndex(), 2);  // "1" < "2": modified since the visit
    EXPECT_TRUE(t.model.UrlExists("http://a2/"));
    EXPECT_FALSE(t.model.UrlExists("http://a/"));
}

TEST_F(EditingTest, MovesCheckTheirNeighbours) {
    EXPECT_FALSE(t.model.MoveUpDown(0, true));   // nothing above the first root
    EXPECT_FALSE(t.model.MoveUpDown(7, false));  // nothing below the last entry
    EXPECT_FALSE(t.model.MoveUpDown(-1, true));
    EXPECT_FALSE(t.model.MoveUpDown(99, true));
    // Roots are collapsed: S moves up past R.
    EXPECT_TRUE(t.model.MoveUpDown(6, true));
    EXPECT_EQ(Names(), "SdRFaGbc");
    EXPECT_EQ(t.diagnostics.memo.front(), "Check Debug 上下への移動");
}
