// The editing commands as a user drives them: tool buttons, context menu items, keys and the
// two entry dialogs, with the item models checked by Qt's tester throughout.

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include "ui/EditFixture.h"
#include "ui/tools/BmKensaku.h"
#include "ui/dialogs/BmURLEdit.h"
#include "ui/dialogs/Folder.h"
#include "support/TableSurgery.h"

using namespace pernard;
using namespace pernard::testing;

TEST_F(EditCommandsTest, NewFolderLandsAfterTheShownNodeOrAsFirstChild) {
    AnswerFolder("N");
    Expand(0);
    Expand(1);
    Select(1);  // expanded folder: the new folder becomes its first child
    Main().Item("N1")->trigger();
    EXPECT_EQ(Names(), "Root A N a1 a2 B B1 b u w ");
    EXPECT_EQ(Model().gloya[2], 1);
    EXPECT_TRUE(Model().glChanged);
    // The list of the selected folder shows the new entry; the folder stays expanded.
    EXPECT_EQ(ListNames(), (QStringList{"N", "a1", "a2"}));
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(1)));

    Select(5);  // collapsed folder B: the new folder follows it, after all it holds
    Main().Item("N1")->trigger();
    EXPECT_EQ(Names(), "Root A N a1 a2 B B1 b N u w ");
    EXPECT_EQ(Model().gloya[8], 0);

    // The last node shown has nothing after it: the new folder follows it in its folder.
    answerDialog = nullptr;
    AnswerFolder("Z");
    Select(Model().glCT - 1);
    Main().Item("N1")->trigger();
    EXPECT_EQ(Names(), "Root A N a1 a2 B B1 b N u w Z ");
    EXPECT_EQ(Model().gloya[11], 0);
}

TEST_F(EditCommandsTest, NewUrlTakesTheDialogFieldsAndNeverBecomesTopLevel) {
    dialogs.nextFile = path;
    Main().NetScape1Click();  // a second root follows the first
    Expand(0);
    answerDialog = [](QDialog& dialog) {
        auto& url = static_cast<ui::TFormURL&>(dialog);
        url.EditTitle->setText("new");
        url.EditURL->setText("http://new/");
        url.Button1Click();
    };
    Select(8);  // w, the last node of the first root: a root is shown after it
    Main().Item("N2")->trigger();
    EXPECT_EQ(Model().glName[9], "new");
    EXPECT_EQ(Model().gloya[9], 0);
    EXPECT_EQ(Model().gloya[10], -1);
    // The added date is today's, in a form that reads back.
    EXPECT_FALSE(Model().glAdd[9].empty());
    EXPECT_EQ(UrlDialog().EditAdd->text().size(), 10);

    // "---" would make a folder of it: the dialog stays open and says why.
    answerDialog = [](QDialog& dialog) {
        auto& url = static_cast<ui::TFormURL&>(dialog);
        url.EditURL->setText("---");
        url.Button1Click();
    };
    Select(7);
    Main().Item("N2")->trigger();
    EXPECT_EQ(prompts.messages.back(), "ＵＲＬに「---」は指定できません");
    EXPECT_EQ(Model().glCT, 19);
}

TEST_F(EditCommandsTest, EditKeepsUntouchedDatesAndRestoresThePasteBox) {
    UrlDialog().CheckBuffer->setChecked(true);
    QApplication::clipboard()->setText("http://clipboard/");
    answerDialog = [](QDialog& dialog) {
        auto& url = static_cast<ui::TFormURL&>(dialog);
        EXPECT_FALSE(url.CheckBuffer->isChecked());  // editing never takes the clipboard
        EXPECT_EQ(url.EditURL->text(), "http://a1/");
        // Dates as a new URL's: four-digit years.
        EXPECT_EQ(url.EditAdd->text(), "2020/09/13");
        url.EditTitle->setText("renamed");
        url.Button1Click();
    };
    Select(2);
    Main().BtHenshuuClick();
    EXPECT_EQ(Model().glName[2], "renamed");
    EXPECT_EQ(Model().glNode[2]->Text(), "renamed");
    EXPECT_EQ(Model().glVisit[2], "1600003723");  // the time of day survives
    EXPECT_EQ(Model().glAdd[2], "1600000000");
    EXPECT_TRUE(UrlDialog().CheckBuffer->isChecked());
    EXPECT_EQ(Main().ListItems->Row(0).texts[0], "renamed");

    // A changed date is stored as that day.
    answerDialog = [](QDialog& dialog) {
        static_cast<ui::TFormURL&>(dialog).EditLast->setText("2020/01/02");
        static_cast<ui::TFormURL&>(dialog).Button1Click();
    };
    Main().BtHenshuuClick();
    EXPECT_EQ(Model().glLast[2], "1577890800");
}

