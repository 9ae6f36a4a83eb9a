// Sorting in the window: 並べ替え through its dialog as one step of undo, and the list's column
// headers, which order the list's rows without changing the collection.

#include <QHeaderView>
#include <QMenuBar>
#include <QTest>

#include "ui/EditFixture.h"
#include "ui/dialogs/SortDialog.h"
#include "ui/main/TreeModel.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

class SortCommandsTest : public EditCommandsTest {
protected:
    void ClickHeader(int column) {
        QHeaderView* header = Main().LView->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
    }
    QString Indicator() {
        QHeaderView* header = Main().LView->header();
        if (!header->isSortIndicatorShown()) return "none";
        return QString::number(header->sortIndicatorSection()) +
               (header->sortIndicatorOrder() == Qt::DescendingOrder ? " down" : " up");
    }
};

}  // namespace

TEST_F(SortCommandsTest, TheDialogSortsTheSelectedFolderAsOneStepOfUndo) {
    // The 編集 menu stands between ファイル and 表示; the tree's menu has the item too.
    const QList<QAction*> menus = Main().MainMenu->actions();
    ASSERT_GE(menus.size(), 3);
    EXPECT_EQ(menus[1]->objectName(), "miEdit");
    EXPECT_EQ(menus[2]->objectName(), "miView");
    // It holds what a user looks for there, with the keys shown.
    QStringList edit;
    for (QAction* item : menus[1]->menu()->actions()) {
        if (!item->isSeparator()) edit << item->objectName() + " " + item->shortcut().toString();
    }
    EXPECT_EQ(edit.mid(0, 6), (QStringList{"Undo3 Ctrl+Z", "Redo3 Ctrl+Y", "miEditCut Ctrl+X",
                                           "miEditCopy Ctrl+C", "miEditPaste Ctrl+V",
                                           "miEditDelete Del"}));
    ASSERT_NE(Main().Item("PMenuSort"), nullptr);
    EXPECT_TRUE(Main().PMenu->actions().contains(Main().Item("PMenuSort")));

    Expand(0);
    Select(6);  // a bookmark: its folder B1 holds only it, nothing moves
    Main().Item("PMenuSort")->trigger();
    EXPECT_EQ(dialogsShown.back(), "TFormSort");
    EXPECT_FALSE(Model().CanUndo());

    QString shownFolder;
    answerDialog = [&](QDialog& dialog) {
        auto& sort = static_cast<ui::TFormSort&>(dialog);
        shownFolder = sort.LabelFolder->text();
        sort.ComboKey->setCurrentIndex(0);
        sort.RadioDescending->setChecked(true);
        sort.RadioFoldersFirst->setChecked(true);
        sort.RadioEveryFolder->setChecked(true);
        sort.ButtonOk->click();
    };
    Select(0);
    ClickHeader(0);  // the list in the names' order: the sort's result shows all the same
    Main().Item("miEditSort")->trigger();
    EXPECT_EQ(Indicator(), "none");
    EXPECT_EQ(shownFolder, "Root");
    EXPECT_EQ(Names(), "Root B B1 b A a2 a1 w u ");
    EXPECT_EQ(Model().UndoName(), "並べ替え");
    EXPECT_TRUE(Model().glChanged);
    EXPECT_EQ(Main().Panel1->text(), "並べ替え : 8 件");  // every entry below the root
    // The tree stays open on the same selection; the list shows the new order.
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(0)));
    EXPECT_EQ(ui::TreeModel::NodeOf(Main().TreeV->currentIndex()), Model().glNode[0]);
    EXPECT_EQ(ListNames(), (QStringList{"B", "A", "w", "u"}));

    Main().UndoClick();
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b u w ");
    EXPECT_FALSE(Model().glChanged);
    EXPECT_EQ(ListNames(), (QStringList{"A", "B", "u", "w"}));
    Main().RedoClick();
    EXPECT_EQ(Names(), "Root B B1 b A a2 a1 w u ");

    // Cancelled, nothing changes; the dialog keeps the last choices.
    Main().UndoClick();
    answerDialog = [](QDialog& dialog) {
        auto& sort = static_cast<ui::TFormSort&>(dialog);
        EXPECT_TRUE(sort.RadioDescending->isChecked());
        sort.ButtonCancel->click();
    };
    Main().Item("miEditSort")->trigger();
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b u w ");
    EXPECT_EQ(Model().RedoName(), "並べ替え");
}

TEST_F(SortCommandsTest, HeadersOrderTheListOnlyUntilAnotherFolderIsShown) {
    Expand(0);
    Select(0);
    ASSERT_EQ(ListNames(), (QStringList{"A", "B", "u", "w"}));
    const struct {
        int column;
        QStringList names;
        const char* indicator;
    } clicks[] = {
        {0, {"A", "B", "u", "w"}, "0 up"},
        {0, {"w", "u", "B", "A"}, "0 down"},
        // Only A has a date added: the rest come after it in the table's order either way.
        {3, {"A", "B", "u", "w"}, "3 up"},
        {3, {"A", "B", "u", "w"}, "3 down"},
        {0, {"A", "B", "u", "w"}, "0 up"},
        {0, {"w", "u", "B", "A"}, "0 down"},
    };
    for (const auto& click : clicks) {
        ClickHeader(click.column);
        EXPECT_EQ(ListNames(), click.names) << click.column;
        EXPECT_EQ(Indicator(), click.indicator) << click.column;
    }
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b u w ");
    EXPECT_FALSE(Model().glChanged);
    EXPECT_FALSE(Model().CanUndo());

    // An edit refreshes the list in the same order; another folder drops it.
    Main().LView->setCurrentIndex(Main().ListItems->index(0, 0));  // w
    Main().LViewChange(Main().LView->currentIndex());
    prompts.nextAnswer = Answer::Yes;
    Main().Item("Delete2")->trigger();
    EXPECT_EQ(ListNames(), (QStringList{"u", "B", "A"}));
    Select(1);
    EXPECT_EQ(ListNames(), (QStringList{"a1", "a2"}));
    EXPECT_EQ(Indicator(), "none");
    Select(0);
    EXPECT_EQ(ListNames(), (QStringList{"A", "B", "u"}));
}
