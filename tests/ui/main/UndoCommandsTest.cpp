// Undo and redo in the main window: the keys, the context menus' first items and what the
// window shows again with each step.

#include <QTest>

#include "ui/EditFixture.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

class UndoCommandsTest : public EditCommandsTest {
protected:
    void SetUp() override {
        EditCommandsTest::SetUp();
        prompts.nextAnswer = Answer::Yes;
    }
    void Key(QWidget* where, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        where->setFocus();
        QTest::keyClick(where, key, modifiers);
    }
    // The window's own keys act in the active window, which the test platform cannot choose:
    // the key is looked up among the window's actions as Qt's shortcut map would.
    void WindowKey(const QKeySequence& key) {
        for (QAction* action : Main().actions()) {
            if (action->shortcuts().contains(key)) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no action for " << key.toString().toStdString();
    }
    QString Caption(const char* item) { return Main().Item(item)->text(); }
    bool Enabled(const char* item) { return Main().Item(item)->isEnabled(); }
    // The context menus set their first items when they open.
    void OpenMenus() {
        emit Main().PMenu->aboutToShow();
        emit Main().PLViewMenu->aboutToShow();
    }
};

}  // namespace

TEST_F(UndoCommandsTest, UndoingADeleteShowsTheFolderOpenAndSelectedAsBefore) {
    Expand(0);
    Expand(4);
    Expand(5);
    Select(4);
    const std::string loaded = Names();
    Key(Main().TreeV, Qt::Key_Delete);
    ASSERT_EQ(Names(), "Root A a1 a2 u w ");
    OpenMenus();
    EXPECT_EQ(Caption("Undo1"), "元に戻す: 削除(&U)");
    EXPECT_TRUE(Enabled("Undo1"));
    EXPECT_EQ(Caption("Redo2"), "やり直し(&R)");
    EXPECT_FALSE(Enabled("Redo2"));

    WindowKey(QKeySequence("Ctrl+Z"));
    EXPECT_EQ(Names(), loaded);
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(4)));
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(5)));
    EXPECT_EQ(Main().TreeV->currentIndex(), IndexOf(4));
    EXPECT_EQ(Model().glIndex(), 4);
    EXPECT_EQ(ListNames(), QStringList{"B1"});
    // Back at the table as loaded: nothing to save.
    EXPECT_FALSE(Model().glChanged);
    OpenMenus();
    EXPECT_FALSE(Enabled("Undo2"));
    EXPECT_EQ(Caption("Undo2"), "元に戻す(&U)");
    EXPECT_EQ(Caption("Redo1"), "やり直し: 削除(&R)");

    WindowKey(QKeySequence("Ctrl+Y"));
    EXPECT_EQ(Names(), "Root A a1 a2 u w ");
    EXPECT_TRUE(Model().glChanged);
    WindowKey(QKeySequence("Ctrl+Z"));
    WindowKey(QKeySequence("Ctrl+Shift+Z"));
    EXPECT_EQ(Names(), "Root A a1 a2 u w ");
}

TEST_F(UndoCommandsTest, AnEditOfAListRowIsUndoneWithTheRowSelectedAgain) {
    Expand(0);
    Select(1);
    const QModelIndex row = Main().ListItems->index(1, 0);
    Main().LView->setCurrentIndex(row);
    Main().LViewClick(row);
    ASSERT_EQ(Model().glIndex(), 3);
    Key(Main().LView, Qt::Key_Delete);
    ASSERT_EQ(ListNames(), QStringList{"a1"});

    Main().Item("Undo2")->trigger();
    EXPECT_EQ(ListNames(), (QStringList{"a1", "a2"}));
    EXPECT_EQ(Main().LView->currentIndex().row(), 1);
    EXPECT_EQ(Model().glIndex(), 3);
    EXPECT_EQ(Main().TreeV->currentIndex(), IndexOf(1));

    Main().Item("Redo2")->trigger();
    EXPECT_EQ(ListNames(), QStringList{"a1"});
    EXPECT_FALSE(Model().CanRedo());
}

TEST_F(UndoCommandsTest, StepsAfterASaveMarkTheCollectionChangedBothWays) {
    Expand(0);
    Select(7);
    Main().BtDownClick();
    ASSERT_EQ(Names(), "Root A a1 a2 B B1 b w u ");
    Main().miFileSaveClick();
    ASSERT_FALSE(Model().glChanged);
    Main().UndoClick();
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b u w ");
    EXPECT_TRUE(Model().glChanged);
    // The moved entry is selected where it stood before.
    EXPECT_EQ(Main().TreeV->currentIndex(), IndexOf(7));
    Main().RedoClick();
    EXPECT_FALSE(Model().glChanged);
    EXPECT_EQ(Main().TreeV->currentIndex(), IndexOf(8));
}

TEST_F(UndoCommandsTest, UndoingTheRemovalOfEmptyFoldersBringsThemAllBackWithTheTreeOpen) {
    Model().NewFolder(Model().glNode[2], "E1", false);  // after a1, in A
    Model().NewFolder(Model().glNode[7], "E2", false);  // after b, in B1
    ASSERT_EQ(Names(), "Root A a1 E1 a2 B B1 b E2 u w ");
    Expand(0);
    Expand(1);
    Expand(5);
    Expand(6);
    Main().D1Click();
    ASSERT_EQ(Names(), "Root A a1 a2 B B1 b u w ");
    Main().Item("Undo1")->trigger();
    EXPECT_EQ(Names(), "Root A a1 E1 a2 B B1 b E2 u w ");
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(1)));
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(6)));
    EXPECT_EQ(Model().RedoName(), "空のフォルダーの削除");
    Main().RedoClick();
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b u w ");
}
