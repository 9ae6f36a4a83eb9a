// The list side of the main window: what the list shows for the entry selected in the tree, the
// move buttons that follow it, and presses on its rows.

#include "model/EntryExtras.h"
#include "ui/BoardMain.h"
#include "ui/Icons.h"
#include "ui/PersistentWindow.h"
#include "ui/QtText.h"
#include "util/Dates.h"

namespace pernard::ui {

namespace {
constexpr const char* kNoDate = "------";
}  // namespace

void TFormMain::ApplyMoveButtonRule(int e) {
    const TreeNode* node = model_.glNode[e];
    const TreeNode* previous = model_.Tree().PreviousVisible(node);
    const TreeNode* next = model_.Tree().NextVisible(node);
    auto isUrl = [](const TreeNode* n) { return n->ImageIndex() == 2 || n->ImageIndex() == 3; };
    const bool firstInFolder = model_.gloya[e] == e - 1;
    const bool nextElsewhere = next == nullptr || next->Parent() != node->Parent();
    if (model_.IsFolder(e)) {
        if (firstInFolder || previous == nullptr || isUrl(previous)) BtUp->setEnabled(false);
        if (nextElsewhere || isUrl(next)) BtDown->setEnabled(false);
    } else {
        if (firstInFolder) BtUp->setEnabled(false);
        if (nextElsewhere || !isUrl(next)) BtDown->setEnabled(false);
    }
}

ListRow TFormMain::RowOf(int entry) const {
    ListRow row;
    if (!model_.IsValidIndex(entry)) return row;
    const std::size_t k = static_cast<std::size_t>(entry);
    const bool folder = model_.IsFolder(entry);
    const std::string visit =
        folder ? std::string(model_.glVisit[k]) : ShownDateTimeText(model_.glVisit[k]);
    const std::string last = ShownDateTimeText(model_.glLast[k]);
    row.texts << Text(model_.glName[k])
              << (folder || !visit.empty() ? Text(visit) : QString(kNoDate))
              << (last.empty() ? QString(kNoDate) : Text(last))
              << Text(ShownDateText(model_.glAdd[k])) << QString::number(entry);
    // What the last link check learnt of the entry.
    const auto checked = checkInfo_.find(model_.glNode[k]->Serial());
    if (checked != checkInfo_.end()) {
        const CheckInfo& info = checked->second;
        row.texts << info.status << info.size << info.slot << info.server << info.remark;
    }
    while (row.texts.size() < kListColumnCount) row.texts << QString();
    row.image = model_.UrlImageIndex(entry);
    if (!folder) row.icon = CarriedIcon(model_.ExtrasOf(entry));
    row.notes = Text(NotesText(model_.ExtrasOf(entry)));
    return row;
}

void TFormMain::ListRefresh() {
    if (ClipPending()) {
        Panel1->setText("コピー 又は 切取り  作業中");
        return;
    }
    const bool expanded = BtTenkai->isChecked();
    BtUp->setEnabled(true);
    BtDown->setEnabled(true);
    if (!TreeV->isVisibleTo(this)) return;
    const int e = SelectedEntry();
    if (!model_.IsValidIndex(e)) return;
    const NodeRef previous = shownNode_;
    shownNode_ = model_.RefOf(e);
    const std::size_t k = static_cast<std::size_t>(e);
    ListViewCaption->setText(Text(model_.glName[k]));
    std::vector<NodeRef> rows;
    if (!model_.IsFolder(e)) {
        rows.push_back(shownNode_);
        Panel1->setText(Text(model_.glUrl[k]));
    } else {
        for (int entry : model_.ListedEntries(e, expanded)) rows.push_back(model_.RefOf(entry));
    }
    ListItems->SetEntries(std::move(rows));
    FollowListOrder(shownNode_ == previous && listExpanded_ == expanded);
    listExpanded_ = expanded;
    ApplyMoveButtonRule(e);
    Notebook->setCurrentIndex(1);
    if (model_.gloya[k] == -1) Panel1->setText(Text(model_.glVisit[k]));
}

void TFormMain::LViewChange(const QModelIndex& index) {
    // During a table change the rows may name entries that moved; the change re-syncs after.
    if (tableChanging_ || !index.isValid()) return;
    const int entry = ListItems->EntryIndex(index.row());
    if (!model_.IsValidIndex(entry)) return;
    const bool highlighted = LView->selectionModel()->isRowSelected(index.row());
    if (!highlighted && ExtendingListSelection()) {
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
    // A row of the list is no place in the tree: moving and expanding wait for a tree press.
    BtSakujo->setEnabled(true);
    BtUp->setEnabled(false);
    BtDown->setEnabled(false);
    BtFolder->setEnabled(false);
    if (ListSelectionCount() > 1) ListSelectionChanged();
}

void TFormMain::LViewClick(const QModelIndex& index) {
    if (!index.isValid() || !model_.IsValidIndex(ListItems->EntryIndex(index.row()))) return;
    if (LView->currentIndex() != index) LView->setCurrentIndex(index);
    LViewChange(index);
    glDragSource = model_.Current();
    glListClick = true;
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

ListedFolder TFormMain::Listed() const {
    const int shown = model_.IndexOf(shownNode_);
    // A bookmark shown on its own is no folder to report.
    if (shown < 0 || !model_.IsFolder(shown)) return {};
    return {shown, listExpanded_};
}

std::string TFormMain::RemarkOf(int entry) const {
    if (!model_.IsValidIndex(entry)) return {};
    const auto checked = checkInfo_.find(model_.glNode[entry]->Serial());
    return checked == checkInfo_.end() ? std::string() : checked->second.remark.toStdString();
}

void TFormMain::URL2Click() {
    if (links_.urlList != nullptr) links_.urlList->Open();
}

}  // namespace pernard::ui
