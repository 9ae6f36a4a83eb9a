#include "ui/tools/SearchResultModel.h"

#include <algorithm>

#include "ui/widgets/QtText.h"

namespace pernard::ui {

SearchResultModel::SearchResultModel(const BmLogic& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model) {}

void SearchResultModel::SetHits(std::vector<NodeRef> hits, SearchField field) {
    beginResetModel();
    hits_ = std::move(hits);
    field_ = field;
    endResetModel();
}

bool SearchResultModel::DropGone() {
    const auto gone = [this](const NodeRef& hit) { return model_.IndexOf(hit) < 0; };
    if (std::none_of(hits_.begin(), hits_.end(), gone)) return false;
    beginResetModel();
    hits_.erase(std::remove_if(hits_.begin(), hits_.end(), gone), hits_.end());
    endResetModel();
    return true;
}

NodeRef SearchResultModel::Hit(int line) const {
    return line < 0 || line >= rowCount() ? NodeRef{} : hits_[static_cast<std::size_t>(line)];
}

int SearchResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(hits_.size());
}

int SearchResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const int entry = model_.IndexOf(Hit(index.row()));
    // A hit deleted since the search shows nothing and does nothing.
    if (entry < 0) return QString();
    const std::size_t k = static_cast<std::size_t>(entry);
    const QString text = Text(field_ == SearchField::Title ? model_.glName[k] : model_.glUrl[k]);
    if (role == Qt::DisplayRole && index.column() == 0) return text;
    // The folder path walks up the tree: made only for the column and the tool tip that show it.
    const QString folder = Text(FolderPathOf(model_, entry));
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
