#include "ui/tools/SearchResultModel.h"

#include "ui/widgets/QtText.h"

namespace pernard::ui {

SearchResultModel::SearchResultModel(const BmLogic& model, QObject* parent)
    : EntryRowsModel(model, parent) {}

void SearchResultModel::SetHits(std::vector<NodeRef> hits, SearchField field) {
    ResetRows(std::move(hits), [&] { field_ = field; });
}

int SearchResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const int entry = EntryIndexAt(index);
    // A hit deleted since the search shows nothing and does nothing.
    if (entry < 0) return QString();
    const BmLogic& model = Model();
    const std::size_t k = static_cast<std::size_t>(entry);
    const QString text = Text(field_ == SearchField::Title ? model.glName[k] : model.glUrl[k]);
    if (role == Qt::DisplayRole && index.column() == 0) return text;
    // The folder path walks up the tree: made only for the column and the tool tip that show it.
    const QString folder = Text(FolderPathOf(model, entry));
    if (role == Qt::ToolTipRole)
        return PlainToolTip(
            folder.isEmpty() ? text : folder + Text(std::string(kFolderPathSeparator)) + text);
    return folder;
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 1) return QString("フォルダー");
    return QString(field_ == SearchField::Title ? "見出し" : "ＵＲＬ");
}

}  // namespace pernard::ui
