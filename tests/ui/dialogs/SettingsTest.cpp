#include "ui/tools/BmCheckLog.h"
#include "ui/dialogs/BmDirectory.h"
#include "ui/dialogs/BmURLEdit.h"
#include "ui/tools/Memo.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "ui/UiFixture.h"

using namespace pernard;
using namespace pernard::testing;

TEST_F(UiTest, SettingsAreStoredUnderTheirNamesWithOneAndSeven) {
    Start();
    ui::TFormBookmark& settings = *app->FormBookmark;
    settings.EditBookmark1->setText("/data/bookmark.htm");
    settings.EditBookmark2->setText("/data/more.htm");
    settings.EditIE1->setText("/data/Favorites");
    settings.EditIE2->setText("/data/More/Favorites");
    settings.EditMaxURL->setText("5000");
    settings.RadioBrowser->SetItemIndex(0);
    settings.CheckChoufuku->setChecked(true);
    settings.CheckEmpty->setChecked(false);
    settings.CheckUwagaki->setChecked(true);
    settings.close();
    EXPECT_EQ(Stored("Window/fmBookmark.Bookmark1"), "/data/bookmark.htm");
    EXPECT_EQ(Stored("Window/fmBookmark.Bookmark2"), "/data/more.htm");
    EXPECT_EQ(Stored("Window/fmBookmark.IE1"), "/data/Favorites");
    EXPECT_EQ(Stored("Window/fmBookmark.IE2"), "/data/More/Favorites");
    EXPECT_EQ(Stored("Window/fmBookmark.MaxURL"), "5000");
    EXPECT_EQ(Stored("Window/fmBookmark.InitialDir"), "/data");
    EXPECT_EQ(Stored("Window/fmBookmark.RaBrowser"), "0");
    EXPECT_EQ(Stored("Window/fmBookmark.RadioList"), "4");
    EXPECT_EQ(Stored("Setting/fmBookmark.CkChoufuku"), "1");
    EXPECT_EQ(Stored("Setting/fmBookmark.CkEmpty"), "7");
    EXPECT_EQ(Stored("Setting/fmBookmark.CkUwagaki"), "1");
    EXPECT_EQ(Stored("Setting/fmBookmark.CkShoujun"), "1");
    EXPECT_FALSE(Stored("Window/fmBookmark.Left").isEmpty());

    // The next start reads them back into the controls.
    app.reset();
    Start();
    EXPECT_EQ(app->FormBookmark->EditIE2->text(), "/data/More/Favorites");
    EXPECT_EQ(app->FormBookmark->MaxUrlText(), "5000");
    EXPECT_TRUE(app->FormBookmark->SkipDuplicateUrls());
    EXPECT_TRUE(app->FormBookmark->NoOverwriteQuestion());
    EXPECT_FALSE(app->FormBookmark->NoEmptyFolders());
    EXPECT_EQ(app->FormBookmark->StartupSourceKind(), SourceKind::BookmarkFile);
}

TEST_F(UiTest, CheckBoxesReadOnOnlyForOne) {
    Store("Setting/fmBookmark.CkChoufuku", "0");
    Store("Setting/fmBookmark.CkEmpty", "1");
    Store("Setting/fmBookmark.CkUwagaki", "yes");
    Store("Setting/fmBookmark.CkShoujun", "7");
    Store("Window/fmBookmark.RadioList", "0");
    Store("Window/fmBookmark.MaxURL", "many");
    Start();
    EXPECT_FALSE(app->FormBookmark->SkipDuplicateUrls());
    EXPECT_TRUE(app->FormBookmark->NoEmptyFolders());
    EXPECT_FALSE(app->FormBookmark->NoOverwriteQuestion());
    // Overridden at start-up, and written back so.
    EXPECT_TRUE(app->FormBookmark->CheckShoujun->isChecked());
    app->FormBookmark->close();
    EXPECT_EQ(Stored("Setting/fmBookmark.CkShoujun"), "1");
    EXPECT_EQ(Stored("Window/fmBookmark.RadioList"), "4");
    // A MaxURL that is no number starts with the default.
    EXPECT_EQ(Stored("Window/fmBookmark.MaxURL"), "1000");
}

TEST_F(UiTest, ChoosingTheStartupSourceMarksItsField) {
    Start();
    ui::TFormBookmark& settings = *app->FormBookmark;
    settings.EditBookmark1->setText("/no/such/file.htm");
    settings.RadioBrowser->SetItemIndex(0);
    settings.RadioBrowserClick();
    EXPECT_EQ(settings.StatusBar->currentMessage(), "ファイル該当無し (NetScape)");
    EXPECT_FALSE(settings.EditBookmark1->styleSheet().isEmpty());
    settings.EditIE1->setText(QString::fromStdString(temp.Path().string()));
    settings.RadioBrowser->SetItemIndex(1);
    settings.RadioBrowserClick();
    EXPECT_EQ(settings.StatusBar->currentMessage(), "");
    EXPECT_TRUE(settings.EditBookmark1->styleSheet().isEmpty());
}

