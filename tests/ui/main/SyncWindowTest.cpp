// ファイル › 同期 as a user meets it, against a lighttpd on 127.0.0.1: the link made in its dialog
// with the connection test, the first sync asked and merged, a conflict with another machine's
// edit decided by the rules, listed in the record and taken the other way, and sent again.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <filesystem>
#include <fstream>

#include "commands/LoadCommands.h"
#include "support/WebDavServer.h"
#include "sync/SharedFile.h"
#include "ui/UiFixture.h"
#include "ui/dialogs/VersionsDialog.h"
#include "ui/main/TreeModel.h"
#include "ui/sync/SyncChoiceDialog.h"
#include "ui/sync/Credentials.h"
#include "ui/sync/SyncController.h"
#include "ui/sync/SyncLogDialog.h"
#include "ui/sync/SyncSettingsDialog.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

constexpr const char* kCollection =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
    "<DT><A HREF=\"http://a.example/\" TAGS=\"keep\">a</A>\n"
    "<DT><H3>f</H3>\n<DL><p>\n<DT><A HREF=\"http://b.example/\">b</A>\n</DL><p>\n"
    "<DT><A HREF=\"mailto:me@example.com\">mail</A>\n</DL><p>\n";

// Runs the window's events until `done` holds (or half a minute passed).
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

// Another machine's client renames an entry in the server's file, writing it as such a client
// does (its own bytes, a new ETag).
void RenameOnServer(const std::filesystem::path& file, const std::string& from, const std::string& to) {
    const std::string bytes = ReadBytes(file.string());
    sync::SharedFileRead read = sync::ReadSharedFile(bytes, sync::SharedFormat::Xbel);
    ASSERT_TRUE(read.ok);
    for (sync::SyncItem& item : read.tree.items) {
        if (item.title == from) item.title = to;
    }
    QThread::msleep(1100);  // a new modification time, so a new ETag
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        << sync::WriteSharedFile(read.tree, sync::SharedFormat::Xbel);
}

int RowOf(const BmLogic& model, const std::string& title) {
    for (int row = 1; row < model.glCT; ++row) {
        if (model.glName[row] == title) return row;
    }
    return -1;
}

}  // namespace

