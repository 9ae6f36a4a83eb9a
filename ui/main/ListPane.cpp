#include "ui/main/ListPane.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <algorithm>

#include "model/EntryExtras.h"
#include "model/Sorting.h"
#include "ui/app/Icons.h"
#include "ui/main/LinkChecking.h"
#include "ui/widgets/QtText.h"
#include "util/Dates.h"

namespace pernard::ui {

namespace {

constexpr const char* kNoDate = "------";
// The list's columns that have an order: 名称, 訪問日, 最終更新時刻, 登録日 and Index (the
// table's order).
constexpr int kIndexColumn = 4;
constexpr SortField kColumnFields[kIndexColumn] = {SortField::Name, SortField::Visited,
                                                   SortField::Modified, SortField::Added};

}  // namespace

ListPane::ListPane(BmLogic& model, Window window) : model_(model), window_(std::move(window)) {}

void ListPane::SetControls(const Controls& controls, ListModel* rows) {
    controls_ = controls;
    rows_ = rows;
}

// ---------------------------------------------------------------- what the list shows

void ListPane::ApplyMoveButtonRule(int e) {
    const TreeNode* node = model_.glNode[e];
    const TreeNode* previous = model_.Tree().PreviousVisible(node);
    const TreeNode* next = model_.Tree().NextVisible(node);
    auto isUrl = [](const TreeNode* n) { return n->ImageIndex() == 2 || n->ImageIndex() == 3; };
    const bool firstInFolder = model_.gloya[e] == e - 1;
    const bool nextElsewhere = next == nullptr || next->Parent() != node->Parent();
    if (model_.IsFolder(e)) {
        if (firstInFolder || previous == nullptr || isUrl(previous))
            controls_.up->setEnabled(false);
        if (nextElsewhere || isUrl(next)) controls_.down->setEnabled(false);
    } else {
        if (firstInFolder) controls_.up->setEnabled(false);
        if (nextElsewhere || !isUrl(next)) controls_.down->setEnabled(false);
    }
}

ListRow ListPane::RowOf(int entry) const {
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
    if (const CheckInfo* info = window_.checkInfo(model_.glNode[k]->Serial())) {
        row.texts << info->status << info->size << info->slot << info->server << info->remark;
    }
    while (row.texts.size() < kListColumnCount) row.texts << QString();
    row.image = model_.UrlImageIndex(entry);
    if (!folder) row.icon = CarriedIcon(model_.ExtrasOf(entry));
    row.notes = Text(NotesText(model_.ExtrasOf(entry)));
    return row;
}

void ListPane::Refresh(bool keepExpansion) {
    if (window_.clipPending()) {
        window_.showPanel1("コピー 又は 切取り  作業中");
        return;
    }
    controls_.up->setEnabled(true);
    controls_.down->setEnabled(true);
    if (!window_.treeShown()) return;
    const int e = window_.treeEntry();
    if (!model_.IsValidIndex(e)) return;
    const bool expanded = controls_.expand->isChecked() ||
                          (keepExpansion && expanded_ && shown_ == model_.RefOf(e));
    const NodeRef previous = shown_;
    shown_ = model_.RefOf(e);
    const std::size_t k = static_cast<std::size_t>(e);
    controls_.caption->setText(Text(model_.glName[k]));
    if (!model_.IsFolder(e)) window_.showPanel1(Text(model_.glUrl[k]));
    const bool sameList = shown_ == previous && expanded_ == expanded;
    expanded_ = expanded;
    bool fill = !sameList || !listed_;
    if (fill) {
        model_.TakeTreeTouch();  // filled anyway
    } else {
        fill = TakeTouch();
    }
    if (fill) {
        std::vector<NodeRef> rows;
        if (!model_.IsFolder(e)) {
            rows.push_back(shown_);
        } else {
            for (int entry : model_.ListedEntries(e, expanded)) {
                rows.push_back(model_.RefOf(entry));
            }
        }
        // The folder's own order changed (a sort, a move, their undo): the list shows it, not
        // the column's order.
        const bool reordered = sameList && Reordered(rows);
        listedOrder_ = rows;
        rows_->SetEntries(std::move(rows));
        listed_ = true;
        FollowOrder(sameList && !reordered);
    } else {
        // The same rows: no row stays highlighted, as after a fill.
        ClearHighlight();
    }
    ApplyMoveButtonRule(e);
    controls_.book->setCurrentIndex(1);
    if (model_.gloya[k] == -1) window_.showPanel1(Text(model_.glVisit[k]));
}

void ListPane::Follow() {
    if (window_.clipPending()) {
        // The frozen list keeps its rows, but none whose entry is gone.
        model_.TakeTreeTouch();
        listed_ = false;
        DropRows([](int entry) { return entry >= 0; });
        return;
    }
    if (TakeTouch()) {
        listed_ = false;
    } else {
        rows_->Repaint();
    }
}

bool ListPane::TakeTouch() {
    const TreeTouch touch = model_.TakeTreeTouch();
    if (touch.all) return true;
    if (Reaches(touch.arrived)) return true;
    if (Reaches(touch.left)) {
        // The rows of entries that left what the shown folder lists.
        const int shown = model_.IndexOf(shown_);
        const int end = shown + model_.SubtreeWidth(shown);
        DropRows([this, shown, end](int entry) {
            return entry > shown && entry < end && (expanded_ || model_.ParentOf(entry) == shown);
        });
    }
    return false;
}

void ListPane::DropRows(const std::function<bool(int entry)>& kept) {
    const int before = rows_->rowCount();
    rows_->DropRows(kept);
    // As when the list is filled, no row stays highlighted.
    if (rows_->rowCount() != before) ClearHighlight();
}

bool ListPane::Reaches(const std::vector<NodeRef>& parents) const {
    const TreeNodes& tree = model_.Tree();
    // A shown entry that is gone (or held out of the table for an undo) is forgotten instead.
    const TreeNode* shown = tree.Resolve(shown_);
    if (shown == nullptr || model_.IndexOf(shown_) < 0) return false;
    for (const NodeRef& parent : parents) {
        // The top level (no node) is nothing a list shows; a parent taken out with its
        // subtree was reported where it left.
        const TreeNode* node = tree.Resolve(parent);
        if (node == nullptr) continue;
        if (node == shown || (expanded_ && tree.IsAncestor(shown, node))) return true;
    }
    return false;
}

ListedFolder ListPane::Listed() const {
    const int shown = model_.IndexOf(shown_);
    // A bookmark shown on its own is no folder to report.
    if (shown < 0 || !model_.IsFolder(shown)) return {};
    return {shown, expanded_};
}

std::string ListPane::RemarkOf(int entry) const {
    if (!model_.IsValidIndex(entry)) return {};
    const CheckInfo* info = window_.checkInfo(model_.glNode[entry]->Serial());
    return info == nullptr ? std::string() : info->remark.toStdString();
}

void ListPane::ForgetShown() {
    rows_->Clear();
    controls_.caption->clear();
}

void ListPane::ShowAfterDelete(std::vector<NodeRef> shown, const NodeRef& above) {
    // That list stays, without what was deleted, and the row above becomes its selection.
    shown.erase(std::remove_if(shown.begin(), shown.end(),
                               [this](const NodeRef& ref) { return model_.IndexOf(ref) < 0; }),
                shown.end());
    // The change dropped those rows already when the list still shows that folder.
    bool same = rows_->rowCount() == static_cast<int>(shown.size());
    for (std::size_t row = 0; same && row < shown.size(); ++row) {
        same = rows_->EntryRef(static_cast<int>(row)) == shown[row];
    }
    if (!same) {
        rows_->SetEntries(std::move(shown));
        listed_ = false;
    }
    const int aboveRow = rows_->RowOfEntry(above);
    if (aboveRow >= 0) {
        const QModelIndex index = rows_->index(aboveRow, 0);
        controls_.list->setCurrentIndex(index);
        window_.rowPressed(index);
    }
}

// ---------------------------------------------------------------- the view's order

void ListPane::HeaderClick(int column) {
    if (column < 0 || column > kIndexColumn) {
        ShowOrder();  // a column without an order leaves the list as it is
        return;
    }
    const bool again = rows_->ViewOrderColumn() == column;
    SortView(column, again && !rows_->ViewOrderDescending());
}

void ListPane::SortView(int column, bool descending) {
    std::vector<int> entries;
    entries.reserve(static_cast<std::size_t>(rows_->rowCount()));
    for (int row = 0; row < rows_->rowCount(); ++row) {
        const int entry = rows_->EntryIndex(row);
        if (entry >= 0) entries.push_back(entry);
    }
    // From the table's order, so that a column gives the same order whatever was clicked
    // before it.
    std::sort(entries.begin(), entries.end());
    if (column == kIndexColumn) {
        if (descending) std::reverse(entries.begin(), entries.end());
    } else {
        SortOptions options;
        options.by = kColumnFields[column];
        options.descending = descending;
        entries = SortedEntries(model_, std::move(entries), options);
    }
    std::vector<NodeRef> rows;
    rows.reserve(entries.size());
    for (int entry : entries) rows.push_back(model_.RefOf(entry));
    rows_->SetViewOrder(std::move(rows), column, descending);
    ShowOrder();
}

bool ListPane::Reordered(const std::vector<NodeRef>& rows) const {
    if (rows.size() != listedOrder_.size() || rows == listedOrder_) return false;
    auto bySerial = [](const NodeRef& a, const NodeRef& b) { return a.serial < b.serial; };
    std::vector<NodeRef> now = rows;
    std::vector<NodeRef> before = listedOrder_;
    std::sort(now.begin(), now.end(), bySerial);
    std::sort(before.begin(), before.end(), bySerial);
    return now == before;
}

void ListPane::FollowOrder(bool sameList) {
    const int column = rows_->ViewOrderColumn();
    if (sameList && column >= 0) {
        SortView(column, rows_->ViewOrderDescending());
        return;
    }
    rows_->DropViewOrder();
    ShowOrder();
}

void ListPane::ShowOrder() {
    QHeaderView* header = controls_.list->header();
    const int column = rows_->ViewOrderColumn();
    header->setSortIndicatorShown(column >= 0);
    if (column >= 0) {
        header->setSortIndicator(
            column, rows_->ViewOrderDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
}

// ---------------------------------------------------------------- the highlighted rows

bool ListPane::Extending() {
    return (QGuiApplication::keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
}

int ListPane::SelectionCount() const {
    int rows = 0;
    // Rows are selected whole: each range spans every column of its rows.
    for (const QItemSelectionRange& range : controls_.list->selectionModel()->selection()) {
        rows += range.height();
    }
    return rows;
}

std::vector<NodeRef> ListPane::Selection() const {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : controls_.list->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<NodeRef> entries;
    entries.reserve(rows.size());
    for (int row : rows) {
        const NodeRef entry = rows_->EntryRef(row);
        if (model_.IndexOf(entry) >= 0) entries.push_back(entry);
    }
    return entries;
}

void ListPane::SelectEntries(const std::vector<NodeRef>& entries, const NodeRef& focus) {
    QItemSelection selection;
    int first = -1;
    for (const NodeRef& entry : entries) {
        const int row = rows_->RowOfEntry(entry);
        if (row < 0) continue;
        if (first < 0 || entry == focus) first = row;
        selection.select(rows_->index(row, 0), rows_->index(row, kListColumnCount - 1));
    }
    if (first < 0) return;
    QTreeView* list = controls_.list;
    list->selectionModel()->setCurrentIndex(rows_->index(first, 0), QItemSelectionModel::NoUpdate);
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    window_.rowTaken(list->currentIndex());
    list->scrollTo(list->currentIndex());
}

QModelIndex ListPane::HighlightedIndex() const {
    const QModelIndex row = controls_.list->currentIndex();
    const bool highlighted =
        row.isValid() && controls_.list->selectionModel()->isRowSelected(row.row());
    return highlighted ? row : QModelIndex();
}

NodeRef ListPane::HighlightedRow() const {
    const QModelIndex row = HighlightedIndex();
    return row.isValid() ? rows_->EntryRef(row.row()) : NodeRef{};
}

int ListPane::HighlightedEntry() const {
    const QModelIndex row = HighlightedIndex();
    return row.isValid() ? rows_->EntryIndex(row.row()) : -1;
}

void ListPane::ClearHighlight() {
    QTreeView* list = controls_.list;
    if (list->currentIndex().isValid() || list->selectionModel()->hasSelection()) {
        list->selectionModel()->clear();
    }
}

}  // namespace pernard::ui
