// What a user sees: names, paths and messages as they stand (a name that looks like markup is
// never drawn as rich text, in labels, panels, message boxes or tool tips), Qt's own texts in
// Japanese, and the standard windows' shapes and filters.

#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "ui/UiFixture.h"
#include "ui/dialogs/BmDirectory.h"
#include "ui/tools/BmKensaku.h"
#include "ui/dialogs/BmURLEdit.h"
#include "ui/tools/BmVersion.h"
#include "ui/widgets/EntryView.h"
#include "ui/dialogs/Folder.h"
#include "ui/app/Icons.h"
#include "ui/app/QtPorts.h"
#include "ui/widgets/QtText.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

constexpr const char* kMarkupName = "<b>Big</b> name";

}  // namespace

TEST_F(UiTest, EveryLabelOfEveryWindowShowsItsTextAsItStands) {
    const std::string file =
        temp.Write("markup.htm", std::string("<TITLE>T</TITLE>\n<DL><p>\n<DT><H3>") + kMarkupName +
                                     "</H3>\n<DL><p>\n<DT><A HREF=\"http://a/\">" + kMarkupName +
                                     "</A>\n</DL><p>\n</DL><p>\n");
    Start(ui::StartupOverride{SourceKind::BookmarkFile, file});
    for (QLabel* label : Main().findChildren<QLabel*>()) {
        if (label->objectName() == "LabelSupport") continue;  // a link, made on purpose
        EXPECT_EQ(label->textFormat(), Qt::PlainText)
            << label->window()->objectName().toStdString() << " "
            << label->objectName().toStdString() << " " << label->text().toStdString();
    }
    // The folder's caption above the list and a cut entry in panel 1 read as the name.
    Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[1]));
    EXPECT_EQ(Main().ListViewCaption->text().toStdString(), kMarkupName);
    // Tool tips of the tree, the list and the search results show the markup as text.
    const QString tip =
        Main()
            .TreeItems->data(Main().TreeItems->IndexOf(Model().glNode[1]), Qt::ToolTipRole)
            .toString();
    EXPECT_TRUE(tip.contains("&lt;b&gt;Big&lt;/b&gt; name")) << tip.toStdString();
    // Every tip is rich text, which Qt wraps at the tip's width, with its lines kept.
    EXPECT_EQ(ui::PlainToolTip("plain\nline"),
              "<qt style=\"white-space:pre-wrap\">plain\nline</qt>");
}

TEST_F(UiTest, MessageBoxesShowTheirTextAsItStands) {
    ui::MessageBoxPrompts boxes;
    QString shownText;
    Qt::TextFormat shownFormat = Qt::AutoText;
    auto look = [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget);
                box != nullptr && box->isVisible()) {
                shownText = box->text();
                shownFormat = box->textFormat();
                box->reject();
            }
        }
    };
    QTimer::singleShot(0, look);
    boxes.ShowMessage(std::string(kMarkupName) + " (http://a/) を削除します");
    EXPECT_EQ(shownFormat, Qt::PlainText);
    EXPECT_EQ(shownText.toStdString(), std::string(kMarkupName) + " (http://a/) を削除します");
    shownFormat = Qt::AutoText;
    QTimer::singleShot(0, look);
    boxes.Confirm("0 件 : <A HREF> はありましたが", Buttons::YesNo);
    EXPECT_EQ(shownFormat, Qt::PlainText);
    EXPECT_EQ(shownText.toStdString(), "0 件 : <A HREF> はありましたが");
}

TEST_F(UiTest, PanelZeroIsAsWideAsItsTextWithTheWholeTextAsItsToolTip) {
    Start();
    Main().resize(900, 500);
    Main().show();
    const QString error = "エラー URL MAX !!  設定のMAX値を修正して下さい";
    Main().Panel0->setText(error);
    QApplication::processEvents();
    EXPECT_GE(Main().Panel0->width(), Main().Panel0->fontMetrics().horizontalAdvance(error));
    EXPECT_FALSE(Main().Panel0->text().isEmpty());
}