TEST_F(EditCommandsTest, FolderAndRootEditUseTheirOwnLabels) {
    answerDialog = [](QDialog& dialog) {
        auto& folder = static_cast<ui::TFormFolder&>(dialog);
        EXPECT_EQ(folder.windowTitle(), "Netscape Navigator");
        EXPECT_EQ(folder.LabelFolder->text(), "識別名");
        EXPECT_EQ(folder.LabelURL->text(), "ファイル名");
        folder.EditFolder->setText("My root");
        folder.Button1Click();
    };
    Select(0);
    Main().BtHenshuuClick();
    EXPECT_EQ(Model().glName[0], "My root");

    answerDialog = [](QDialog& dialog) {
        auto& folder = static_cast<ui::TFormFolder&>(dialog);
        EXPECT_EQ(folder.windowTitle(), "フォルダー");
        EXPECT_EQ(folder.LabelURL->text(), "保存ＵＲＬ");
        folder.EditSaveURL->setText("<b>");
        folder.Button1Click();  // refused: it would break the file
        EXPECT_TRUE(folder.isVisible());
        folder.EditSaveURL->setText("Link.html");
        folder.Button1Click();
    };
    Select(1);
    Main().BtHenshuuClick();
    EXPECT_EQ(prompts.messages.back(), "保存ＵＲＬに「<」や改行は指定できません");
    EXPECT_EQ(Model().glVisit[1], "Link.html");
}

TEST_F(EditCommandsTest, DialogKeys) {
    // Esc has no binding in the URL dialog; in the folder dialog only in the name field.
    UrlDialog().show();
    QTest::keyClick(UrlDialog().EditURL, Qt::Key_Escape);
    EXPECT_TRUE(UrlDialog().isVisible());
    UrlDialog().reject();
    ui::TFormFolder& folder = *app->FormFolder;
    folder.show();
    folder.activateWindow();
    folder.EditSaveURL->setFocus();
    QTest::keyClick(folder.EditSaveURL, Qt::Key_Escape);
    EXPECT_TRUE(folder.isVisible());
    folder.EditFolder->setFocus();
    QTest::keyClick(folder.EditFolder, Qt::Key_Escape);
    EXPECT_FALSE(folder.isVisible());
    EXPECT_EQ(ui::TFormURL::AddressFromClipboard("  http://x/\t\x01y \r\nsecond line"),
              "http://x/y");
}

TEST_F(EditCommandsTest, DeleteAsksForFoldersAndRootsWithContents) {
    Select(4);
    prompts.nextAnswer = Answer::Cancel;
    QTest::keyClick(Main().TreeV, Qt::Key_Delete);
    EXPECT_EQ(prompts.questions.back(), "フォルダーを削除すると、下層のデータがすべて削除されます");
    EXPECT_EQ(Model().glCT, 9);
    EXPECT_FALSE(Model().glChanged);

    prompts.nextAnswer = Answer::Yes;
    QTest::keyClick(Main().TreeV, Qt::Key_Delete);
    EXPECT_EQ(Names(), "Root A a1 a2 u w ");
    EXPECT_TRUE(Model().glChanged);
    // The selection moved on; the current entry and the list follow it, not a shifted row.
    EXPECT_EQ(Model().glIndex(),
              Model().IndexOf(ui::TreeModel::NodeOf(Main().TreeV->currentIndex())));

    // The tool button asks first, naming the entry.
    Select(4);
    Main().BtSakujoClick();
    EXPECT_EQ(prompts.questions.back(), "u (http://u/) を削除します");
    EXPECT_EQ(Names(), "Root A a1 a2 w ");

    // A root with contents is a whole file: it gets the folder question too.
    Select(0);
    prompts.nextAnswer = Answer::Cancel;
    Main().Delete1Click();
    EXPECT_EQ(prompts.questions.back(), "フォルダーを削除すると、下層のデータがすべて削除されます");
    EXPECT_EQ(Model().glCT, 5);
}

