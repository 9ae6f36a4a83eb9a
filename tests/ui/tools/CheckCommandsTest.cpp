// Link checking in the window, against a server of the test's own on 127.0.0.1: results in the
// list and the runner window, 中止, results for entries that changed, the run's parameters, and
// the update-order output.

#include <QSettings>
#include <QTest>

#include "support/LocalHttpServer.h"
#include "support/Reading.h"
#include "ui/EditFixture.h"
#include "ui/app/Registry.h"
#include "ui/dialogs/Bookmark.h"
#include "ui/tools/ArHttp.h"
#include "ui/tools/FormHttp.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

// 0 Root; 1 Links { 2 ok; 3 missing; 4 moved; 5 slow }
class CheckCommandsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        const std::string file =
            temp.Write("links.htm", "<TITLE>Root</TITLE>\n<DL><p>\n<DT><H3>Links</H3>\n<DL><p>\n" +
                                        Anchor("/ok", "ok") + Anchor("/missing", "missing") +
                                        Anchor("/moved", "moved") + Anchor("/slow", "slow") +
                                        "</DL><p>\n</DL><p>\n");
        Start(ui::StartupOverride{SourceKind::BookmarkFile, file});
        app->FormBookmark->EditSysDir->setText(QString::fromStdString(temp.Path().string()));
        Engine().EditTimeOut->setText("1");
        Main().show();
        Select(1);
    }
    std::string Anchor(const std::string& path, const std::string& name) {
        return "<DT><A HREF=\"" + server.Url(path) + "\">" + name + "</A>\n";
    }
    ui::TFormHTTP& Engine() { return *app->FormHTTP; }
    void Select(int entry) {
        Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[entry]));
        Main().TreeVChange();
    }
    QString Column(int row, int column) { return Main().ListItems->Row(row).texts[column]; }
    bool WaitForEnd() {
        return QTest::qWaitFor([this] { return !Main().Checks().Running(); }, 10000);
    }
    LocalHttpServer server;
};

}  // namespace

TEST_F(CheckCommandsTest, ResultsFillTheListTheRunnerAndTheDates) {
    Engine().EditThread->setText("12");
    Main().BtHTTPClick();
    ASSERT_TRUE(Main().Checks().Running());
    EXPECT_TRUE(Main().BtStop->isEnabled());
    EXPECT_EQ(Engine().Panel(8), "サーチ開始");
    EXPECT_TRUE(Engine().MemoLog->toPlainText().startsWith("(処理条件)  Thread : 8 優先度 : "));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_FALSE(Main().BtStop->isEnabled());
    EXPECT_EQ(Column(0, 5), "200");
    EXPECT_EQ(Column(0, 6), "5");
    EXPECT_EQ(Column(0, 8), "PernardTest");
    EXPECT_EQ(Column(1, 5), "404");
    EXPECT_EQ(Column(2, 9), QString::fromStdString("→ " + server.Url("/ok")));
    EXPECT_EQ(Column(3, 5), "200");  // late, but well within the minute
    EXPECT_EQ(Model().glLast[2], "1577836800");
    EXPECT_TRUE(Model().glChanged);
    // The slow one finished last: its slot's memo shows its headers.
    const int slot = Column(3, 7).toInt() - 1;
    ASSERT_GE(slot, 0);
    EXPECT_TRUE(app->FormArHTTP->MemoHead(slot)->toPlainText().contains("Content-Length: 4"));
}

TEST_F(CheckCommandsTest, StopEndsTheCheckAndThePendingCopyEachOnItsOwn) {
    Engine().EditThread->setText("x");
    Main().BtHTTPClick();
    EXPECT_EQ(Engine().EditThread->text(), "1");
    Main().BtCopyClick();
    ASSERT_TRUE(Main().ClipPending());
    Main().BtStopClick();
    EXPECT_FALSE(Main().Checks().Running());
    EXPECT_FALSE(Main().ClipPending());
    EXPECT_FALSE(Main().BtStop->isEnabled());

    // A copy pending while nothing runs: 中止 ends the copy.
    Main().BtCopyClick();
    Main().BtStopClick();
    EXPECT_FALSE(Main().ClipPending());
    // A check with no copy pending: the list is not frozen while it runs.
    Main().BtHTTPClick();
    EXPECT_FALSE(Main().ClipPending());
    Main().BtStopClick();
    EXPECT_EQ(Engine().Panel(8), "中止");
}

TEST_F(CheckCommandsTest, AResultForAnEntryThatChangedIsDropped) {
    Main().BtHTTPClick();
    prompts.nextAnswer = Answer::Yes;
    Model().DeleteNode(Model().glNode[2], false);  // ok
    Model().EditUrlEntry(2, {"missing", "http://elsewhere/", "", "", ""});
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Model().glLast[2], "");
    EXPECT_EQ(Engine().MemoLog->toPlainText().count("破棄"), 2);
}

TEST_F(CheckCommandsTest, AProxyPortOutOfRangeStopsTheStart) {
    app->FormBookmark->CheckProxy->setChecked(true);
    app->FormBookmark->EditIPAddress->setText("127.0.0.1");
    app->FormBookmark->EditPort->setText("99999");
    Main().BtHTTPClick();
    EXPECT_FALSE(Main().Checks().Running());
    EXPECT_EQ(prompts.messages.back(), "プロキシのポート番号は 1 から 65535 で指定してください");
}

TEST_F(CheckCommandsTest, TheUpdateOrderOutputWritesTheExpandedFolder) {
    const std::string links = temp.Path().string();
    app->FormBookmark->EditLinkDir->clear();
    Main().K1Click();
    EXPECT_EQ(Main().Panel0->text(), "保存ファイルを指定してください");  // no save URL
    EXPECT_TRUE(Main().BtTenkai->isChecked());
    Model().EditFolderEntry(1, "Links", "update.htm");
    Select(1);
    Main().K1Click();
    EXPECT_EQ(Main().Panel0->text(), "保存用ディレクトリを指定してください");
    app->FormBookmark->EditLinkDir->setText(QString::fromStdString(links));
    Main().K1Click();
    EXPECT_EQ(Main().Panel0->text(), "保存完了 4 件");
    EXPECT_FALSE(Main().Checks().OutputPending());
    EXPECT_EQ(app->FormBookmark->RadioList->ItemIndex(), 2);
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "update.htm"));
    Model().EditFolderEntry(1, "Links", "../escape.htm");
    Main().K1Click();
    EXPECT_TRUE(Main().Panel0->text().startsWith("Cannot Write "));
}

TEST_F(CheckCommandsTest, AReloadDuringARunDropsTheOldResults) {
    Main().BtHTTPClick();
    int urls = 0;
    std::string error;
    ASSERT_TRUE(Unpacked(
        LoadSource(Model(), true, (temp.Path() / "links.htm").string(), SourceKind::BookmarkFile),
        urls, error));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Model().glLast[2], "");
    EXPECT_EQ(Engine().MemoLog->toPlainText().count("破棄"), 4);
}

TEST_F(CheckCommandsTest, TheEngineKeepsItsFieldsButNeverThePassword) {
    Engine().EditUserID->setText("me");
    Engine().EditPassword->setText("secret-word");
    Engine().show();
    Engine().close();
    ui::Registry::Sync();
    EXPECT_EQ(ui::Registry::ReadText("Window", "fmHTTP.UserID", ""), "me");
    const std::string settings = ReadBytes(QSettings("Tesvel", "Common").fileName().toStdString());
    EXPECT_EQ(settings.find("secret-word"), std::string::npos);
}
