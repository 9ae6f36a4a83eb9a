#pragma once
// The rows of the URL list (LView): a caption, ten sub-item texts and an image per row, in the
// order they were added.

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace pernard::ui {

inline constexpr int kListColumnCount = 11;
inline constexpr int kIndexColumn = 4;

struct ListRow {
    QStringList texts;  // kListColumnCount texts: the caption, then the sub-items
    int image = 3;
};

class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListModel(QObject* parent = nullptr);

    void Clear();
    void SetRows(std::vector<ListRow> rows);
    const ListRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The entry index of a row, read from its hidden "Index" column; -1 when there is none.
    int EntryIndex(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ListRow> rows_;
};

}  // namespace pernard::ui
