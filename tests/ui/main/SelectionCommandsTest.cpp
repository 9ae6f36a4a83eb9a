// Many rows of the list at once: selecting them with the pointer and the keys as a user does,
// and each command on a selection as one step of undo.

#include <QSignalSpy>
#include <QTest>

#include "model/EntryExtras.h"
#include "model/Tags.h"
#include "support/TestFiles.h"
#include "ui/EditFixture.h"
#include "ui/dialogs/TagDialogs.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

// 0 Root; 1 A { 2 a1, 3 a2 }; 4 B { 5 B1 { 6 b } }; 7 u; 8 w
class SelectionCommandsTest : public EditCommandsTest {
protected:
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QRect rect = Main().LView->visualRect(Main().ListItems->index(row, 0));
        QTest::mouseClick(Main().LView->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Main().LView, static_cast<Qt::Key>(key), modifiers);
    }
    // Highlights the list rows of these entries.
    void Highlight(std::initializer_list<int> entries) {
        std::vector<NodeRef> refs;
        for (int entry : entries) refs.push_back(Model().RefOf(entry));
        Main().Pane().SelectEntries(refs);
    }
    int Count() { return Main().Pane().SelectionCount(); }
    std::string Current() { return std::string(Model().glName[Model().glIndex()]); }
    QString Panel1() { return Main().Panel(1); }
};

}  // namespace

TEST_F(SelectionCommandsTest, RowsAreSelectedWithThePointerAndTheKeysAndTheToolBarFollowsThem) {
    Select(0);  // A B u w
    Main().LView->setFocus();
    ClickRow(0);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Current(), "A");
    // One highlighted row moves as a block of one, and stays highlighted where it lands.
    ASSERT_TRUE(Main().BtDown->isEnabled());
    Main().BtDown->click();
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Main().LView->currentIndex().row(), 1);
    EXPECT_EQ(Current(), "A");
    Main().UndoClick();
    ClickRow(0);

    ClickRow(2, Qt::ControlModifier);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Current(), "u");
    EXPECT_EQ(Panel1(), "2 件を選択中");
    EXPECT_TRUE(Main().BtUp->isEnabled());
    EXPECT_TRUE(Main().BtDown->isEnabled());

    // Ctrl+click takes the highlight from the focus row: the current entry is one highlighted.
    ClickRow(2, Qt::ControlModifier);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Current(), "A");

    ClickRow(0);
    ClickRow(2, Qt::ShiftModifier);
    EXPECT_EQ(Count(), 3);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(Panel1(), "4 件を選択中");

    ClickRow(1);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Current(), "B");
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Count(), 4);

    // The tree takes the current entry back, and the list no longer highlights anything.
    Select(4);
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(Current(), "B");
}

