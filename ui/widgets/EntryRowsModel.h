#pragma once
// A table of entries, one a row, each held by its node: a row never shows or acts on another
// entry after the collection changed, and its texts are made only when it is painted, so that a
// million rows show at once. The columns are the subclass's.

#include <QAbstractTableModel>
#include <QTreeView>
#include <utility>
#include <vector>

#include "model/BmLogic.h"

namespace pernard::ui {

class EntryRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit EntryRowsModel(const BmLogic& model, QObject* parent = nullptr);

    // The entry of row `line`; a null reference outside the rows.
    NodeRef Entry(int line) const;
    // Drops the rows whose entries are gone (deleted, or a new load); the rest stay, in their
    // order. True when any went.
    bool DropGone();

    int rowCount(const QModelIndex& parent = {}) const override;

protected:
    const BmLogic& Model() const { return model_; }
    // The table index of the entry on `index`'s row; -1 when it is gone.
    int EntryIndexAt(const QModelIndex& index) const { return model_.IndexOf(Entry(index.row())); }
    // Replaces the rows; `alongside` changes what the columns show within the same reset.
    template <typename Change>
    void ResetRows(std::vector<NodeRef> rows, Change&& alongside) {
        beginResetModel();
        rows_ = std::move(rows);
        alongside();
        endResetModel();
    }

private:
    const BmLogic& model_;
    std::vector<NodeRef> rows_;
};

// Makes `view` show `rows` as a plain list of whole rows: no tree decoration, nothing to edit,
// the last column stretched.
void ShowAsRowList(QTreeView* view, EntryRowsModel* rows);

}  // namespace pernard::ui
