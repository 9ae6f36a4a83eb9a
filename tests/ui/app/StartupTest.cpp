#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>

#include "ui/UiFixture.h"
#include "ui/dialogs/BmDirectory.h"
#include "ui/dialogs/BmURLEdit.h"
#include "ui/dialogs/Folder.h"
#include "ui/tools/ArHttp.h"
#include "ui/tools/BmCheckLog.h"
#include "ui/tools/BmKensaku.h"
#include "ui/tools/BmVersion.h"
#include "ui/tools/FiUrlList.h"
#include "ui/tools/Memo.h"
#include "ui/tools/PopMessage.h"

using namespace pernard;
using namespace pernard::testing;

TEST_F(UiTest, EveryWindowIsThereWithItsCaptionAndTheEditionIsSetUp) {
    Start();
    // Each window the menus open is a window of its own, under its caption.
    const std::pair<QWidget*, const char*> windows[] = {
        {app->FormURL, "URL"},
        {app->FormFolder, "フォルダー"},
        {app->FormKensaku, "検索(ブックマーク)"},
        {app->FormDirectory, "ディレクトリ選択"},
        {app->FormLog, "ログ"},
        {app->FormURLLIST, "URL リスト 保存"},
        {app->FormArHTTP, "ArHTTP"},
        {app->FormVersion, "ペルナード"},
        {app->FormMessage, "検索実行中"},
        {app->FormMemo, "Memo"},
        {app->FormBookmark, "設定"},
    };
    for (const auto& [window, caption] : windows) {
        EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_TRUE(window->isWindow()) << caption;
        EXPECT_FALSE(window->isVisible()) << caption;
    }
    EXPECT_EQ(Main().windowTitle(), "ペルナード");
    // Nothing read yet: the list under its own caption, the status bar's panels empty.
    EXPECT_EQ(Main().ListViewCaption->text(), "URL リスト");
    EXPECT_EQ(Main().Panel(0), "");
    EXPECT_EQ(Main().Panel(1), "");
    EXPECT_EQ(ui::ApplicationTitle(), "ﾍﾟﾙﾅｰﾄﾞ");
    // Window titles are exactly their captions: Qt adds nothing to them.
    EXPECT_TRUE(QApplication::applicationDisplayName().isEmpty() ||
                QApplication::applicationDisplayName() == QApplication::applicationName());
    EXPECT_EQ(Main().windowTitle(), "ペルナード");
    for (const char* hidden :
         {"MenuBrowser", "PMenuText", "MenuOption", "MenuDebug", "MenuClose"}) {
        EXPECT_FALSE(Main().Item(hidden)->isVisible()) << hidden;
    }
    for (const char* shown : {"miFile", "NetScapeB1", "IE1", "miFileSave", "C2", "T1", "S1", "R1",
                              "O1", "B2", "URL1", "D1", "R2", "miHelpAbout", "N19", "Delete2"}) {
        ASSERT_NE(Main().Item(shown), nullptr) << shown;
        EXPECT_TRUE(Main().Item(shown)->isVisible()) << shown;
    }
    EXPECT_EQ(Main().Item("IE1")->text(), "お気に入り(&I.E.) ");
    EXPECT_FALSE(Main().BtStop->isEnabled());
    EXPECT_FALSE(Main().ToolBar2->isVisibleTo(&Main()));
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{Main().BtBack, Main().BtForward, Main().BtReload,
                                         Main().BtKoushin, Main().BtHTTP, Main().Animate1}) {
        EXPECT_FALSE(hidden->isVisibleTo(&Main())) << hidden->objectName().toStdString();
    }
    EXPECT_EQ(Main().BtSakujo->text(), "削除");
    EXPECT_EQ(Main().BtSakujo->toolTip(), "URL, フォルダーの削除");
    for (int column = 4; column <= 9; ++column) EXPECT_TRUE(Main().LView->isColumnHidden(column));
    // Only the first page of the settings window is shown.
    QTabWidget* pages = app->FormBookmark->PageControl;
    EXPECT_TRUE(pages->isTabVisible(0));
    for (int page = 1; page < pages->count(); ++page) EXPECT_FALSE(pages->isTabVisible(page));
    EXPECT_TRUE(app->FormBookmark->CheckShoujun->isChecked());
    EXPECT_EQ(app->FormBookmark->RadioList->ItemIndex(), 4);
}

TEST_F(UiTest, HiddenColumnsStayHiddenWhateverWasSaved) {
    for (int column = 0; column <= 9; ++column)
        Store(QString("Window/fmPernard.LView%1").arg(column), "77");
    Start();
    EXPECT_EQ(Main().LView->columnWidth(0), 77);
    for (int column = 4; column <= 9; ++column) EXPECT_TRUE(Main().LView->isColumnHidden(column));
}

