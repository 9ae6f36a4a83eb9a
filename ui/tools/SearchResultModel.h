#pragma once
// The search window's result lines: one hit per line (ui/widgets/EntryRowsModel.h), the hit's
// title or URL, whichever was searched, and the folder it lies in.

#include <vector>

#include "model/BmLogic.h"
#include "model/Search.h"
#include "ui/widgets/EntryRowsModel.h"

namespace pernard::ui {

class SearchResultModel : public EntryRowsModel {
    Q_OBJECT
public:
    SearchResultModel(const BmLogic& model, QObject* parent = nullptr);

    void SetHits(std::vector<NodeRef> hits, SearchField field);
    void Clear() { SetHits({}, field_); }

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    SearchField field_ = SearchField::Title;
};

}  // namespace pernard::ui