TEST_F(SelectionCommandsTest, EachCommandOnASelectionIsOneStep) {
    const std::string loaded = Names();
    Select(0);

    // 削除: one question naming the count; the list stays on the folder it showed.
    Highlight({7, 8});
    Main().BtSakujoClick();
    EXPECT_EQ(prompts.questions.back(), "選択した 2 件を削除します");
    EXPECT_EQ(Names(), "Root A a1 a2 B B1 b ");
    EXPECT_EQ(ListNames(), (QStringList{"A", "B"}));
    EXPECT_EQ(Model().UndoName(), "削除");
    Main().UndoClick();
    EXPECT_EQ(Names(), loaded);
    // Redone, the window shows what it showed right after the delete: the row above.
    Main().RedoClick();
    EXPECT_EQ(ListNames(), (QStringList{"A", "B"}));
    EXPECT_EQ(Main().LView->currentIndex().row(), 1);
    EXPECT_EQ(Model().glIndex(), 4);
    Main().UndoClick();
    EXPECT_EQ(Names(), loaded);

    // A list that shows everything below its folder stays so through a block move and a
    // delete, and the undo of the delete shows it so again.
    Select(0);
    Main().BtFolderClick();
    const QStringList expanded = ListNames();
    ASSERT_EQ(expanded.size(), 8);
    Highlight({7, 8});
    Main().BtUpClick();
    EXPECT_EQ(ListNames().size(), 8);
    Main().UndoClick();
    EXPECT_EQ(Names(), loaded);
    // The question counts what goes: a1 is inside A and goes with it, counted once, and so
    // does a2, which is not highlighted.
    Highlight({1, 2, 7});
    prompts.questions.clear();
    Main().BtSakujoClick();
    EXPECT_EQ(prompts.questions.front(),
              "選択した 3 件を削除します（フォルダーの中身を含めて 4 件）");
    EXPECT_EQ(Panel1(), "削除 : 4 件");
    EXPECT_EQ(ListNames().size(), 4);
    Main().UndoClick();
    EXPECT_EQ(Names(), loaded);
    EXPECT_EQ(ListNames(), expanded);
    // Every row of the expanded list: the status bar, the question and the delete agree.
    Main().LView->setFocus();
    ClickRow(3);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Panel1(), "8 件を選択中");
    prompts.questions.clear();
    Key(Qt::Key_Delete);
    EXPECT_EQ(prompts.questions.front(), "選択した 8 件を削除します");
    EXPECT_EQ(Names(), "Root ");
    EXPECT_EQ(Panel1(), "削除 : 8 件");
    Main().UndoClick();
    EXPECT_EQ(Names(), loaded);
    EXPECT_EQ(Count(), 8);  // every restored row highlighted again, the focus where it was
    EXPECT_EQ(Main().LView->currentIndex().row(), 3);

    // A folder with contents gets the folder question too; cancelled, nothing goes.
    Highlight({1, 7});
    prompts.answers = {Answer::Yes, Answer::Cancel};
    Main().Delete2Click();
    EXPECT_EQ(prompts.questions.back(), "フォルダーを削除すると、下層のデータがすべて削除されます");
    EXPECT_EQ(Names(), loaded);

    // Cut, then paste into a folder: the whole selection, as its first entries.
    Highlight({1, 8});
    Main().BtCutClick();
    EXPECT_TRUE(Main().ClipPending());
    Select(5);
    Main().BtPasteClick();
    EXPECT_EQ(Names(), "Root B B1 A a1 a2 w b u ");
    EXPECT_EQ(Model().UndoName(), "貼付け");
    // The folder they went into is shown, every pasted row highlighted.
    EXPECT_EQ(ui::TreeModel::NodeOf(Main().TreeV->currentIndex()), Model().Tree().NodeAt(2));
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Main().Pane().Selection(),
              (std::vector<NodeRef>{Model().RefOf(3), Model().RefOf(6)}));
    EXPECT_EQ(Main().focusWidget(), Main().LView);  // Delete then takes the pasted rows
    Main().UndoClick();
    EXPECT_EQ(Names(), loaded);

    // Copy, then paste after a bookmark.
    Select(0);
    Highlight({7, 8});
    Main().Copy1Click();
    Select(2);  // the list stays as it was while a cut or copy is pending: a1 in the tree
    Main().BtPasteClick();
    EXPECT_EQ(Names(), "Root A a1 u w a2 B B1 b u w ");
    Main().UndoClick();
    EXPECT_EQ(Names(), loaded);

    // 移動(上)/(下) of a block: it passes the row above, stays highlighted, and comes back.
    Select(0);
    Highlight({4, 7});
    Main().BtUpClick();
    EXPECT_EQ(Names(), "Root B B1 b u A a1 a2 w ");
    EXPECT_EQ(ListNames(), (QStringList{"B", "u", "A", "w"}));
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Model().UndoName(), "移動(上)");
    Main().BtDownClick();
    EXPECT_EQ(Names(), loaded);
    Main().UndoClick();
    Main().UndoClick();
    EXPECT_EQ(Names(), loaded);
    EXPECT_FALSE(Model().CanUndo());

    // Drag and drop of the highlighted rows onto a tree folder; Ctrl copies.
    Select(0);
    Highlight({7, 8});
    const QModelIndexList rows{Main().ListItems->index(2, 0), Main().ListItems->index(3, 0)};
    std::unique_ptr<QMimeData> drag(Main().ListItems->mimeData(rows));
    const QModelIndex folder = IndexOf(1);
    ASSERT_TRUE(Main().TreeItems->dropMimeData(drag.get(), Qt::MoveAction, -1, -1, folder));
    EXPECT_EQ(Names(), "Root A u w a1 a2 B B1 b ");
    EXPECT_EQ(Model().UndoName(), "移動");
    Main().UndoClick();
    Select(0);
    Highlight({7, 8});
    drag.reset(Main().ListItems->mimeData(rows));
    ASSERT_TRUE(Main().TreeItems->dropMimeData(drag.get(), Qt::CopyAction, -1, -1, IndexOf(4)));
    EXPECT_EQ(Names(), "Root A a1 a2 B u w B1 b u w ");
    EXPECT_EQ(Model().UndoName(), "コピー");

    // Opening: every highlighted bookmark, folders passed over, without a question for two.
    Select(0);
    Highlight({1, 9, 10});
    Main().BtBrowserClick();
    EXPECT_EQ(browser.opened, (std::vector<QString>{"http://u/", "http://w/"}));
}

