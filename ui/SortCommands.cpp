// Sorting in the main window: 並べ替え of a folder (the 編集 menu and the tree's context menu),
// one step of undo, and the list's column headers, which order the list's rows only.

#include <QHeaderView>
#include <QMenuBar>
#include <algorithm>

#include "model/Sorting.h"
#include "ui/BoardMain.h"
#include "ui/EntryView.h"
#include "ui/ListModel.h"
#include "ui/QtText.h"
#include "ui/SortDialog.h"
#include "ui/TreeModel.h"

namespace pernard::ui {

namespace {

// The list's columns that have an order: 名称, 訪問日, 最終更新時刻, 登録日 and Index (the
// table's order).
constexpr int kIndexColumn = 4;
constexpr SortField kColumnFields[kIndexColumn] = {SortField::Name, SortField::Visited,
                                                   SortField::Modified, SortField::Added};

}  // namespace

void TFormMain::SetupSorting() {
    // E is チェック's key already.
    auto* edit = new QMenu("編集(&D)", MainMenu);
    edit->setObjectName("miEditMenu");
    edit->menuAction()->setObjectName("miEdit");
    items_["miEdit"] = edit->menuAction();
    MainMenu->insertMenu(Item("miView"), edit);
    AddItem(edit, "miEditSort", "並べ替え(&O)...", &TFormMain::SortClick);
    // In the tree's menu, after 編集.
    QAction* sort = new QAction("並べ替え...", PMenu);
    sort->setObjectName("PMenuSort");
    items_["PMenuSort"] = sort;
    connect(sort, &QAction::triggered, this, &TFormMain::SortClick);
    PMenu->insertAction(Item("N14"), sort);

    QHeaderView* header = LView->header();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, &TFormMain::ListHeaderClick);
}

void TFormMain::SortClick() {
    int folder = SelectedEntry();
    if (model_.IsValidIndex(folder) && !model_.IsFolder(folder)) folder = model_.ParentOf(folder);
    if (!model_.IsValidIndex(folder)) {
        model_.GetPorts().prompts->ShowMessage("並べ替えるフォルダーを選択してください");
        return;
    }
    // One dialog for the session: it keeps the last choices.
    auto* dialog = findChild<TFormSort*>("TFormSort");
    if (dialog == nullptr) dialog = new TFormSort(this);
    dialog->ShowFolder(Text(model_.glName[folder]));
    if (RunDialog(*dialog) != QDialog::Accepted) return;
    const SortOptions options = dialog->Options();
    const NodeRef selected = model_.Tree().Ref(SelectedNode());
    ChangeTable([&] {
        model_.SortFolder(folder, options);
        return selected;
    });
}

void TFormMain::ListHeaderClick(int column) {
    if (column < 0 || column > kIndexColumn) {
        ShowListOrder();  // a column without an order leaves the list as it is
        return;
    }
    const bool again = ListItems->ViewOrderColumn() == column;
    SortListView(column, again && !ListItems->ViewOrderDescending());
}

void TFormMain::SortListView(int column, bool descending) {
    std::vector<int> entries;
    entries.reserve(static_cast<std::size_t>(ListItems->rowCount()));
    for (int row = 0; row < ListItems->rowCount(); ++row) {
        const int entry = ListItems->EntryIndex(row);
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
    ListItems->SetViewOrder(std::move(rows), column, descending);
    ShowListOrder();
}

void TFormMain::FollowListOrder(bool sameList) {
    const int column = ListItems->ViewOrderColumn();
    if (sameList && column >= 0) {
        SortListView(column, ListItems->ViewOrderDescending());
        return;
    }
    ListItems->DropViewOrder();
    ShowListOrder();
}

void TFormMain::ShowListOrder() {
    QHeaderView* header = LView->header();
    const int column = ListItems->ViewOrderColumn();
    header->setSortIndicatorShown(column >= 0);
    if (column >= 0) {
        header->setSortIndicator(
            column, ListItems->ViewOrderDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
}

}  // namespace pernard::ui
