// 最近追加 and 最近訪問 in the window: opened from the menu and the tool bar, a line clicked takes
// the main window to its bookmark, Enter opens it and the visit joins 最近訪問 at once.

#include <QTest>

#include "ui/EditFixture.h"
#include "ui/tools/RecentViews.h"

using namespace pernard;
using namespace pernard::testing;

// 0 Root; 1 A { 2 a1 (added and visited), 3 a2 }; 4 B { 5 B1 { 6 b } }; 7 u; 8 w
TEST_F(EditCommandsTest, RecentViewsListDatedBookmarksAndActLikeSearchHits) {
    Main().Item("RecentAdded1")->trigger();
    ui::TFormRecent* recent = Main().RecentWindow();
    ASSERT_NE(recent, nullptr);
    EXPECT_TRUE(recent->isVisible());
    EXPECT_EQ(recent->windowTitle(), "最近追加したブックマーク");
    ASSERT_EQ(recent->Lines->rowCount(), 1);  // the others carry no date
    EXPECT_EQ(recent->Lines->index(0, 0).data().toString(), "a1");
    EXPECT_EQ(recent->Lines->index(0, 2).data().toString(), "Root › A");

    // A click takes the main window to the bookmark: its folder in the tree, its row current.
    const QModelIndex line = recent->Lines->index(0, 0);
    QTest::mouseClick(recent->ListRecent->viewport(), Qt::LeftButton, Qt::NoModifier,
                      recent->ListRecent->visualRect(line).center());
    EXPECT_EQ(Model().glIndex(), 2);
    EXPECT_EQ(Main().ListViewCaption->text(), "A");

    // 最近訪問 from the tool bar; Enter opens the line's page, and the visit is its newest.
    Select(7);
    Main().BtRecentVisited->click();
    EXPECT_EQ(recent->windowTitle(), "最近訪問したブックマーク");
    ASSERT_EQ(recent->Lines->rowCount(), 1);
    recent->ListRecent->setCurrentIndex(recent->Lines->index(0, 0));
    QTest::keyClick(recent->ListRecent, Qt::Key_Return);
    EXPECT_EQ(browser.opened, (std::vector<QString>{"http://a1/"}));
    EXPECT_NE(Model().glVisit[2], "1600003723");
    EXPECT_EQ(recent->Lines->rowCount(), 1);
}
