#include "ui/widgets/EntryRowsModel.h"

#include <QHeaderView>
#include <algorithm>

namespace pernard::ui {

EntryRowsModel::EntryRowsModel(const BmLogic& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model) {}

NodeRef EntryRowsModel::Entry(int line) const {
    return line < 0 || line >= rowCount() ? NodeRef{} : rows_[static_cast<std::size_t>(line)];
}

bool EntryRowsModel::DropGone() {
    const auto gone = [this](const NodeRef& row) { return model_.IndexOf(row) < 0; };
    if (std::none_of(rows_.begin(), rows_.end(), gone)) return false;
    beginResetModel();
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(), gone), rows_.end());
    endResetModel();
    return true;
}

int EntryRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

void ShowAsRowList(QTreeView* view, EntryRowsModel* rows) {
    view->setModel(rows);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->header()->setStretchLastSection(true);
}

}  // namespace pernard::ui
