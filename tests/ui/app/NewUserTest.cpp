// What a new user meets in the window: dates browsers write as "never", titles, the MaxURL
// field, a browser that does not start, and the URL in the status bar.

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "ui/UiFixture.h"
#include "ui/dialogs/BmDirectory.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

const char* kFile =
    "<TITLE>Root</TITLE>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n"
    "<DT><A HREF=\"http://never/\" ADD_DATE=\"0\" LAST_VISIT=\"-5\" LAST_MODIFIED=\"0\">never</A>\n"
    "<DT><A HREF=\"http://seen/\" ADD_DATE=\"1600000000\" LAST_VISIT=\"1600000000\" "
    "LAST_MODIFIED=\"1\">seen</A>\n</DL><p>\n</DL><p>\n";

class NewUserTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        Start(ui::StartupOverride{SourceKind::BookmarkFile, temp.Write("n.htm", kFile)});
    }
    void Select(int entry) {
        Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[entry]));
        Main().TreeVChange();
    }
};

}  // namespace

TEST_F(NewUserTest, ADateOfZeroShowsAsNoDate) {
    Select(1);
    const ui::ListRow never = Main().ListItems->Row(0);
    EXPECT_EQ(never.texts[1], "------");
    EXPECT_EQ(never.texts[2], "------");
    EXPECT_EQ(never.texts[3], "");
    EXPECT_EQ(Model().glAdd[2], "0");  // stored as it was
    EXPECT_EQ(Main().ListItems->Row(1).texts[3], "20/09/13");
}

TEST_F(NewUserTest, TheStatusBarFollowsTheCurrentEntry) {
    Select(2);
    EXPECT_EQ(Main().Panel(1), "http://never/");
    Select(1);  // a folder has no URL: nothing stale stays
    EXPECT_EQ(Main().Panel(1), "");
    Main().LViewClick(Main().ListItems->index(1, 0));
    EXPECT_EQ(Main().Panel(1), "http://seen/");
}

TEST_F(NewUserTest, ABrowserThatDoesNotStartIsToldAndRecordsNoVisit) {
    browser.result = false;
    Select(3);
    Main().R1Click();
    EXPECT_EQ(prompts.messages.back(), "ブラウザを起動できませんでした : http://seen/");
    EXPECT_EQ(Model().glVisit[3], "1600000000");
}

TEST_F(NewUserTest, TheMaxUrlFieldTakesTheFocusBackEveryTime) {
    ui::TFormBookmark& settings = *app->FormBookmark;
    settings.EditMaxURL->setText("many");
    for (int round = 0; round < 2; ++round) {
        // Leaving the field, with or without a change since the last time.
        settings.EditIE1->setFocus();
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(settings.EditMaxURL, &leave);
        QTest::qWait(10);
        EXPECT_EQ(settings.focusWidget(), settings.EditMaxURL) << round;
    }
}

TEST_F(UiTest, AStartUpSourceThatCannotBeReadSaysSoInTheStatusBar) {
    const std::string missing = (temp.Path() / "missing.htm").string();
    Start(ui::StartupOverride{SourceKind::BookmarkFile, missing});
    EXPECT_EQ(Main().Panel(0), QString::fromStdString("エラー Not Found Bookmark : " + missing));
    EXPECT_EQ(Model().glCT, 0);
}

TEST_F(UiTest, WindowsWithoutStoredPlacesOpenCentred) {
    Start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((Main().geometry().center() - screen.center()).manhattanLength(), 4);
    EXPECT_EQ(Main().size(), QSize(657, 465));
    const QRect chooser = app->FormDirectory->geometry();
    EXPECT_LE((chooser.center() - Main().geometry().center()).manhattanLength(), 4);
}

TEST_F(UiTest, TheWindowOpensAtTheTopOfTheTreeAndKeepsItsStatusTexts) {
    std::string file = "<TITLE>Root</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 200; ++k)
        file += "<DT><A HREF=\"http://" + std::to_string(k) + "/\">u</A>\n";
    Start(ui::StartupOverride{SourceKind::BookmarkFile, temp.Write("many.htm", file)});
    Main().resize(400, 300);
    Main().show();
    QApplication::processEvents();
    EXPECT_EQ(Main().TreeV->indexAt(QPoint(5, 5)), Main().TreeItems->IndexOf(Model().glNode[0]));
    // A press on the node already selected keeps the load's result.
    EXPECT_EQ(Main().Panel(0), "読込完了 :200 件");
    Main().TreeVPress();
    EXPECT_EQ(Main().Panel(0), "読込完了 :200 件");
    // Hints are tool tips only, and no menu offers the hidden tool bars.
    EXPECT_TRUE(Main().BtSakujo->statusTip().isEmpty());
    EXPECT_FALSE(Main().BtSakujo->toolTip().isEmpty());
    EXPECT_EQ(Main().createPopupMenu(), nullptr);
}