TEST_F(UiTest, FirstRunWithoutSettingsStartsEmpty) {
    Start();
    EXPECT_EQ(app->FormBookmark->RadioBrowser->ItemIndex(), -1);
    EXPECT_EQ(Model().glCT, 0);
    EXPECT_EQ(Main().TreeItems->rowCount(), 0);
    EXPECT_EQ(Main().ListItems->rowCount(), 0);
    EXPECT_FALSE(Main().TreeV->currentIndex().isValid());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(UiTest, StartupReadsTheConfiguredBookmarkFileAndSelectsNodeOne) {
    Store("Window/fmBookmark.Bookmark1", QString::fromStdString(Sample()));
    Store("Window/fmBookmark.RaBrowser", "0");
    Start();
    EXPECT_EQ(Model().glCT, 21);
    EXPECT_EQ(Model().glIndex(), 1);
    EXPECT_EQ(Main().TreeV->currentIndex().data().toString(), "ニュース・天気");
    EXPECT_EQ(Main().ListItems->rowCount(), 3);
    EXPECT_EQ(Main().ListViewCaption->text(), "ニュース・天気");
    EXPECT_FALSE(Model().glChanged);
}

TEST_F(UiTest, StartupReadsTheFavoritesDirectoryForAnyOtherChoice) {
    temp.Write("Favorites/news/a.url", "[InternetShortcut]\r\nURL=http://a/\r\n");
    Store("Window/fmBookmark.IE1", QString::fromStdString((temp.Path() / "Favorites").string()));
    Store("Window/fmBookmark.RaBrowser", "1");
    Start();
    EXPECT_EQ(Model().glCT, 3);
    EXPECT_EQ(Model().glAdd[0], "Internet Explorer");
    EXPECT_EQ(Model().glIndex(), 1);
}

TEST_F(UiTest, ATreeOfOneNodeSelectsNothing) {
    const std::string file = temp.Write("one.htm", "<TITLE>Only</TITLE>\r\n");
    Start(ui::StartupOverride{SourceKind::BookmarkFile, file});
    EXPECT_EQ(Model().glCT, 1);
    EXPECT_FALSE(Main().TreeV->currentIndex().isValid());
}

TEST_F(UiTest, SourceOnTheCommandLineIsReadWithoutTouchingTheSettings) {
    Store("Window/fmBookmark.Bookmark1", "/configured/bookmark.htm");
    Start(ui::StartupOverride{SourceKind::BookmarkFile, Sample()});
    EXPECT_EQ(Model().glCT, 21);
    EXPECT_EQ(app->FormBookmark->EditBookmark1->text(), "/configured/bookmark.htm");
    app->FormBookmark->close();
    EXPECT_EQ(Stored("Window/fmBookmark.Bookmark1"), "/configured/bookmark.htm");
}

TEST_F(UiTest, MenuLoadsReportInTheStatusBar) {
    Start();
    dialogs.nextFile = Sample();
    Main().NetScapeB1Click();
    EXPECT_EQ(Main().Panel(0), "読込完了 :15 件");
    EXPECT_EQ(app->FormBookmark->EditBookmark1->text().toStdString(), Sample());
    EXPECT_EQ(Model().glIndex(), 0);
    EXPECT_EQ(Main().Panel(1).toStdString(), Sample());

    const int roots = Main().TreeItems->rowCount();
    dialogs.nextFile = Sample();
    Main().NetScape1Click();
    EXPECT_EQ(Main().TreeItems->rowCount(), roots + 1);
    EXPECT_EQ(Model().glIndex(), 21);
    EXPECT_EQ(app->FormBookmark->EditBookmark2->text().toStdString(), Sample());

    dialogs.nextFile = (temp.Path() / "missing.htm").string();
    Main().NetScape1Click();
    EXPECT_EQ(Main().Panel(0).toStdString(), "エラー Not Found Bookmark : " + dialogs.nextFile);
}

TEST_F(UiTest, AdditionalFavoritesWithoutADirectoryAsksForOne) {
    Start();
    Main().IE2Click();
    EXPECT_TRUE(app->FormBookmark->isVisible());
    EXPECT_EQ(app->FormBookmark->StatusBar->currentMessage(),
              "Internet Explorer の追加読込用のディレクトリを指定してください");
}

TEST_F(UiTest, TheMemoStaysBounded) {
    std::string file = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 20000; ++k)
        file += "<DT><A HREF=\"http://" + std::to_string(k) + "/\">u</A>\n";
    Store("Window/fmBookmark.MaxURL", "100000");
    Start(ui::StartupOverride{SourceKind::BookmarkFile, temp.Write("big.htm", file)});
    EXPECT_EQ(Model().glCT, 20001);
    EXPECT_LE(app->FormMemo->LineCount(), 2000 + 2);
}

