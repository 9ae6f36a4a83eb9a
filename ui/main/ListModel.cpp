#include "ui/main/ListModel.h"

#include <QColor>

#include "ui/widgets/QtText.h"

#include "ui/app/Icons.h"

namespace pernard::ui {

namespace {
const char* const kCaptions[kListColumnCount] = {"名称",     "訪問日", "最終更新時刻", "登録日",
                                                 "番号",     "状況",   "サイズ",       "ｽﾚｯﾄﾞ",
                                                 "サーバー", "備考",   "ファイル"};
}  // namespace

ListModel::ListModel(std::function<ListRow(int)> rowOf, std::function<int(const NodeRef&)> indexOf,
                     QObject* parent)
    : ListModelBase(parent), rowOf_(std::move(rowOf)), indexOf_(std::move(indexOf)) {}

void ListModel::Clear() { SetEntries({}); }

void ListModel::SetEntries(std::vector<NodeRef> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    rowBySerial_.clear();
    endResetModel();
}

void ListModel::DropMissing() {
    DropRows([](int entry) { return entry >= 0; });
}

void ListModel::DropRows(const std::function<bool(int entry)>& kept) {
    // Beyond this many runs, removing each would cost more than listing the rows anew.
    constexpr std::size_t kRemovedRuns = 64;
    std::vector<std::pair<int, int>> runs;  // first and last row of each run of missing rows
    for (int row = 0; row < rowCount(); ++row) {
        if (kept(indexOf_(entries_[static_cast<std::size_t>(row)]))) continue;
        if (!runs.empty() && runs.back().second == row - 1) {
            runs.back().second = row;
        } else {
            runs.emplace_back(row, row);
        }
    }
    if (runs.size() > kRemovedRuns) {
        std::vector<NodeRef> left;
        left.reserve(entries_.size());
        for (const NodeRef& entry : entries_) {
            if (kept(indexOf_(entry))) left.push_back(entry);
        }
        SetEntries(std::move(left));
        return;
    }
    // From the last run, so that the rows of the runs before keep their numbers.
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        beginRemoveRows({}, run->first, run->second);
        entries_.erase(entries_.begin() + run->first, entries_.begin() + run->second + 1);
        rowBySerial_.clear();
        endRemoveRows();
    }
    Repaint();
}

void ListModel::Repaint() {
    if (!entries_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kListColumnCount - 1));
}

int ListModel::EntryIndex(int row) const {
    return row < 0 || row >= rowCount() ? -1 : indexOf_(entries_[static_cast<std::size_t>(row)]);
}

int ListModel::RowOfEntry(const NodeRef& entry) const {
    // Built on first use after the rows changed: a link check asks once per result.
    if (rowBySerial_.empty() && !entries_.empty()) {
        rowBySerial_.reserve(entries_.size());
        for (std::size_t row = 0; row < entries_.size(); ++row) {
            rowBySerial_.emplace(entries_[row].serial, static_cast<int>(row));
        }
    }
    const auto found = rowBySerial_.find(entry.serial);
    if (found == rowBySerial_.end()) return -1;
    return entries_[static_cast<std::size_t>(found->second)] == entry ? found->second : -1;
}

void ListModel::RefreshEntry(const NodeRef& entry) {
    const int row = RowOfEntry(entry);
    if (row >= 0) emit dataChanged(index(row, 0), index(row, kListColumnCount - 1));
}

void ListModel::SetViewOrder(std::vector<NodeRef> entries, int column, bool descending) {
    viewColumn_ = column;
    viewDescending_ = descending;
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<NodeRef> held;
    held.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) held.push_back(EntryRef(index.row()));
    entries_ = std::move(entries);
    rowBySerial_.clear();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype k = 0; k < before.size(); ++k) {
        const int row = RowOfEntry(held[static_cast<std::size_t>(k)]);
        after.push_back(row < 0 ? QModelIndex() : index(row, before[k].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

NodeRef ListModel::EntryRef(int row) const {
    return row < 0 || row >= rowCount() ? NodeRef{} : entries_[static_cast<std::size_t>(row)];
}

ListRow ListModel::Row(int row) const {
    const int entry = EntryIndex(row);
    return entry < 0 ? ListRow{} : rowOf_(entry);
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount;
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const bool text = role == Qt::DisplayRole || role == Qt::ToolTipRole;
    const bool image = role == Qt::DecorationRole && index.column() == 0;
    const bool staysLocal = (role == Qt::ToolTipRole || role == Qt::ForegroundRole) && staysLocal_ &&
                            staysLocal_(EntryIndex(index.row()));
    if (role == Qt::ForegroundRole) return staysLocal ? QVariant(QColor(Qt::gray)) : QVariant();
    if (!text && !image) return {};
    const ListRow row = Row(index.row());
    if (role == Qt::ToolTipRole) {
        QString tip = row.texts.value(index.column());
        if (index.column() == 0 && !row.notes.isEmpty()) tip += QLatin1Char('\n') + row.notes;
        if (staysLocal) tip += "\n同期対象外";
        return PlainToolTip(tip);
    }
    if (text) return row.texts.value(index.column());
    return row.icon.isNull() ? SmallImage(row.image) : row.icon;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kListColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(kCaptions[section]);
    if (role == Qt::DecorationRole && section == 0) return SmallImage(0);
    return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    // Empty space in the list takes a drop too: it lands on the row last passed over.
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren |
           Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

NodeRef ListModel::DraggedEntry(const QModelIndex& index) const { return EntryRef(index.row()); }

NodeRef ListModel::DropTarget(int row, const QModelIndex& parent) const {
    if (row != -1 || !parent.isValid()) return {};
    return EntryRef(parent.row());
}

}  // namespace pernard::ui