TEST_F(SelectionCommandsTest, OpeningMoreThanTenPagesAsksFirst) {
    std::string file = "<TITLE>Root</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 12; ++k) {
        file +=
            "<DT><A HREF=\"http://p" + std::to_string(k) + "/\">p" + std::to_string(k) + "</A>\n";
    }
    treeTester.reset();
    listTester.reset();
    app.reset();
    Start(ui::StartupOverride{SourceKind::BookmarkFile, temp.Write("many.htm", file + "</DL>\n")});
    Main().show();
    Select(0);
    Main().LView->setFocus();
    ClickRow(0);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Main().Panel(1), "12 件を選択中");
    prompts.answers = {Answer::Cancel};
    Key(Qt::Key_Return);
    EXPECT_EQ(prompts.questions.back(), "12 件のページをブラウザで開きます。よろしいですか？");
    EXPECT_EQ(prompts.buttons.back(), Buttons::YesNoDefaultNo);
    EXPECT_TRUE(browser.opened.empty());
    Key(Qt::Key_Return);
    EXPECT_EQ(browser.opened.size(), 12u);
}

TEST_F(SelectionCommandsTest, TagRemovalTakesOutExactlyTheTagsTicked) {
    // Two bookmarks' TAGS, the tags offered for them, the one ticked, and what each keeps.
    struct Case {
        std::string first, second;
        QStringList offered;
        int ticked;
        std::string firstAfter, secondAfter;
    };
    const Case cases[] = {
        // A full-width comma is part of a tag: only that tag goes.
        {"a，b,a,b", "a", {"a （2 件）", "a，b （1 件）", "b （1 件）"}, 1, "a|b", "a"},
        // Blanks around a tag are part of it as held.
        {"　wide,keep", "keep", {"keep （2 件）", "　wide （1 件）"}, 1, "keep", "keep"},
        // A bookmark that holds a tag twice counts once.
        {"foo,foo", "foo", {"foo （2 件）"}, 0, "", ""},
        // Bytes that are no UTF-8 are taken out as the file held them.
        {"bad\xFF,ok", "", {"bad\uFFFD （1 件）", "ok （1 件）"}, 0, "ok", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        const auto tagged = [](const std::string& tags, const char* name) {
            return "<DT><A HREF=\"http://" + std::string(name) + "/\"" +
                   (tags.empty() ? "" : " TAGS=\"" + tags + "\"") + ">" + name + "</A>\n";
        };
        treeTester.reset();
        listTester.reset();
        app.reset();
        Start(ui::StartupOverride{
            SourceKind::BookmarkFile,
            temp.Write("tags.htm", "<META CHARSET=\"UTF-8\"><TITLE>Root</TITLE>\n<DL><p>\n" +
                                       tagged(c.first, "x") + tagged(c.second, "y") + "</DL>\n")});
        Select(0);
        Highlight({1, 2});
        QStringList offered;
        answerDialog = [&](QDialog& dialog) {
            auto& input = static_cast<ui::TFormTagInput&>(dialog);
            for (int row = 0; row < input.ListTags->count(); ++row) {
                offered << input.ListTags->item(row)->text();
            }
            input.ListTags->item(c.ticked)->setCheckState(Qt::Checked);
            input.ButtonOk->click();
        };
        Main().RemoveTagsClick();
        EXPECT_EQ(offered, c.offered);
        const auto kept = [this](int entry) {
            std::string joined;
            for (const std::string& tag :
                 TagList(UnpackExtras(Model().ExtrasOf(entry)).attributes)) {
                joined += (joined.empty() ? "" : "|") + tag;
            }
            return joined;
        };
        EXPECT_EQ(kept(1), c.firstAfter);
        EXPECT_EQ(kept(2), c.secondAfter);
    }
}

TEST_F(SelectionCommandsTest, TagsAndDescriptionsAreEditedSavedAndUndone) {
    // One bookmark's tags and description in their dialog; a folder has a description only.
    answerDialog = [](QDialog& dialog) {
        auto& notes = static_cast<ui::TFormNotes&>(dialog);
        EXPECT_TRUE(notes.EditTags->isEnabled());
        EXPECT_EQ(notes.LabelEntry->text(), "a1");
        notes.EditTags->setText("仕事, news");
        notes.MemoDescription->setPlainText("a < b\n\nsecond");
        notes.ButtonOk->click();
    };
    Select(2);
    Main().Item("miEditNotes")->trigger();
    EXPECT_EQ(NotesText(Model().ExtrasOf(2)), "a < b\nsecond\nタグ: 仕事,news");
    EXPECT_EQ(Model().UndoName(), "編集");
    answerDialog = [](QDialog& dialog) {
        auto& notes = static_cast<ui::TFormNotes&>(dialog);
        EXPECT_FALSE(notes.EditTags->isEnabled());
        notes.MemoDescription->setPlainText("folder notes");
        notes.ButtonOk->click();
    };
    Select(1);
    Main().NotesClick();
    EXPECT_EQ(NotesText(Model().ExtrasOf(1)), "folder notes");

    // A tag added to every highlighted bookmark at once, the folder passed over: one step.
    Select(0);  // A B u w
    Highlight({1, 7, 8});
    answerDialog = [](QDialog& dialog) {
        auto& input = static_cast<ui::TFormTagInput&>(dialog);
        EXPECT_EQ(input.windowTitle(), "タグを追加");
        EXPECT_TRUE(input.LabelPrompt->text().contains("2 件"));
        input.EditTags->setText("later");
        input.ButtonOk->click();
    };
    Main().Item("PLViewAddTags")->trigger();
    EXPECT_EQ(NotesText(Model().ExtrasOf(7)), "タグ: later");
    EXPECT_EQ(NotesText(Model().ExtrasOf(8)), "タグ: later");
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Panel1(), "タグを追加 : 2 件");
    EXPECT_EQ(Main().ListItems->Row(2).notes, "タグ: later");

    // Saved as the file's TAGS and <DD> (in the file's Shift_JIS).
    Main().miFileSaveClick();
    const std::string saved = ReadBytes(path);
    EXPECT_NE(saved.find(",news\">a1</A>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<DD>a &lt; b\r\nsecond\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<DD>folder notes"), std::string::npos) << saved;
    EXPECT_NE(saved.find(" TAGS=\"later\">u</A>"), std::string::npos) << saved;

    // Removed again, ticked among the tags the highlighted bookmarks carry, and the removal
    // undone as one step.
    answerDialog = [](QDialog& dialog) {
        auto& input = static_cast<ui::TFormTagInput&>(dialog);
        ASSERT_EQ(input.ListTags->count(), 1);
        EXPECT_EQ(input.ListTags->item(0)->text(), "later （2 件）");
        input.ListTags->item(0)->setCheckState(Qt::Checked);
        input.ButtonOk->click();
    };
    Main().RemoveTagsClick();
    EXPECT_EQ(Model().ExtrasOf(7), "");
    Main().UndoClick();
    EXPECT_EQ(NotesText(Model().ExtrasOf(7)), "タグ: later");
    EXPECT_EQ(NotesText(Model().ExtrasOf(8)), "タグ: later");
    EXPECT_FALSE(Model().glChanged);
}