TEST_F(EditCommandsTest, ListDeleteSelectsTheRowAbove) {
    Select(1);
    Main().LView->setCurrentIndex(Main().ListItems->index(1, 0));
    Main().LViewClick(Main().ListItems->index(1, 0));
    QTest::keyClick(Main().LView, Qt::Key_Delete);
    EXPECT_EQ(ListNames(), (QStringList{"a1"}));
    EXPECT_EQ(Main().LView->currentIndex().row(), 0);
    EXPECT_EQ(Model().glIndex(), 2);
}

TEST_F(EditCommandsTest, MoveButtonsFollowTheRuleAndTheMovedEntryStaysSelected) {
    Select(8);  // w: the last URL
    EXPECT_TRUE(Main().BtUp->isEnabled());
    EXPECT_FALSE(Main().BtDown->isEnabled());
    Main().BtUpClick();
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b w u ");
    EXPECT_EQ(Model().glIndex(), 7);
    EXPECT_EQ(Model().glName[static_cast<std::size_t>(Model().glIndex())], "w");

    Select(4);  // B after A: the two folders swap
    Main().BtUpClick();
    EXPECT_EQ(Names(), "Root B B1 b A a1 a2 w u ");
    EXPECT_EQ(Model().glName[static_cast<std::size_t>(Model().glIndex())], "B");
    EXPECT_FALSE(Main().BtUp->isEnabled());  // now the first entry of its folder
    Main().BtDownClick();
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b w u ");
    EXPECT_EQ(Model().glName[static_cast<std::size_t>(Model().glIndex())], "B");

    // The model checks the neighbours itself: the first entry does not move up.
    Select(1);
    EXPECT_FALSE(Main().BtUp->isEnabled());
    Main().BtUpClick();
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b w u ");
}

TEST_F(EditCommandsTest, CutAndPasteFollowTheirNodesThroughOtherEdits) {
    Select(2);  // a1
    Main().BtCutClick();
    EXPECT_EQ(Main().Panel(1), "切取り開始 :   a1");
    EXPECT_TRUE(Main().BtStop->isEnabled());
    // While it is pending the list stays as it was.
    Select(4);
    EXPECT_EQ(Main().Panel(1), "コピー 又は 切取り  作業中");
    EXPECT_EQ(ListNames(), (QStringList{"a1"}));
    // An edit before the source shifts it; the paste still takes a1.
    Select(1);
    prompts.nextAnswer = Answer::Yes;
    Main().Delete1Click();  // A goes, and a1 with it: the cut has nothing left
    EXPECT_FALSE(Main().BtStop->isEnabled());
    EXPECT_EQ(Model().ClipIndex(), -1);

    Select(Model().IndexOf(Model().Tree().NodeAt(3)));  // b
    Main().BtCopyClick();
    Select(0);
    Main().BtUpClick();        // moves nothing
    Select(Model().glCT - 1);  // w
    Main().BtPasteClick();
    EXPECT_EQ(Names(), "Root B B1 b u w b ");
    EXPECT_EQ(Model().glIndex(), 6);  // the pasted entry is selected
    EXPECT_FALSE(Main().BtStop->isEnabled());
    EXPECT_TRUE(Model().glChanged);

    // Nothing pending: paste says so.
    Main().BtPasteClick();
    EXPECT_EQ(prompts.messages.back(), "URL が選択されていません");
}

TEST_F(EditCommandsTest, AFolderIsNeverPastedIntoItself) {
    Select(4);
    Main().BtCutClick();
    Select(5);
    Main().BtPasteClick();
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b u w ");
    EXPECT_TRUE(Main().BtStop->isEnabled());  // still pending: it can go elsewhere
    Main().BtStopClick();
    EXPECT_EQ(Main().Panel(1), "中止しました");
    EXPECT_FALSE(Main().BtPaste->isEnabled());
}

TEST_F(EditCommandsTest, TheListFormOfCutAndCopy) {
    Main().LView->setCurrentIndex(QModelIndex());
    Main().Copy1Click();
    EXPECT_EQ(Main().Panel(1), "Error ");
    Select(1);
    Main().LView->setCurrentIndex(Main().ListItems->index(1, 0));
    Main().Cut1Click();
    EXPECT_EQ(Main().Panel(1), "切取り開始 :   a2");
    Select(7);
    Main().BtPasteClick();
    EXPECT_EQ(Names(), "Root A a1 B B1 b u a2 w ");
}