TEST(Language, QtsOwnTextsAreJapaneseWhateverTheLocale) {
    // The test program installs the language as the program does.
    EXPECT_EQ(QLocale().language(), QLocale::Japanese);
    for (const char* text : {"Look in:", "Files of type:", "&Open"}) {
        EXPECT_NE(QCoreApplication::translate("QFileDialog", text), QString(text)) << text;
    }
    EXPECT_NE(QCoreApplication::translate("QWidgetTextControl", "&Undo"), QString("&Undo"));
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
    // What Qt's translation leaves in English: a directory's type in the file dialog, its
    // filter of every file, the key name in menus.
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), "フォルダー");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "All Files (*)"), "すべてのファイル (*)");
    EXPECT_EQ(QKeySequence(Qt::Key_Return).toString(QKeySequence::NativeText), "Enter");
}

TEST_F(UiTest, TheVersionWindowIsFixedAndCentredOnTheMainWindow) {
    Start();
    Main().setGeometry(200, 150, 800, 600);
    Main().show();
    Main().miHelpAboutClick();
    QWidget& version = *app->FormVersion;
    EXPECT_EQ(version.minimumSize(), version.maximumSize());
    const QPoint offset = version.frameGeometry().center() - Main().frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 4);
    version.close();
}

TEST_F(UiTest, TheSettingsFileDialogOffersBookmarkFilesAndPrograms) {
    QWidget owner;
    ui::WindowDialogs dialogs(&owner, nullptr);
    QStringList filters;
    QTimer::singleShot(0, [&filters] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible()) {
                filters = dialog->nameFilters();
                dialog->reject();
            }
        }
    });
    std::string chosen;
    EXPECT_FALSE(dialogs.OpenSettingsFile("", chosen));
    EXPECT_EQ(filters, (QStringList{"HTML(*.htm *.html)", "EXE (*.exe)"}));
}

TEST_F(UiTest, ToolWindowsOpenAtTheEndKeepWhereTheyWere) {
    Start();
    Main().show();
    app->FormKensaku->show();
    app->FormKensaku->setGeometry(321, 234, 400, 300);
    EXPECT_TRUE(Main().FormCloseQuery());
    // Stored as a close of the window stores it (its frame, at least its layout's width).
    ASSERT_TRUE(Settings().contains("Window/fmKensaku.Left"));
    EXPECT_NEAR(Settings().value("Window/fmKensaku.Left").toInt(), 321, 4);
    EXPECT_GE(Settings().value("Window/fmKensaku.Width").toInt(), 400);
}

TEST_F(UiTest, DialogsOpenAtTheirDesignedSize) {
    Start();
    // The URL and folder dialogs are fixed; the directory chooser may be resized.
    const std::tuple<QWidget*, QSize, bool> dialogs[] = {
        {app->FormURL, QSize(456, 154), true},
        {app->FormFolder, QSize(296, 113), true},
        {app->FormDirectory, QSize(324, 354), false},
    };
    for (const auto& [dialog, design, fixed] : dialogs) {
        dialog->show();
        QApplication::processEvents();
        const std::string name = dialog->objectName().toStdString();
        EXPECT_EQ(dialog->minimumSize() == dialog->maximumSize(), fixed) << name;
        // Grown only as far as the fonts need.
        EXPECT_GE(dialog->width(), design.width()) << name;
        EXPECT_LE(dialog->width(), design.width() * 5 / 4) << name;
        EXPECT_LE(dialog->height(), design.height() * 5 / 4) << name;
        dialog->hide();
    }
    // The search window opens at its designed width.
    app->FormKensaku->show();
    QApplication::processEvents();
    EXPECT_EQ(app->FormKensaku->width(), 387);
    app->FormKensaku->hide();
    // The chooser's filter, and its file list's リフレッシュ: a file made after the directory
    // was listed is listed beside the others.
    EXPECT_EQ(app->FormDirectory->FilterComboBox1->itemText(0), "すべてのファイル (*)");
    temp.Write("chooser/early.txt", "x");
    app->FormDirectory->SetDirectory(QString::fromStdString((temp.Path() / "chooser").string()));
    temp.Write("chooser/late.txt", "x");
    app->FormDirectory->RefreshFiles();
    const QListView* files = app->FormDirectory->FileListBox1;
    auto listed = [files] {
        QStringList names;
        for (int row = 0; row < files->model()->rowCount(files->rootIndex()); ++row)
            names << files->model()->index(row, 0, files->rootIndex()).data().toString();
        names.sort();
        return names;
    };
    const QStringList expected{"early.txt", "late.txt"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed() == expected; }, 5000))
        << listed().join(", ").toStdString();
}

