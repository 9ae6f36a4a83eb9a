// The keys a Windows user reaches for, in every window: Escape closes, Shift+F10 opens the
// context menu, each context menu item has its own access key, and Tab goes top to bottom,
// left to right.

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTreeView>
#include <set>

#include "ui/UiFixture.h"
#include "ui/dialogs/BmURLEdit.h"
#include "ui/dialogs/Folder.h"
#include "ui/dialogs/SortDialog.h"
#include "ui/dialogs/TagDialogs.h"
#include "ui/widgets/PersistentWindow.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

void Activate(QWidget* window) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << window->objectName().toStdString();
}

// Where a control lies in its window.
QRect PlaceInWindow(const QWidget* control) {
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

// The controls Tab reaches, from the first one on, in the order it reaches them.
std::vector<QWidget*> TabOrder(QWidget* window) {
    std::vector<QWidget*> reached;
    QWidget* at = window;
    for (int step = 0; step < 200; ++step) {
        at = at->nextInFocusChain();
        if (at == window) break;
        if (at->window() == window && at->isVisibleTo(window) && at->isEnabled() &&
            (at->focusPolicy() & Qt::TabFocus) != 0 && at->focusProxy() == nullptr) {
            reached.push_back(at);
        }
    }
    return reached;
}

}  // namespace

TEST_F(UiTest, EveryWindowClosesWithEscape) {
    Start();
    Main().show();
    // The windows made on demand, made now.
    Main().Item("Dedupe1")->trigger();
    Main().Item("RecentAdded1")->trigger();
    std::vector<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const bool tool = qobject_cast<ui::PersistentWindow*>(widget) != nullptr ||
                          widget->objectName() == "TFormBookmark" ||
                          widget->objectName() == "TFormMemo";
        if (tool) windows.push_back(widget);
    }
    EXPECT_GE(windows.size(), 7u);
    for (QWidget* window : windows) {
        SCOPED_TRACE(window->objectName().toStdString());
        Activate(window);
        QWidget* focus =
            QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window;
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible());
    }
}

TEST_F(UiTest, ShiftF10OpensTheContextMenuOfTheTreeAndTheList) {
    Start(ui::StartupOverride{SourceKind::BookmarkFile, Sample()});
    Activate(&Main());
    struct Case {
        QTreeView* view;
        QMenu* menu;
    };
    for (const Case& c :
         {Case{Main().TreeV, Main().PMenu}, Case{Main().LView, Main().PLViewMenu}}) {
        SCOPED_TRACE(c.menu->objectName().toStdString());
        c.view->setFocus();
        c.view->setCurrentIndex(c.view->model()->index(0, 0));
        QTest::keyClick(c.view, Qt::Key_F10, Qt::ShiftModifier);
        EXPECT_TRUE(c.menu->isVisible());
        c.menu->close();
    }
}

TEST_F(UiTest, EachContextMenuItemHasAnAccessKeyOfItsOwn) {
    Start();
    std::vector<QMenu*> menus = {Main().PMenu, Main().PLViewMenu};
    for (std::size_t k = 0; k < menus.size(); ++k) {
        QMenu* menu = menus[k];
        SCOPED_TRACE(menu->objectName().toStdString());
        std::set<QKeySequence> keys;
        for (QAction* item : menu->actions()) {
            if (item->isSeparator() || !item->isVisible()) continue;
            if (item->menu() != nullptr) menus.push_back(item->menu());
            const QKeySequence key = QKeySequence::mnemonic(item->text());
            EXPECT_FALSE(key.isEmpty()) << item->text().toStdString();
            EXPECT_TRUE(keys.insert(key).second) << item->text().toStdString();
        }
    }
}

TEST_F(UiTest, TabGoesTopToBottomLeftToRightInEveryDialog) {
    Start();
    ui::TFormSort sort;
    ui::TFormTagInput tags;
    tags.Ask(false, 2, {{"a", 2}});
    ui::TFormNotes notes;
    QWidget* dialogs[] = {&sort, &tags, &notes, app->FormURL, app->FormFolder};
    for (QWidget* dialog : dialogs) {
        SCOPED_TRACE(dialog->objectName().toStdString());
        dialog->show();
        const std::vector<QWidget*> order = TabOrder(dialog);
        ASSERT_GE(order.size(), 2u);
        for (std::size_t k = 1; k < order.size(); ++k) {
            const QRect before = PlaceInWindow(order[k - 1]);
            const QRect after = PlaceInWindow(order[k]);
            // On the same line (their heights overlap) to the right, else on a line below.
            const bool sameLine = after.top() < before.bottom() && before.top() < after.bottom();
            EXPECT_TRUE(sameLine ? after.left() > before.left() : after.top() >= before.bottom())
                << order[k - 1]->objectName().toStdString() << " then "
                << order[k]->objectName().toStdString();
        }
        dialog->hide();
    }
}