TEST_F(SelectionCommandsTest, AnEditFillsTheListOnlyWhenItTouchedWhatTheListShows) {
    // Each case starts from the list of Root (A B u w); `fills`: how often the list was set
    // anew (a reset of its model), `removed`: rows dropped without a fill.
    struct Case {
        const char* name;
        std::function<void()> edit;
        int fills;
        int removed;
        QStringList listed;
    };
    const auto editUrl = [this](int entry, const QString& title) {
        answerDialog = [title](QDialog& dialog) {
            auto& url = static_cast<ui::TFormURL&>(dialog);
            url.EditTitle->setText(title);
            url.Button1Click();
        };
        Main().EditEntry(entry);
    };
    const Case cases[] = {
        {"a row of the list deleted",
         [this] { Highlight({7}), Main().Delete2Click(); },
         0,
         1,
         {"A", "B", "w"}},
        {"many rows deleted",
         [this] {
             Highlight({7, 8}), Main().BtSakujoClick();
         },
         0,
         1,
         {"A", "B"}},
        {"a bookmark of another folder edited",
         [&] { editUrl(2, "a1 edited"); },
         0,
         0,
         {"A", "B", "u", "w"}},
        {"a row dragged into another folder",
         [this] {
             const QModelIndex row = Main().ListItems->index(3, 0);
             Main().LView->setCurrentIndex(row);
             Main().LViewClick(row);
             std::unique_ptr<QMimeData> drag(Main().ListItems->mimeData({row}));
             Main().TreeItems->dropMimeData(drag.get(), Qt::MoveAction, -1, -1, IndexOf(1));
         },
         0,
         1,
         {"A", "B", "u"}},
        {"rows moved up in the list",
         [this] {
             Highlight({7, 8}), Main().BtUpClick();
         },
         1,
         0,
         {"A", "u", "w", "B"}},
        {"a delete undone",
         [this] {
             Highlight({7});
             Main().Delete2Click();
             Main().UndoClick();
         },
         1,
         1,
         {"A", "B", "u", "w"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Select(0);
        ASSERT_EQ(ListNames(), (QStringList{"A", "B", "u", "w"}));
        QSignalSpy fills(Main().ListItems, &QAbstractItemModel::modelReset);
        QSignalSpy removed(Main().ListItems, &QAbstractItemModel::rowsRemoved);
        prompts.nextAnswer = Answer::Yes;
        test.edit();
        EXPECT_EQ(fills.count(), test.fills);
        EXPECT_EQ(removed.count(), test.removed);
        EXPECT_EQ(ListNames(), test.listed);
        // Back to the collection as loaded.
        while (Model().CanUndo()) Main().UndoClick();
    }
}

TEST_F(SelectionCommandsTest, AClickBelowTheRowsLeavesTheListsKeysNothingToActOn) {
    const std::string loaded = Names();
    // Each key pressed in the list after a row was clicked and then the space below the rows.
    struct Case {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* dialog;  // the entry a dialog was shown for ("": none)
    };
    const Case cases[] = {
        {"Delete", Qt::Key_Delete, Qt::NoModifier, ""},
        {"F2 edits what 編集 edits: the tree's folder", Qt::Key_F2, Qt::NoModifier, "B"},
        {"Ctrl+C", Qt::Key_C, Qt::ControlModifier, ""},
        {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, ""},
        {"Enter", Qt::Key_Return, Qt::NoModifier, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Select(4);  // B: the list shows B1
        Main().LView->setFocus();
        ClickRow(0);
        ASSERT_EQ(Current(), "B1");
        const QRect last = Main().LView->visualRect(Main().ListItems->index(0, 0));
        QTest::mouseClick(Main().LView->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(last.center().x(), last.bottom() + 40));
        EXPECT_EQ(Count(), 0);
        EXPECT_EQ(Main().Pane().HighlightedRow().node, nullptr);
        EXPECT_EQ(Current(), "B");
        std::string dialog;
        answerDialog = [&dialog](QDialog& shown) {
            dialog = static_cast<ui::TFormFolder&>(shown).EditFolder->text().toStdString();
        };
        prompts.questions.clear();
        Key(c.key, c.modifiers);
        EXPECT_EQ(dialog, c.dialog);
        EXPECT_TRUE(prompts.questions.empty());
        EXPECT_FALSE(Main().ClipPending());
        EXPECT_TRUE(browser.opened.empty());
        EXPECT_EQ(Names(), loaded);
    }
    // The tool bar's 削除 names the folder, the one entry shown highlighted.
    prompts.answers = {Answer::Cancel};
    Main().BtSakujo->click();
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].rfind("B (", 0), 0u) << prompts.questions[0];
    EXPECT_EQ(Names(), loaded);
}