TEST_F(UiTest, ARootIsLinkedSyncedAndItsConflictTakenTheOtherWay) {
    WebDavServer dav;
    if (!dav.Installed()) GTEST_SKIP() << "lighttpd is not installed";
    ASSERT_TRUE(dav.Problem().empty()) << dav.Problem();
    ScopedVariable dataHome("XDG_DATA_HOME", (temp.Path() / "data").string().c_str());
    const std::string file = temp.Write("b.htm", kCollection);
    Start(ui::StartupOverride{SourceKind::BookmarkFile, file});
    ui::MemoryCredentials credentials;
    ui::SyncController& sync = Main().Sync();
    sync.SetCredentials(&credentials);
    const auto selectRoot = [this] {
        Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[0]));
    };
    const auto settled = [&] { return !sync.Running(); };

    QString tested;
    answerDialog = [&](QDialog& dialog) {
        if (auto* settings = qobject_cast<ui::TFormSyncSettings*>(&dialog)) {
            EXPECT_EQ(settings->EditFileName->text(), "bookmarks.xbel");
            settings->EditUrl->setText(QString::fromStdString(dav.FolderUrl(DavAuth::Basic)));
            settings->EditUser->setText(WebDavServer::kUser);
            settings->EditPassword->setText(WebDavServer::kPassword);
            settings->CheckOnStart->setChecked(false);
            settings->CheckAfterChange->setChecked(false);
            settings->CheckInterval->setChecked(false);
            settings->BtTest->click();
            tested = settings->MemoTest->toPlainText();
            settings->BtOk->click();
        } else if (auto* choice = qobject_cast<ui::TFormSyncChoice*>(&dialog)) {
            EXPECT_TRUE(choice->RadioMerge->isChecked());
            EXPECT_NE(choice->LabelHoldings->text().indexOf("ローカル: ブックマーク 3 件"), -1);
            EXPECT_NE(choice->MemoChanges->toPlainText().indexOf("同期対象外: /mail"), -1);
            choice->BtRun->click();
        }
    };
    selectRoot();
    sync.SettingsClick();
    EXPECT_NE(tested.indexOf("フォルダーに書き込めます"), -1) << tested.toStdString();
    EXPECT_NE(tested.indexOf("If-Match）を守ります"), -1) << tested.toStdString();
    ASSERT_TRUE(WaitFor(settled));
    ASSERT_TRUE(WaitFor([&] { return sync.StatusLabel->text().startsWith("同期済み"); }))
        << sync.StatusLabel->text().toStdString();
    const std::filesystem::path shared = dav.Folder(DavAuth::Basic) / "bookmarks.xbel";
    ASSERT_TRUE(std::filesystem::exists(shared));
    EXPECT_NE(ReadBytes(file).find(" ID=\""), std::string::npos);
    EXPECT_TRUE(Main().TreeItems->data(Main().TreeItems->IndexOf(Model().glNode[0])).toString().endsWith("（同期）"));
    EXPECT_TRUE(sync.StaysLocal(RowOf(Model(), "mail")));
    EXPECT_FALSE(sync.StaysLocal(RowOf(Model(), "a")));

    // The same entry renamed on another machine and here: the local name wins, as a conflict.
    RenameOnServer(shared, "b", "server-b");
    const int b = RowOf(Model(), "b");
    ASSERT_TRUE(Model().EditUrlEntry(b, {"mine-b", "http://b.example/", "", "", ""}));
    selectRoot();
    sync.SyncNowClick();
    ASSERT_TRUE(WaitFor(settled));
    EXPECT_EQ(sync.StatusLabel->text(), "同期しました（競合 1 件）");
    EXPECT_NE(ReadBytes(shared.string()).find("mine-b"), std::string::npos);

    answerDialog = [&](QDialog& dialog) {
        auto* log = qobject_cast<ui::TFormSyncLog*>(&dialog);
        ASSERT_NE(log, nullptr);
        ASSERT_EQ(log->TreeConflicts->topLevelItemCount(), 1);
        EXPECT_EQ(log->TreeConflicts->topLevelItem(0)->text(1), "名前");
        EXPECT_EQ(log->TreeConflicts->topLevelItem(0)->text(3), "server-b");
        ASSERT_TRUE(log->BtTakeOther->isEnabled());
        log->BtTakeOther->click();
        EXPECT_FALSE(log->BtTakeOther->isEnabled());
    };
    sync.LogClick();
    EXPECT_GE(RowOf(Model(), "server-b"), 0);
    // The other side is an ordinary edit: it can be undone, and the next run sends it.
    selectRoot();
    sync.SyncNowClick();
    ASSERT_TRUE(WaitFor(settled));
    EXPECT_TRUE(sync.StatusLabel->text().startsWith("同期済み")) << sync.StatusLabel->text().toStdString();
    EXPECT_NE(ReadBytes(shared.string()).find("server-b"), std::string::npos);
    EXPECT_NE(ReadBytes(file).find("server-b"), std::string::npos);
    EXPECT_NE(ReadBytes(file).find("TAGS=\"keep\""), std::string::npos);

    // The server's file as it was before each run replaced it is an earlier version; putting
    // one back is an edit of the root that keeps what only the local side holds.
    answerDialog = [](QDialog& dialog) {
        auto& versions = static_cast<ui::TFormVersions&>(dialog);
        const auto found = versions.ListVersions->findItems("サーバー", Qt::MatchStartsWith);
        ASSERT_EQ(found.size(), 2);
        EXPECT_EQ(found[0]->text(0), "サーバー 2");
        versions.ListVersions->setCurrentItem(found[0]);
        EXPECT_NE(versions.LabelDifference->text().indexOf("名前の変更 1 件"), -1)
            << versions.LabelDifference->text().toStdString();
        versions.BtRestore->click();
    };
    selectRoot();
    Main().miFileVersionsClick();
    EXPECT_GE(RowOf(Model(), "mine-b"), 0);
    EXPECT_GE(RowOf(Model(), "mail"), 0);
    ASSERT_TRUE(Model().Undo());
    EXPECT_GE(RowOf(Model(), "server-b"), 0);
    // The same file read again is a second root that does not sync: only the first one does.
    const int second = Model().glCT;
    ASSERT_TRUE(LoadSource(Model(), false, file).ok);
    EXPECT_FALSE(sync.AccountOf(0).isEmpty());
    EXPECT_TRUE(sync.AccountOf(second).isEmpty());
    EXPECT_FALSE(std::filesystem::exists(dav.Folder(DavAuth::Basic) / "bookmarks.xbel.lock"));
    EXPECT_FALSE(std::filesystem::exists(dav.Folder(DavAuth::Basic) / "bookmarks.xbel.probe.lock"));
}

#if defined(_WIN32)
// The Windows build keeps the sync's secrets in the Credential Manager (QtKeychain, built by
// scripts/build-qtkeychain-windows.sh): another store, with nothing of this run in its memory,
// reads what the first wrote, and nothing once it is removed.
TEST(Credentials, TheWindowsCredentialManagerKeepsASecretBeyondTheRun) {
    const QString key = ui::PasswordKey(
        "https://dav.example/bookmarks.xbel",
        "ui-tests-" + std::to_string(QCoreApplication::applicationPid()));
    const QString password = QString::fromUtf8("合言葉 word");
    ui::SystemCredentials writer;
    ASSERT_TRUE(writer.Write(key, password));
    ui::SystemCredentials reader;
    QString secret;
    ASSERT_TRUE(reader.Read(key, secret));
    EXPECT_EQ(secret, password);
    reader.Remove(key);
    ui::SystemCredentials after;
    EXPECT_FALSE(after.Read(key, secret));
}
#endif
