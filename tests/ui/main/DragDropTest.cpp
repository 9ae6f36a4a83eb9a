// Drag and drop in the main window, through the item models as Qt's views call them and
// through drop events sent to the views, and the splitter.

#include <QSplitterHandle>
#include <QTest>

#include "ui/EditFixture.h"
#include "ui/dialogs/Bookmark.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

// 0 Root; 1 A { 2 a1, 3 a2 }; 4 B { 5 B1 { 6 b } }; 7 u; 8 w
class DragDropTest : public EditCommandsTest {
protected:
    std::unique_ptr<QMimeData> DragFromTree(int entry) {
        return std::unique_ptr<QMimeData>(Main().TreeItems->mimeData({IndexOf(entry)}));
    }
    // Shows folder `shown` in the list, presses its row `row` and begins a drag of it.
    std::unique_ptr<QMimeData> DragFromList(int shown, int row) {
        Select(shown);
        const QModelIndex index = Main().ListItems->index(row, 0);
        Main().LView->setCurrentIndex(index);
        Main().LViewClick(index);
        return std::unique_ptr<QMimeData>(Main().ListItems->mimeData({index}));
    }
    bool DropOnTree(const QMimeData* mime, int entry, Qt::DropAction action = Qt::MoveAction) {
        const QModelIndex target = entry < 0 ? QModelIndex() : IndexOf(entry);
        const bool accepted = Main().TreeItems->canDropMimeData(mime, action, -1, -1, target);
        const bool dropped = Main().TreeItems->dropMimeData(mime, action, -1, -1, target);
        EXPECT_EQ(accepted, dropped);
        return dropped;
    }
    bool DropOnList(const QMimeData* mime, int row, Qt::DropAction action = Qt::MoveAction) {
        const QModelIndex target = row < 0 ? QModelIndex() : Main().ListItems->index(row, 0);
        const bool accepted = Main().ListItems->canDropMimeData(mime, action, -1, -1, target);
        const bool dropped = Main().ListItems->dropMimeData(mime, action, -1, -1, target);
        EXPECT_EQ(accepted, dropped);
        return dropped;
    }
    int Selected() { return Model().IndexOf(TreeModel::NodeOf(Main().TreeV->currentIndex())); }
    QString Caption() { return Main().ListViewCaption->text(); }
    using TreeModel = ui::TreeModel;
};

}  // namespace

TEST_F(DragDropTest, TreeToTreeMovesIntoAFolderOrAfterABookmarkAndCopiesWithCtrl) {
    Main().BtPaste->setEnabled(true);
    ASSERT_TRUE(DropOnTree(DragFromTree(7).get(), 1));
    EXPECT_EQ(Names(), "Root A u a1 a2 B B1 b w ");
    EXPECT_EQ(Selected(), 2);  // the moved entry, right after the folder it went into
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(1)));  // shown: its folder opened
    EXPECT_TRUE(Model().glChanged);
    EXPECT_FALSE(Main().BtPaste->isEnabled());

    ASSERT_TRUE(DropOnTree(DragFromTree(5).get(), 8));  // a folder onto a bookmark: after it
    EXPECT_EQ(Names(), "Root A u a1 a2 w B B1 b ");
    EXPECT_EQ(Selected(), 6);

    ASSERT_TRUE(DropOnTree(DragFromTree(4).get(), 7, Qt::CopyAction));
    EXPECT_EQ(Names(), "Root A u a1 a2 w B B1 a2 b ");
    EXPECT_EQ(Model().UndoName(), "コピー");
}

TEST_F(DragDropTest, TheSettingMakesEveryDropACopy) {
    app->FormBookmark->CheckNoDelete->setChecked(true);
    ASSERT_TRUE(DropOnTree(DragFromTree(8).get(), 1));
    EXPECT_EQ(Names(), "Root A w a1 a2 B B1 b u w ");
}

TEST_F(DragDropTest, AFolderNeverLandsOnItselfOrInsideItselfFromEitherView) {
    const std::string before = Names();
    for (Qt::DropAction action : {Qt::MoveAction, Qt::CopyAction}) {
        EXPECT_FALSE(DropOnTree(DragFromTree(4).get(), 4, action));
        EXPECT_FALSE(DropOnTree(DragFromTree(4).get(), 5, action));
        EXPECT_FALSE(DropOnTree(DragFromTree(4).get(), 6, action));
        EXPECT_FALSE(DropOnTree(DragFromList(0, 1).get(), 5, action));  // B from the list
        EXPECT_FALSE(DropOnList(DragFromList(0, 1).get(), 1, action));
    }
    EXPECT_EQ(Names(), before);
    EXPECT_FALSE(Model().glChanged);
    EXPECT_FALSE(Model().CanUndo());
}