TEST_F(UiTest, OpeningAUrlRecordsTheVisit) {
    Start(ui::StartupOverride{SourceKind::BookmarkFile, Sample()});
    // A folder is current: nothing opens, nothing changes.
    Model().SetCurrent(1);
    Main().R1Click();
    EXPECT_TRUE(browser.opened.empty());
    EXPECT_EQ(Model().glVisit[1], "");
    // A bookmark: the address goes to the browser and the visit is stamped now.
    Model().SetCurrent(2);
    const std::string before(Model().glVisit[2]);
    Main().R1Click();
    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_EQ(browser.opened[0], "https://www.nhk.or.jp/");
    EXPECT_NE(Model().glVisit[2], before);
    EXPECT_NEAR(std::stoll(std::string(Model().glVisit[2])),
                static_cast<long long>(QDateTime::currentSecsSinceEpoch()), 5);
}

TEST_F(UiTest, ReferencePageBesideTheProgram) {
    Start();
    const QFileInfo program(QApplication::applicationFilePath());
    EXPECT_EQ(Main().ReferenceAddress(),
              "file:" + program.absolutePath() + "/" + program.completeBaseName() + ".htm");
    browser.result = false;
    Main().R2Click();
    ASSERT_EQ(browser.opened.size(), 2u);
    EXPECT_EQ(Main().Panel(1), browser.opened[0]);
    EXPECT_EQ(browser.opened[1],
              "file://" + program.absolutePath() + "/" + program.completeBaseName() + ".htm");
}

TEST_F(UiTest, FavoritesFromTheMenusAndSavingThemBack) {
    temp.Write("Favorites/news/a.url", "[InternetShortcut]\r\nURL=http://a/\r\n");
    temp.Write("Favorites/b.url", "[InternetShortcut]\r\nURL=http://b/\r\n");
    const std::string favorites = (temp.Path() / "Favorites").string();
    Start();
    dialogs.nextDirectory = favorites;
    Main().IE1Click();
    EXPECT_EQ(Main().Panel(1).toStdString(), Model().glVisit[0]);
    EXPECT_EQ(app->FormBookmark->EditIE1->text().toStdString(), favorites);
    EXPECT_EQ(Model().glCT, 4);
    EXPECT_FALSE(Model().glChanged);

    // Save as a bookmark file, then as another Favorites directory.
    Model().SetCurrent(0);
    dialogs.nextFile = (temp.Path() / "saved.htm").string();
    Main().NetScape2Click();
    EXPECT_NE(ReadBytes(dialogs.nextFile).find("http://b/"), std::string::npos);
    dialogs.nextDirectory = (temp.Path() / "copy" / "Favorites").string();
    Main().IE3Click();
    EXPECT_EQ(ReadBytes(dialogs.nextDirectory + "/news/a.url"),
              "[InternetShortcut]\r\nURL=http://a/\r\n");

    // The additional load reads the directory named in the settings.
    app->FormBookmark->EditIE2->setText(QString::fromStdString(dialogs.nextDirectory));
    Main().IE2Click();
    EXPECT_EQ(Model().glIndex(), 4);
    EXPECT_EQ(Model().glCT, 8);

    dialogs.nextDirectory = (temp.Path() / "missing").string();
    Main().IE1Click();
    EXPECT_EQ(prompts.messages.back(),
              "エラー ディレクトリが存在しません : " + dialogs.nextDirectory);
    EXPECT_EQ(Main().Panel(0), "読込失敗 ");
}

TEST_F(UiTest, TheBookmarkListShowsItsRowsEntry) {
    Start(ui::StartupOverride{SourceKind::BookmarkFile, Sample()});
    ui::TFormBookmark& settings = *app->FormBookmark;
    ASSERT_GT(settings.ListBookMark->count(), 3);
    settings.ListBookMark->setCurrentRow(2);
    EXPECT_EQ(settings.EditURL->text().toStdString(), Model().glUrl[2]);
    EXPECT_EQ(settings.EditAdd->text().toStdString(), Model().glAdd[2]);
    settings.ListBookMark->addItem("beyond the table");
    for (int k = settings.ListBookMark->count(); k < 40; ++k) settings.ListBookMark->addItem("x");
    settings.ListBookMark->setCurrentRow(39);
    EXPECT_EQ(settings.EditURL->text(), "");
}

TEST_F(UiTest, AFileChosenFromTheMenuIsReadAtTheNextStart) {
    Start();
    dialogs.nextFile = Sample();
    Main().NetScapeB1Click();
    app->FormBookmark->RadioBrowser->SetItemIndex(0);
    ASSERT_TRUE(Main().FormCloseQuery());
    app.reset();
    Start();
    EXPECT_EQ(Model().glCT, 21);
}
