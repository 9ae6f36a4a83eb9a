#pragma once
// The search window's result lines: one entry per line, held by its node, its texts made when
// the line is painted, so that a million hits show at once and a line never shows or acts on
// another entry after the collection changed. The second column names the hit's folder.

#include <QAbstractTableModel>
#include <vector>

#include "model/BmLogic.h"
#include "model/Search.h"

namespace pernard::ui {

class SearchResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    SearchResultModel(const BmLogic& model, QObject* parent = nullptr);

    void SetHits(std::vector<NodeRef> hits, SearchField field);
    void Clear() { SetHits({}, field_); }
    // Drops the hits whose entries are gone (deleted, or a new load); the rest stay, in their
    // order. True when any went.
    bool DropGone();
    NodeRef Hit(int line) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const BmLogic& model_;
    std::vector<NodeRef> hits_;
    SearchField field_ = SearchField::Title;
};

}  // namespace pernard::ui