TEST_F(DragDropTest, OnlyThisProgramsDragsOfTheCurrentTableAreTaken) {
    const std::string before = Names();
    EXPECT_FALSE(DropOnTree(DragFromTree(7).get(), -1));  // empty space in the tree

    QMimeData text;
    text.setText("http://example.com/");
    EXPECT_FALSE(DropOnTree(&text, 1));

    // Another running instance: same kind of payload, another program.
    ui::EntryDrag other{"another instance", Model().Tree().Version(), 7,
                        Model().glNode[7]->Serial(), ui::DragView::Tree};
    std::unique_ptr<QMimeData> foreign(ui::NewEntryMime(other));
    EXPECT_FALSE(DropOnTree(foreign.get(), 1));

    QMimeData damaged;
    damaged.setData(ui::kEntryMimeType, "PRN1 but nothing after");
    EXPECT_FALSE(DropOnTree(&damaged, 1));

    // A drag begun before the table changed.
    std::unique_ptr<QMimeData> stale = DragFromTree(7);
    prompts.nextAnswer = Answer::Yes;
    Model().DeleteNode(Model().glNode[8], false);
    EXPECT_FALSE(DropOnTree(stale.get(), 1));
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b u ");
    EXPECT_EQ(before, "Root A a1 a2 B B1 b u w ");
}

TEST_F(DragDropTest, AListRowDroppedAnywhereLeavesTheListOnTheFolderItShowed) {
    // List to list: after the row dropped on.
    ASSERT_TRUE(DropOnList(DragFromList(0, 2).get(), 3));
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b w u ");
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(ListNames(), (QStringList{"A", "B", "w", "u"}));

    // List to tree: the folder shown moves down the table, the list stays on it.
    Expand(0);
    ASSERT_TRUE(DropOnTree(DragFromList(4, 0).get(), 1));
    EXPECT_EQ(Names(), "Root A B1 b a1 a2 B w u ");
    EXPECT_EQ(Selected(), 6);
    EXPECT_EQ(Caption(), "B");
    EXPECT_TRUE(ListNames().isEmpty());
    EXPECT_EQ(Model().UndoName(), "移動");
}

TEST_F(DragDropTest, TreeToListAndEmptySpaceOfTheList) {
    Select(1);  // the list shows a1, a2
    ASSERT_TRUE(DropOnList(DragFromTree(7).get(), 0));
    EXPECT_EQ(Names(), "Root A a1 u a2 B B1 b w ");
    EXPECT_EQ(Selected(), 3);

    // Over empty space the drop lands on the row last passed over.
    std::unique_ptr<QMimeData> drag = DragFromList(0, 0);  // A, from the list of Root
    ASSERT_TRUE(Main().ListItems->canDropMimeData(drag.get(), Qt::MoveAction, -1, -1,
                                                  Main().ListItems->index(2, 0)));  // w
    ASSERT_TRUE(DropOnList(drag.get(), -1));
    EXPECT_EQ(Names(), "Root B B1 b w A a1 u a2 ");
}

TEST_F(DragDropTest, ADropEventNearARowsEdgeLandsOnTheRow) {
    Main().resize(700, 500);
    QCoreApplication::processEvents();
    std::unique_ptr<QMimeData> drag = DragFromTree(7);
    const QRect row = Main().TreeV->visualRect(IndexOf(4));
    ASSERT_TRUE(row.isValid());
    const QPointF at(row.center().x(), row.top() + 1);
    QWidget* viewport = Main().TreeV->viewport();
    for (QEvent::Type type : {QEvent::DragEnter, QEvent::DragMove, QEvent::Drop}) {
        QDropEvent event(at, Qt::MoveAction | Qt::CopyAction, drag.get(), Qt::LeftButton,
                         Qt::NoModifier, type);
        // Without a drag in progress the platform proposes a copy: say what a drag gives.
        event.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(viewport, &event);
        EXPECT_TRUE(event.isAccepted()) << type;
    }
    EXPECT_EQ(Names(), "Root A a1 a2 B u B1 b w ");
}

TEST_F(DragDropTest, PressesOnEmptySpaceActOnNothing) {
    Main().resize(700, 500);
    Select(1);
    const QModelIndex row = Main().ListItems->index(1, 0);
    Main().LView->setCurrentIndex(row);
    Main().LViewClick(row);
    ASSERT_EQ(Model().glIndex(), 3);
    QTest::mousePress(Main().LView->viewport(), Qt::LeftButton, {}, QPoint(10, 400));
    QTest::mouseRelease(Main().LView->viewport(), Qt::LeftButton, {}, QPoint(10, 400));
    EXPECT_EQ(Model().glIndex(), 3);
    EXPECT_FALSE(Main().Drags().glListClick);

    emit Main().TreeV->customContextMenuRequested(QPoint(10, 400));
    EXPECT_FALSE(Main().PMenu->isVisible());
}

TEST_F(DragDropTest, TheSplitterMovesOnlyWhenDragged) {
    Main().resize(700, 500);
    QCoreApplication::processEvents();
    QSplitterHandle* handle = Main().Splitter->handle(1);
    const int before = Main().TreeViewPanel->width();
    const QPoint middle = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, middle);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, middle);
    EXPECT_EQ(Main().TreeViewPanel->width(), before);

    QTest::mousePress(handle, Qt::LeftButton, {}, middle);
    QTest::mouseMove(handle, middle + QPoint(40, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, middle + QPoint(40, 0));
    EXPECT_EQ(Main().TreeViewPanel->width(), before + 40);
}

TEST_F(DragDropTest, OpenFoldersStayOpenWhenAnEntryMovesIntoThem) {
    Expand(0);
    Expand(4);
    ASSERT_TRUE(DropOnTree(DragFromList(0, 0).get(), 5));  // A, from the root's list, into B1
    EXPECT_EQ(Names(), "Root B B1 A a1 a2 b u w ");
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(0)));
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(1)));
}