TEST_F(EditCommandsTest, CapacityRefusesWithTheMaxMessage) {
    TableSurgery::SetCapacity(Model(), Model().glCT);
    Select(2);
    Main().BtCopyClick();
    Main().BtPasteClick();
    EXPECT_EQ(prompts.messages.back(), "URL MAX !!  設定のMAX値を修正して下さい");
    EXPECT_EQ(Model().glCT, 9);
}

TEST_F(EditCommandsTest, RemovingEmptyFoldersMarksTheCollectionChanged) {
    Expand(0);
    Expand(1);
    Model().DeleteNode(Model().glNode[6], false);          // B1, and so B, hold nothing now
    Model().NewFolder(Model().glNode[6], "empty", false);  // after u
    TableSurgery::SetChanged(Model(), false);
    Select(8);  // w
    Main().D1Click();
    EXPECT_EQ(Names(), "Root A a1 a2 u w ");
    EXPECT_TRUE(Model().glChanged);
    EXPECT_EQ(Model().glName[static_cast<std::size_t>(Model().glIndex())], "w");
    // Two folders went in one step; the folders the user had open are still open.
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(0)));
    EXPECT_TRUE(Main().TreeV->isExpanded(IndexOf(1)));
}

TEST_F(EditCommandsTest, TheFolderButtonFollowsTheCurrentEntry) {
    Select(2);
    EXPECT_FALSE(Main().BtFolder->isEnabled());
    Select(1);
    EXPECT_TRUE(Main().BtFolder->isEnabled());
}

TEST_F(EditCommandsTest, AFailedSaveKeepsTheWindowOpen) {
    Select(2);
    TableSurgery::SetChanged(Model(), true);
    // The root's file is replaced by a directory: the save cannot succeed.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    prompts.nextAnswer = Answer::Yes;
    EXPECT_FALSE(Main().FormCloseQuery());
    EXPECT_TRUE(Model().glChanged);
}

TEST_F(EditCommandsTest, NewUrlFromAListRowOfACollapsedFolderLandsRightAfterIt) {
    answerDialog = [](QDialog& dialog) {
        auto& url = static_cast<ui::TFormURL&>(dialog);
        url.EditTitle->setText("typed");
        url.EditURL->setText("http://typed/");
        url.Button1Click();
    };
    Select(1);  // folder A, collapsed: the list shows a1 and a2
    ASSERT_FALSE(Main().TreeV->isExpanded(IndexOf(1)));
    Main().LView->setCurrentIndex(Main().ListItems->index(0, 0));
    Main().LViewClick(Main().ListItems->index(0, 0));
    Main().Item("N8")->trigger();  // the list's 新規作成 › ＵＲＬ
    EXPECT_EQ(Names(), "Root A a1 typed a2 B B1 b u w ");
    EXPECT_EQ(Model().gloya[3], 1);
}

TEST_F(EditCommandsTest, OpeningABookmarkChangesOnlyItsRow) {
    Select(0);
    Main().BtFolderClick();  // 展開: every bookmark below the root
    const QStringList expanded = ListNames();
    ASSERT_GT(expanded.size(), 3);
    const int row = static_cast<int>(expanded.indexOf("b"));
    ASSERT_GE(row, 0);
    const QModelIndex index = Main().ListItems->index(row, 0);
    Main().LView->setCurrentIndex(index);
    Main().LViewClick(index);
    const QString panel1 = Main().Panel(1);
    Main().LViewDblClick(index);
    ASSERT_EQ(browser.opened.size(), 1u);
    // The visit is stamped and shown in the row; the list, its selection and panel 1 stay.
    EXPECT_EQ(ListNames(), expanded);
    EXPECT_EQ(Main().LView->currentIndex().row(), row);
    EXPECT_EQ(Main().Panel(1), panel1);
    const int entry = Main().ListItems->EntryIndex(row);
    EXPECT_FALSE(Model().glVisit[entry].empty());
}

