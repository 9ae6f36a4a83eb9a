// The list's rows in the main window: a press, a double click or a search hit makes a row the
// current entry; many rows at once: the list selects with Ctrl+click, Shift+click, Shift+arrows and
// Ctrl+A, and 削除, 切取り, コピー, 移動(上)/(下) and opening in the browser act on every
// highlighted row (a paste or a drop of the cut or dragged rows is the model's too). Each is one
// step of the model's operations on many entries, run as a table change of this window.

#include <QGuiApplication>
#include <QItemSelectionModel>
#include <algorithm>

#include "ui/main/BoardMain.h"
#include "ui/widgets/PersistentWindow.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

namespace {

constexpr const char* kFolderQuestion = "フォルダーを削除すると、下層のデータがすべて削除されます";
// Opening more pages than this at once is asked first.
constexpr int kOpenWithoutAsking = 10;

}  // namespace

// ---------------------------------------------------------------- the list's rows

void TFormMain::LViewChange(const QModelIndex& index) {
    // During a table change the rows may name entries that moved; the change re-syncs after.
    if (tableChanging_ || !index.isValid()) return;
    const int entry = ListItems->EntryIndex(index.row());
    if (!model_.IsValidIndex(entry)) return;
    const bool highlighted = LView->selectionModel()->isRowSelected(index.row());
    if (!highlighted && ListPane::Extending()) {
        // Ctrl or Shift with the pointer: the selection changes after the focus row, and the
        // current entry follows the highlighted rows.
        ListSelectionChanged();
        return;
    }
    // The row that is current is the one shown highlighted (Qt makes a row current without
    // selecting it when the list first gets the focus).
    if (!highlighted) {
        LView->selectionModel()->select(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    model_.SetCurrent(entry);
    ShowCurrentInPanel1();
    UpdateEntryButtons();
    // A highlighted row moves among its siblings as a block of rows does; expanding waits for
    // a tree press.
    BtSakujo->setEnabled(true);
    BtUp->setEnabled(true);
    BtDown->setEnabled(true);
    BtFolder->setEnabled(false);
    if (pane_->SelectionCount() > 1) ListSelectionChanged();
}

void TFormMain::LViewClick(const QModelIndex& index) {
    if (!index.isValid() || !model_.IsValidIndex(ListItems->EntryIndex(index.row()))) return;
    if (LView->currentIndex() != index) LView->setCurrentIndex(index);
    LViewChange(index);
    drags_->glDragSource = model_.Current();
    drags_->glListClick = true;
}

void TFormMain::LViewDblClick(const QModelIndex& index) {
    const int entry = ListItems->EntryIndex(index.row());
    if (!model_.IsValidIndex(entry)) return;
    model_.SetCurrent(entry);
    if (model_.IsFolder(entry)) {
        SelectNode(entry);
    } else {
        OpenInBrowser(Text(model_.glUrl[entry]));
    }
}

void TFormMain::ShowSearchHit(const NodeRef& hit) {
    const int entry = model_.IndexOf(hit);
    if (entry < 0) return;
    const int parent = model_.gloya[entry];
    SelectNode(parent < 0 ? entry : parent);
    ShowInFront(this);
    // A frozen list (a cut or copy pending) has no row for it. The highlighted row is the
    // current entry (LViewChange), so commands act on the hit, not on its folder.
    const int row = parent < 0 ? -1 : ListItems->RowOfEntry(hit);
    if (row >= 0) {
        LView->setCurrentIndex(ListItems->index(row, 0));
        LView->scrollTo(ListItems->index(row, 0));
    }
    LView->setFocus();
}

void TFormMain::URL2Click() {
    if (links_.urlList != nullptr) links_.urlList->Open();
}

// ---------------------------------------------------------------- many rows

void TFormMain::SetupListSelection() {
    LView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(LView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ListSelectionChanged(); });
}

void TFormMain::ListSelectionChanged() {
    if (tableChanging_) return;
    const int count = pane_->SelectionCount();
    if (count == 0) {
        // Nothing highlighted in the list (a click below its rows, Ctrl+click on the last
        // highlighted one): the tree's selection is what the commands act on. The list's
        // focus row stays, but only a highlighted row is acted on (ListPane::HighlightedRow).
        if (LView->currentIndex().isValid() && SelectedEntry() >= 0) {
            model_.SetCurrent(SelectedEntry());
            UpdateEntryButtons();
        }
        return;
    }
    // The current entry is always a highlighted row: Ctrl+click may have taken the highlight
    // from the row that has the focus.
    const QModelIndex focus = LView->currentIndex();
    if (!focus.isValid() || !LView->selectionModel()->isRowSelected(focus.row())) {
        const std::vector<NodeRef> selected = pane_->Selection();
        if (!selected.empty()) model_.SetCurrent(selected.front());
    }
    if (count > 1) {
        if (!ClipPending()) Panel1->setText(QString("%1 件を選択中").arg(count));
    } else if (!ClipPending()) {
        ShowCurrentInPanel1();
    }
    // The highlighted rows, one or a block, move within their folders.
    BtUp->setEnabled(true);
    BtDown->setEnabled(true);
    UpdateEntryButtons();
}

void TFormMain::DeleteListSelection() {
    const std::vector<NodeRef> entries = pane_->Selection();
    if (entries.empty()) return;
    PromptPort& prompts = *model_.GetPorts().prompts;
    // The question names what goes: the highlighted rows, as the status bar counts them, and
    // when highlighted folders hold more than those rows, everything that goes with them.
    const int going = model_.CountWithSubtrees(entries);
    std::string question = "選択した " + std::to_string(entries.size()) + " 件を削除します";
    if (going != static_cast<int>(entries.size())) {
        question += "（フォルダーの中身を含めて " + std::to_string(going) + " 件）";
    }
    if (prompts.Confirm(question, Buttons::YesCancel) != Answer::Yes) return;
    // Folders with contents get the folder question too, once for all of them.
    const bool contents = std::any_of(entries.begin(), entries.end(), [this](const NodeRef& e) {
        const int index = model_.IndexOf(e);
        return model_.IsFolder(index) && model_.glNode[index]->HasChildren();
    });
    if (contents && prompts.Confirm(kFolderQuestion, Buttons::YesCancel) != Answer::Yes) return;
    // The list the user was looking at (an expanded one too) and the row above the first
    // deleted one.
    std::vector<NodeRef> shown;
    shown.reserve(static_cast<std::size_t>(ListItems->rowCount()));
    for (int k = 0; k < ListItems->rowCount(); ++k) shown.push_back(ListItems->EntryRef(k));
    const int firstRow = ListItems->RowOfEntry(entries.front());
    const NodeRef above = firstRow > 0 ? ListItems->EntryRef(firstRow - 1) : NodeRef{};
    const NodeRef folder = model_.Tree().Ref(SelectedNode());
    const bool expanded = pane_->ShowsExpanded();
    const SelectionMarks before = CurrentMarks();
    const std::uint64_t pushes = model_.HistoryPushCount();
    const CleanupOutcome outcome =
        RunCleanup([&] { return model_.DeleteEntries(entries, "削除"); });
    if (outcome.entries == 0) return;
    // Many subtrees taken out at once are announced to the tree as a reset, which drops its
    // selection: the folder shown is selected again, and is the current entry until a row is.
    if (model_.IndexOf(folder) >= 0) {
        SelectNode(model_.IndexOf(folder));
        // A list that showed everything below the folder shows it so again.
        if (expanded) BtFolderClick();
    }
    pane_->ShowAfterDelete(std::move(shown), above);
    Panel1->setText(Text(outcome.summary));
    // A redo shows what is shown now, not the window halfway through the delete.
    model_.SetStepMarks(pushes, before, CurrentMarks());
}

void TFormMain::MarkClipOfSelection(bool cut) {
    model_.MarkClipEntries(pane_->Selection(), cut);
    if (model_.ClipIndex() < 0) return;
    clipPending_ = true;
    UpdateStopButton();
    BtPaste->setEnabled(true);
}

void TFormMain::MoveListSelection(bool up) {
    const std::vector<NodeRef> entries = pane_->Selection();
    bool moved = false;
    ChangeTable([&] {
        moved = model_.MoveEntriesUpDown(entries, up);
        // The rows stay highlighted where they landed (or where they stood, at the edge).
        highlightAfterChange_ = entries;
        return NodeRef{};
    });
    if (moved) BtPaste->setEnabled(ClipPending());
}

void TFormMain::OpenListSelection() {
    std::vector<NodeRef> pages;
    for (const NodeRef& entry : pane_->Selection()) {
        if (!model_.IsFolder(model_.IndexOf(entry))) pages.push_back(entry);
    }
    if (pages.empty()) return;
    if (static_cast<int>(pages.size()) > kOpenWithoutAsking) {
        const std::string question =
            std::to_string(pages.size()) + " 件のページをブラウザで開きます。よろしいですか？";
        // Many pages at once: the safe answer is the default.
        if (model_.GetPorts().prompts->Confirm(question, Buttons::YesNoDefaultNo) != Answer::Yes) {
            return;
        }
    }
    // Each opens as the current entry, so that its visit is recorded; the highlight stays.
    const NodeRef current = model_.Current();
    for (const NodeRef& page : pages) {
        const int index = model_.IndexOf(page);
        if (index < 0) continue;
        model_.SetCurrent(page);
        OpenInBrowser(Text(model_.glUrl[index]));
    }
    model_.SetCurrent(current);
}

}  // namespace pernard::ui
