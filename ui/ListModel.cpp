#include "ui/ListModel.h"

#include "ui/Icons.h"

namespace pernard::ui {

namespace {
const char* const kCaptions[kListColumnCount] = {"名称",     "訪問日", "最終更新時刻", "登録日",
                                                 "Index",    "状況",   "サイズ",       "ｽﾚｯﾄﾞ",
                                                 "サーバー", "備考",   "File"};
}  // namespace

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListModel::Clear() { SetRows({}); }

void ListModel::SetRows(std::vector<ListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int ListModel::EntryIndex(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    bool ok = false;
    const int index = Row(row).texts.value(kIndexColumn).toInt(&ok);
    return ok ? index : -1;
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount;
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const ListRow& row = Row(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return row.texts.value(index.column());
    if (role == Qt::DecorationRole && index.column() == 0) return SmallImage(row.image);
    return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kListColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(kCaptions[section]);
    if (role == Qt::DecorationRole && section == 0) return SmallImage(0);
    return {};
}

}  // namespace pernard::ui