TEST_F(EditCommandsTest, ACompleteLoadEndsAPendingCutOrCopy) {
    Select(2);
    Main().BtCopyClick();
    ASSERT_TRUE(Main().BtPaste->isEnabled());
    dialogs.nextFile = path;
    Main().NetScapeB1Click();
    EXPECT_FALSE(Main().BtPaste->isEnabled());
    EXPECT_FALSE(Main().BtStop->isEnabled());
    EXPECT_NE(Main().Panel(1), "コピー 又は 切取り  作業中");
    EXPECT_EQ(Model().ClipIndex(), -1);
    // The list shows the new collection's first folder.
    Select(1);
    EXPECT_EQ(ListNames(), (QStringList{"a1", "a2"}));
}

TEST_F(EditCommandsTest, DeleteInAnExpandedListKeepsThatListAndSelectsTheRowAbove) {
    Select(0);
    Main().BtFolderClick();  // 展開
    QStringList expanded = ListNames();
    const int row = static_cast<int>(expanded.indexOf("a2"));
    ASSERT_GT(row, 0);
    const QString above = expanded[row - 1];
    const QModelIndex index = Main().ListItems->index(row, 0);
    Main().LView->setCurrentIndex(index);
    Main().LViewClick(index);
    prompts.nextAnswer = Answer::Yes;
    Main().Delete2Click();
    expanded.removeAt(row);
    EXPECT_EQ(ListNames(), expanded);
    ASSERT_TRUE(Main().LView->currentIndex().isValid());
    EXPECT_EQ(ListNames()[Main().LView->currentIndex().row()], above);
}