TEST_F(UiTest, WindowGeometryIsKept) {
    Store("Window/fmPernard.Left", "40");
    Store("Window/fmPernard.Top", "50");
    Store("Window/fmPernard.Width", "800");
    Store("Window/fmPernard.Height", "600");
    Store("Window/fmPernard.TreeViewWidth", "220");
    Start();
    EXPECT_EQ(Main().x(), 40);
    EXPECT_EQ(Main().width(), 800);
    EXPECT_EQ(Main().height(), 600);
    Main().resize(700, 500);
    Main().LView->setColumnWidth(0, 123);
    ASSERT_TRUE(Main().FormCloseQuery());
    EXPECT_EQ(Stored("Window/fmPernard.Width"), "700");
    EXPECT_EQ(Stored("Window/fmPernard.Height"), "500");
    EXPECT_EQ(Stored("Window/fmPernard.LView0"), "123");
    for (int column = 4; column <= 9; ++column) {
        EXPECT_EQ(Stored(QString("Window/fmPernard.LView%1").arg(column)), "0");
    }
    EXPECT_FALSE(Stored("Window/fmPernard.TreeViewWidth").isEmpty());
    // Dialogs keep their places too; the memo window never writes its own.
    app->FormLog->move(10, 20);
    app->FormLog->close();
    EXPECT_EQ(Stored("Window/fmCheckLog.Left"), "10");
    app->FormMemo->close();
    EXPECT_TRUE(Stored("Window/fmMemo.Left").isEmpty());
    app->FormDirectory->reject();
    EXPECT_FALSE(Stored("Window/fmDirect.Directory").isEmpty());
}

TEST_F(UiTest, TheDirectoryChooserFollowsItsTreeAndAsksBeforeDeleting) {
    temp.Write("dir/Favorites/a.url", "x");
    temp.Write("dir/Favorites/b.txt", "y");
    Start();
    ui::TFormDirectory& chooser = *app->FormDirectory;
    const QString directory = QString::fromStdString((temp.Path() / "dir" / "Favorites").string());
    chooser.SetDirectory(directory);
    EXPECT_EQ(chooser.Directory(), directory);
    EXPECT_EQ(chooser.EditFavor->text(), directory);
    chooser.FileEdit->setText("*.url");
    chooser.FileEditEnter();
    EXPECT_EQ(chooser.FileEdit->text(), "*.url");
    // Nothing is selected in the file list: deleting does nothing and asks nothing.
    chooser.DeleteSelectedFile();
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_TRUE(QFileInfo::exists(directory + "/a.url"));
}

TEST_F(UiTest, GarbageSettingsStartWithDefaultsOnScreen) {
    Store("Window/fmPernard.Left", "-99999999");
    Store("Window/fmPernard.Top", "999999999999");
    Store("Window/fmPernard.Width", "abc");
    Store("Window/fmPernard.Height", "-5");
    Store("Window/fmPernard.TreeViewWidth", "2147483647");
    Store("Window/fmPernard.LView0", "99999999");
    Store("Window/fmBookmark.MaxURL", "-3");
    Store("Window/fmBookmark.RadioList", "99");
    Store("Window/fmURL.Left", "1e9");
    Start(ui::StartupOverride{SourceKind::BookmarkFile, Sample()});
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(Main().geometry()));
    EXPECT_GE(Main().height(), 80);
    EXPECT_LE(Main().LView->columnWidth(0), 2000);
    EXPECT_EQ(app->FormBookmark->EditMaxURL->text(), "1000");
    EXPECT_GT(Model().glCT, 0);
    EXPECT_TRUE(screen.intersects(app->FormURL->geometry()));

    // A settings file that is not one at all.
    app.reset();
    const QString file = Settings().fileName();
    QFile broken(file);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("\x00\xff[[[=\n\x01garbage=\xfe\n[Window\nfmPernard.Left==", 40));
    broken.close();
    Start();
    EXPECT_EQ(app->FormBookmark->EditMaxURL->text(), "1000");
}

TEST_F(UiTest, TheEncodingSettingIsKept) {
    Store("Setting/fmBookmark.Encoding", "GBK");
    Start();
    EXPECT_EQ(app->FormBookmark->FallbackEncoding(), "GBK");
    app->FormBookmark->ComboEncoding->setCurrentIndex(0);
    EXPECT_EQ(app->FormBookmark->FallbackEncoding(), "");
    app->FormBookmark->SaveSettings();
    EXPECT_EQ(Stored("Setting/fmBookmark.Encoding"), "");
    app.reset();
    Store("Setting/fmBookmark.Encoding", "KOI8-nonsense");
    Start();
    EXPECT_EQ(app->FormBookmark->ComboEncoding->currentText(), "自動");
}
