// The search window: running a search, its status texts, and clicks that take the main window
// to the hit, also after the collection changed.

#include <QTest>

#include "ui/EditFixture.h"
#include "model/EntryExtras.h"
#include "ui/tools/BmKensaku.h"
#include "support/TableSurgery.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

// 0 Root; 1 A { 2 a1, 3 a2 }; 4 B { 5 B1 { 6 b } }; 7 u; 8 w
class SearchWindowTest : public EditCommandsTest {
protected:
    ui::TFormKensaku& Search() { return *app->FormKensaku; }
    void Run(const QString& keyword) {
        Search().EditKeyword->setText(keyword);
        Search().Button1Click();
    }
    QStringList Lines() {
        QStringList lines;
        for (int row = 0; row < Search().Results->rowCount(); ++row) {
            lines << Search().Results->index(row, 0).data().toString() + "|" +
                         Search().Results->index(row, 1).data().toString();
        }
        return lines;
    }
    void Click(int line) { Search().ListKekkaClick(Search().Results->index(line, 0)); }
    int Selected() { return Model().IndexOf(ui::TreeModel::NodeOf(Main().TreeV->currentIndex())); }
};

}  // namespace

TEST_F(SearchWindowTest, ARunListsTheHitsWithTheirFolders) {
    Search().show();
    Run("");
    EXPECT_EQ(prompts.messages.back(), "キーワードを指定してください");
    Run("A2 b");
    EXPECT_EQ(Lines(), (QStringList{"a2|Root › A", "B|Root", "B1|Root › B", "b|Root › B › B1"}));
    EXPECT_EQ(Search().StatusBar->currentMessage(), "結果 : 4 件");
    Run("zzz");
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_EQ(Search().StatusBar->currentMessage(), "検索結果 該当なし ");

    Search().SetTaishouIndex(1);
    Run("HTTP://U");
    EXPECT_EQ(Lines(), QStringList{"http://u/|Root"});
    EXPECT_EQ(Search().Results->headerData(0, Qt::Horizontal, Qt::DisplayRole), "ＵＲＬ");

    Search().ClearClick();
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_TRUE(Search().EditKeyword->text().isEmpty());
}

TEST_F(SearchWindowTest, AClickSelectsTheFolderAndTheRowOfTheHit) {
    Run("b");
    Click(2);  // b, in B1
    EXPECT_EQ(Selected(), 5);
    EXPECT_EQ(ListNames(), QStringList{"b"});
    EXPECT_EQ(Main().LView->currentIndex().row(), 0);
    Click(0);  // B itself: its folder is the root
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(Main().LView->currentIndex().row(), 1);
    // A top-level hit is selected itself.
    Run("root");
    Click(0);
    EXPECT_EQ(Selected(), 0);
}

TEST_F(SearchWindowTest, OldResultsFollowTheirEntryOrDoNothing) {
    Run("a1 b");
    prompts.nextAnswer = Answer::Yes;
    // a1 moves into B1; B1's b is deleted.
    Model().DropMove(Model().glNode[2], Model().glNode[5], false);
    Model().DeleteNode(Model().glNode[Model().IndexOf(Search().Results->Entry(3))], false);
    Click(0);  // a1, now inside B1
    EXPECT_EQ(Model().glName[Selected()], "B1");
    EXPECT_EQ(ListNames(), QStringList{"a1"});
    // Once the change is complete, the deleted hit leaves the list and the count follows.
    QApplication::processEvents();
    EXPECT_EQ(Lines(), (QStringList{"a1|Root › B › B1", "B|Root", "B1|Root › B"}));
    EXPECT_EQ(Search().StatusBar->currentMessage(), "結果 : 3 件");
}

TEST_F(SearchWindowTest, ClearEmptiesTheCountAndEnterSearchesFromAnywhere) {
    Search().show();
    Run("b");
    Search().ClearClick();
    EXPECT_TRUE(Search().StatusBar->currentMessage().isEmpty());
    // Enter on a 対象 button runs the search.
    Search().EditKeyword->setText("a2");
    QAbstractButton* choice = Search().RadioTaishou->findChildren<QAbstractButton*>().first();
    choice->setFocus();
    QTest::keyClick(choice, Qt::Key_Return);
    EXPECT_EQ(Lines(), QStringList{"a2|Root › A"});
    // Enter in the keyword field too.
    Search().EditKeyword->setText("b");
    QTest::keyClick(Search().EditKeyword, Qt::Key_Return);
    EXPECT_EQ(Search().StatusBar->currentMessage(), "結果 : 3 件");
}

TEST_F(SearchWindowTest, TheNotesOptionAlsoLooksInDescriptionsAndTags) {
    EntryExtras extras;
    extras.attributes = " TAGS=\"holiday\"";
    TableSurgery::SetExtras(Model(), 7, PackExtras(extras));
    Run("holiday");
    EXPECT_TRUE(Lines().isEmpty());
    Search().CheckNotes->setChecked(true);
    Run("holiday");
    EXPECT_EQ(Lines(), QStringList{"u|Root"});
}