TEST_F(EditCommandsTest, KeysCopyCutPasteEditAndOpen) {
    // Ctrl+C on a tree node, Ctrl+V on another: a copy lands after it. Nothing is pasteable
    // before.
    Select(7);  // u
    EXPECT_FALSE(Main().BtPaste->isEnabled());
    QTest::keyClick(Main().TreeV, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(Main().BtPaste->isEnabled());
    Select(8);  // w
    QTest::keyClick(Main().TreeV, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b u w u ");
    // Ctrl+X on a list row, Ctrl+V onto folder B in the tree: the bookmark moves into it.
    Select(1);
    Main().LView->setCurrentIndex(Main().ListItems->index(0, 0));
    Main().LViewClick(Main().ListItems->index(0, 0));
    QTest::keyClick(Main().LView, Qt::Key_X, Qt::ControlModifier);
    Select(4);
    QTest::keyClick(Main().TreeV, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Names(), "Root A a2 B a1 B1 b u w u ");
    // Enter on a list row opens it.
    Select(1);
    Main().LView->setCurrentIndex(Main().ListItems->index(0, 0));
    Main().LViewClick(Main().ListItems->index(0, 0));
    QTest::keyClick(Main().LView, Qt::Key_Return);
    EXPECT_EQ(browser.opened.size(), 1u);
    // F2 edits the current entry; the menus show the keys.
    bool edited = false;
    answerDialog = [&edited](QDialog& dialog) {
        edited = true;
        dialog.reject();
    };
    QTest::keyClick(Main().LView, Qt::Key_F2);
    EXPECT_TRUE(edited);
    EXPECT_EQ(Main().Item("Copy1")->shortcut(), QKeySequence(QKeySequence::Copy));
    EXPECT_EQ(Main().Item("Edit2")->shortcut(), QKeySequence(Qt::Key_F2));
}

TEST_F(EditCommandsTest, CutWithoutACurrentEntrySaysError) {
    Model().SetCurrent(-1);
    Main().BtCutClick();
    EXPECT_EQ(Main().Panel(1), "Error ");
    EXPECT_EQ(Model().ClipIndex(), -1);
}

TEST_F(EditCommandsTest, ANewFolderAfterTheLastNodeOfARootStaysInItAndIsSavedAtClose) {
    // A second root follows the first one's last node, w.
    dialogs.nextFile = temp.Write("second.htm", "<TITLE>Second</TITLE>\n<DL><p>\n</DL><p>\n");
    Main().NetScape1Click();
    Expand(0);
    AnswerFolder("New");
    Select(8);
    Main().Item("N1")->trigger();
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b u w New Second ");
    EXPECT_EQ(Model().gloya[9], 0);
    EXPECT_EQ(Model().ChangedRoots(), std::vector<int>{0});
    prompts.nextAnswer = Answer::Yes;
    EXPECT_TRUE(Main().FormCloseQuery());
    EXPECT_NE(ReadBytes(path).find(">New</H3>"), std::string::npos);
}

TEST_F(EditCommandsTest, EveryCommandActsOnTheEntryShownHighlighted) {
    Main().resize(700, 500);
    QApplication::processEvents();
    auto click = [](QTreeView* view, const QModelIndex& index) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    };
    auto listRow = [this](int row) { return Main().ListItems->index(row, 0); };
    // What the user sees highlighted: a row of the list, else the tree's selection.
    auto highlighted = [this]() -> std::string {
        const QModelIndexList rows = Main().LView->selectionModel()->selectedRows();
        const int entry = rows.isEmpty()
                              ? Model().IndexOf(ui::TreeModel::NodeOf(Main().TreeV->currentIndex()))
                              : Main().ListItems->EntryIndex(rows.front().row());
        return entry < 0 ? "" : std::string(Model().glName[entry]);
    };
    // Each way of moving the highlight leaves the keys with a view; panel 1 follows.
    struct Way {
        const char* label;
        std::function<QWidget*()> move;
        const char* entry;
        const char* panel;
    };
    const Way ways[] = {
        {"arrow keys in the list",
         [&] {
             Select(1);
             click(Main().LView, listRow(0));
             QTest::keyClick(Main().LView, Qt::Key_Down);
             return Main().LView;
         },
         "a2", "http://a2/"},
        {"arrow keys back up",
         [&] {
             Select(0);  // A, B, u, w
             click(Main().LView, listRow(3));
             QTest::keyClick(Main().LView, Qt::Key_Up);
             QTest::keyClick(Main().LView, Qt::Key_Up);
             return Main().LView;
         },
         "B", ""},
        {"a click on the selected folder while a list row is highlighted",
         [&] {
             Select(1);
             click(Main().LView, listRow(1));
             click(Main().TreeV, IndexOf(1));
             return Main().TreeV;
         },
         "A", ""},
        {"Tab into the tree while a list row is highlighted",
         [&] {
             Select(1);
             click(Main().LView, listRow(1));
             QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
             QApplication::sendEvent(Main().TreeV, &tab);
             return Main().TreeV;
         },
         "A", ""},
        {"a search hit",
         [&] {
             Select(4);
             app->FormKensaku->EditKeyword->setText("a2");
             app->FormKensaku->Button1Click();
             app->FormKensaku->ListKekkaClick(app->FormKensaku->Results->index(0, 0));
             return Main().LView;
         },
         "a2", "http://a2/"},
    };
    // Each command says which entry it acted on, and leaves the collection as it was.
    struct Command {
        const char* label;
        std::function<std::string(QWidget* keys)> actOn;
    };
    std::string edited;
    answerDialog = [&edited](QDialog& dialog) {
        if (auto* url = qobject_cast<ui::TFormURL*>(&dialog)) {
            edited = url->EditTitle->text().toStdString();
        }
        if (auto* folder = qobject_cast<ui::TFormFolder*>(&dialog)) {
            edited = folder->EditFolder->text().toStdString();
        }
        dialog.reject();
    };
    const Command commands[] = {
        {"F2",
         [&](QWidget* keys) {
             QTest::keyClick(keys, Qt::Key_F2);
             return edited;
         }},
        {"編集",
         [&](QWidget*) {
             Main().BtHenshuu->click();
             return edited;
         }},
        {"削除",
         [&](QWidget*) {
             prompts.nextAnswer = Answer::Cancel;
             Main().BtSakujo->click();
             const std::string question = prompts.questions.back();
             return question.substr(0, question.find(" ("));
         }},
        {"Ctrl+C",
         [&](QWidget* keys) {
             QTest::keyClick(keys, Qt::Key_C, Qt::ControlModifier);
             const int clip = Model().ClipIndex();
             Main().BtStopClick();
             return clip < 0 ? std::string() : std::string(Model().glName[clip]);
         }},
    };
    const std::string names = Names();
    for (const Way& way : ways) {
        for (const Command& command : commands) {
            edited.clear();
            QWidget* keys = way.move();
            EXPECT_EQ(highlighted(), way.entry) << way.label;
            EXPECT_EQ(Main().Panel(1), way.panel) << way.label;
            EXPECT_EQ(command.actOn(keys), way.entry) << way.label << ", then " << command.label;
        }
    }
    EXPECT_EQ(Names(), names);
}
