// Many rows of the list at once: the list selects with Ctrl+click, Shift+click, Shift+arrows and
// Ctrl+A, and 削除, 切取り, コピー, 移動(上)/(下) and opening in the browser act on every
// highlighted row (a paste or a drop of the cut or dragged rows is the model's too). Each is one
// step of the model's operations on many entries, run as a table change of this window.

#include <QGuiApplication>
#include <QItemSelectionModel>
#include <algorithm>

#include "ui/BoardMain.h"
#include "ui/QtText.h"

namespace pernard::ui {

namespace {

constexpr const char* kFolderQuestion = "フォルダーを削除すると、下層のデータがすべて削除されます";
// Opening more pages than this at once is asked first.
constexpr int kOpenWithoutAsking = 10;

}  // namespace

void TFormMain::SetupListSelection() {
    LView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(LView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ListSelectionChanged(); });
}

bool TFormMain::ExtendingListSelection() {
    return (QGuiApplication::keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
}

int TFormMain::ListSelectionCount() const {
    int rows = 0;
    // Rows are selected whole: each range spans every column of its rows.
    for (const QItemSelectionRange& range : LView->selectionModel()->selection()) {
        rows += range.height();
    }
    return rows;
}

std::vector<NodeRef> TFormMain::ListSelection() const {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : LView->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<NodeRef> entries;
    entries.reserve(rows.size());
    for (int row : rows) {
        const NodeRef entry = ListItems->EntryRef(row);
        if (model_.IndexOf(entry) >= 0) entries.push_back(entry);
    }
    return entries;
}

void TFormMain::SelectListEntries(const std::vector<NodeRef>& entries) {
    QItemSelection selection;
    int first = -1;
    for (const NodeRef& entry : entries) {
        const int row = ListItems->RowOfEntry(entry);
        if (row < 0) continue;
        if (first < 0) first = row;
        selection.select(ListItems->index(row, 0), ListItems->index(row, kListColumnCount - 1));
    }
    if (first < 0) return;
    LView->selectionModel()->setCurrentIndex(ListItems->index(first, 0),
                                             QItemSelectionModel::NoUpdate);
    LView->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    LViewChange(LView->currentIndex());
    LView->scrollTo(LView->currentIndex());
}

void TFormMain::ListSelectionChanged() {
    if (tableChanging_) return;
    const int count = ListSelectionCount();
    if (count == 0) {
        // Nothing highlighted in the list: the tree's selection is what the commands act on.
        if (HighlightedRow().node != nullptr && SelectedEntry() >= 0) {
            model_.SetCurrent(SelectedEntry());
            UpdateEntryButtons();
        }
        return;
    }
    // The current entry is always a highlighted row: Ctrl+click may have taken the highlight
    // from the row that has the focus.
    const QModelIndex focus = LView->currentIndex();
    if (!focus.isValid() || !LView->selectionModel()->isRowSelected(focus.row())) {
        const std::vector<NodeRef> selected = ListSelection();
        if (!selected.empty()) model_.SetCurrent(selected.front());
    }
    if (count > 1) {
        if (!ClipPending()) Panel1->setText(QString("%1 件を選択中").arg(count));
        // A block of rows moves within its folders.
        BtUp->setEnabled(true);
        BtDown->setEnabled(true);
    } else {
        if (!ClipPending()) ShowCurrentInPanel1();
        BtUp->setEnabled(false);
        BtDown->setEnabled(false);
    }
    UpdateEntryButtons();
}

void TFormMain::DeleteListSelection() {
    const std::vector<NodeRef> entries = ListSelection();
    if (entries.empty()) return;
    PromptPort& prompts = *model_.GetPorts().prompts;
    const std::string question = "選択した " + std::to_string(entries.size()) + " 件を削除します";
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
    const CleanupOutcome outcome =
        RunCleanup([&] { return model_.DeleteEntries(entries, "削除"); });
    if (outcome.entries == 0) return;
    // Many subtrees taken out at once are announced to the tree as a reset, which drops its
    // selection: the folder shown is selected again, and is the current entry until a row is.
    if (model_.IndexOf(folder) >= 0) SelectNode(model_.IndexOf(folder));
    ShowListAfterDelete(std::move(shown), above);
    Panel1->setText(Text(outcome.summary));
}

void TFormMain::MarkClipOfSelection(bool cut) {
    model_.MarkClipEntries(ListSelection(), cut);
    if (model_.ClipIndex() < 0) return;
    clipPending_ = true;
    UpdateStopButton();
    BtPaste->setEnabled(true);
}

void TFormMain::MoveListSelection(bool up) {
    const std::vector<NodeRef> entries = ListSelection();
    bool moved = false;
    ChangeTable([&] {
        moved = model_.MoveEntriesUpDown(entries, up);
        return NodeRef{};
    });
    // The rows stay highlighted where they landed (or where they stood, at the folder's edge).
    SelectListEntries(entries);
    if (moved) BtPaste->setEnabled(ClipPending());
}

void TFormMain::OpenListSelection() {
    std::vector<NodeRef> pages;
    for (const NodeRef& entry : ListSelection()) {
        if (!model_.IsFolder(model_.IndexOf(entry))) pages.push_back(entry);
    }
    if (pages.empty()) return;
    if (static_cast<int>(pages.size()) > kOpenWithoutAsking) {
        const std::string question =
            std::to_string(pages.size()) + " 件のページをブラウザで開きます。よろしいですか？";
        if (model_.GetPorts().prompts->Confirm(question, Buttons::YesCancel) != Answer::Yes) return;
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