TEST_F(UiTest, WithNothingLoadedTheListSaysHowToBeginAndEntryCommandsWait) {
    Start();
    ASSERT_EQ(Model().glCT, 0);
    auto* list = static_cast<ui::EntryView*>(Main().LView);
    EXPECT_TRUE(list->EmptyHint().contains("ブックマークの読込"));
    // A screen reader reads it too.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(list)->text(QAccessible::Description),
              list->EmptyHint());
    for (QWidget* button :
         {static_cast<QWidget*>(Main().BtHenshuu), static_cast<QWidget*>(Main().BtCut),
          static_cast<QWidget*>(Main().BtCopy), static_cast<QWidget*>(Main().BtSakujo)}) {
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }
    dialogs.nextFile = Sample();
    Main().NetScapeB1Click();
    EXPECT_TRUE(list->EmptyHint().isEmpty());
    EXPECT_TRUE(list->accessibleDescription().isEmpty());
    EXPECT_TRUE(Main().BtHenshuu->isEnabled());
}

TEST(Icons, DrawnSharpForEveryCommonScaling) {
    for (const double ratio : {1.0, 1.25, 1.5, 2.0, 2.5}) {
        for (const int logical : {16, 24}) {
            const int device = static_cast<int>(logical * ratio);
            // An icon drawn at exactly the device size: nothing is scaled.
            EXPECT_TRUE(ui::ToolImage(0).availableSizes().contains(QSize(device, device)))
                << logical << " at " << ratio;
        }
        // The questions' mark, at the message box's 32 pixels.
        const int device = static_cast<int>(32 * ratio);
        EXPECT_TRUE(ui::QuestionImage().availableSizes().contains(QSize(device, device))) << ratio;
    }
}

TEST_F(UiTest, DeletingAFileInTheChooserReadsTheListAgainAndKeepsTheRowNumber) {
    Start();
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        temp.Write(std::string("files/") + name, "x");
    ui::TFormDirectory& chooser = *app->FormDirectory;
    chooser.SetDirectory(QString::fromStdString((temp.Path() / "files").string()));
    chooser.show();
    auto rows = [&chooser] {
        return chooser.FileListBox1->model()->rowCount(chooser.FileListBox1->rootIndex());
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 3; }, 5000));
    chooser.FileListBox1->model()->sort(0);
    const QModelIndex second =
        chooser.FileListBox1->model()->index(1, 0, chooser.FileListBox1->rootIndex());
    chooser.FileListBox1->setCurrentIndex(second);
    const QString deleted = second.data().toString();
    chooser.DeleteSelectedFile();  // the recorded prompts answer Yes
    EXPECT_FALSE(
        QFile::exists(QString::fromStdString((temp.Path() / "files").string()) + "/" + deleted));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows() == 2; }, 5000));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return chooser.FileListBox1->currentIndex().row() == 1; }, 5000));
    chooser.hide();
}

TEST_F(UiTest, ABookmarksDescriptionAndTagsAreTheToolTipOfItsName) {
    const std::string file =
        temp.Write("notes.htm",
                   "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                   "<TITLE>T</TITLE>\n<DL><p>\n"
                   "<DT><A HREF=\"http://a/\" TAGS=\"news,日本\">A</A>\n"
                   "<DD>Daily &lt;news&gt;\n  second line\n"
                   "<DT><A HREF=\"http://b/\">B</A>\n</DL><p>\n");
    Start(ui::StartupOverride{SourceKind::BookmarkFile, file});
    Main().TreeV->setCurrentIndex(Main().TreeItems->IndexOf(Model().glNode[0]));
    ASSERT_EQ(Main().ListItems->rowCount(), 2);
    const QString tip = Main().ListItems->index(0, 0).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains("A\nDaily &lt;news&gt;\nsecond line\nタグ: news,日本"))
        << tip.toStdString();
    // Other columns and bookmarks without notes show their text alone.
    EXPECT_EQ(Main().ListItems->index(1, 0).data(Qt::ToolTipRole).toString(),
              ui::PlainToolTip("B"));
    EXPECT_EQ(Main().ListItems->index(0, 4).data(Qt::ToolTipRole).toString(),
              ui::PlainToolTip("1"));
}
