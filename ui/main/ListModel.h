#pragma once
// The rows of the URL list (LView): one row per shown entry, in the order they were added. A
// row holds only its entry's node, turned into the entry index (the hidden "Index" column) when
// used, so that an edit that shifts the table never makes a row show or act on another entry;
// its texts and image are made when the view asks for them, so that a folder of a hundred
// thousand bookmarks lists at once.

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <functional>
#include <unordered_map>
#include <vector>

#include "model/storage/TreeNodes.h"
#include "ui/main/EntryDragModel.h"

namespace pernard::ui {

inline constexpr int kListColumnCount = 11;
// The last column ("File") is hidden: the list shows the ones before it.
inline constexpr int kFileColumn = kListColumnCount - 1;

struct ListRow {
    QStringList texts;  // kListColumnCount texts: the caption, then the sub-items
    QString notes;      // the entry's description and tags: the name's tool tip adds them
    int image = 3;
    QIcon icon;  // the icon the entry's source carried, shown instead of the image; or null
};

using ListModelBase = EntryDragModel<QAbstractTableModel, DragView::List>;

class ListModel : public ListModelBase {
    Q_OBJECT
public:
    // `rowOf` makes the row of an entry; `indexOf` finds a node's entry index (-1: gone).
    ListModel(std::function<ListRow(int entry)> rowOf, std::function<int(const NodeRef&)> indexOf,
              QObject* parent = nullptr);

    void Clear();
    void SetEntries(std::vector<NodeRef> entries);
    // Drops the rows whose entries no longer exist.
    void DropMissing();
    // Drops the rows whose entries `kept` refuses (given the entry index, -1 for one that is
    // gone): each run of them removed as a range, the other rows kept as they are (set anew
    // when the runs are very many). The rows left are repainted.
    void DropRows(const std::function<bool(int entry)>& kept);
    // Every row shows its entry's texts again (they are made when the view asks).
    void Repaint();
    ListRow Row(int row) const;
    // Which entries sit in a synced root but cannot travel with it: shown grey, their tool tip
    // says "同期対象外".
    void SetStaysLocal(std::function<bool(int entry)> staysLocal) { staysLocal_ = std::move(staysLocal); }
    // The entry index of a row; -1 when there is none.
    int EntryIndex(int row) const;
    // The row that shows an entry; -1 when none does.
    int RowOfEntry(const NodeRef& entry) const;
    NodeRef EntryRef(int row) const;
    // Repaints the row of an entry, when the list shows it.
    void RefreshEntry(const NodeRef& entry);
    // The view's order (a column's header clicked): the same rows rearranged, the collection
    // left as it is; the selection stays on its entries. Column -1: the table's order. New
    // rows (SetEntries) keep the column; the window drops it when another folder is shown.
    void SetViewOrder(std::vector<NodeRef> entries, int column, bool descending);
    void DropViewOrder() { viewColumn_ = -1; }
    int ViewOrderColumn() const { return viewColumn_; }
    bool ViewOrderDescending() const { return viewDescending_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    NodeRef DraggedEntry(const QModelIndex& index) const override;
    // The entry a drop lands on: the row's (drops arrive on items); empty for empty space.
    NodeRef DropTarget(int row, const QModelIndex& parent) const override;

private:
    std::function<ListRow(int)> rowOf_;
    std::function<int(const NodeRef&)> indexOf_;
    std::function<bool(int entry)> staysLocal_;

    std::vector<NodeRef> entries_;
    mutable std::unordered_map<std::uint64_t, int> rowBySerial_;  // empty: not built yet
    int viewColumn_ = -1;
    bool viewDescending_ = false;
};

}  // namespace pernard::ui
