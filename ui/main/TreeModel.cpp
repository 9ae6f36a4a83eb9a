#include "ui/main/TreeModel.h"

#include "ui/app/Icons.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

TreeModel::TreeModel(BmLogic& model, QObject* parent)
    : TreeModelBase(parent), model_(model), tree_(model.Tree()) {
    model_.ObserveTree(this);
}

TreeModel::~TreeModel() { model_.ObserveTree(nullptr); }

TreeNode* TreeModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TreeModel::IndexOf(const TreeNode* node) const {
    return node == nullptr ? QModelIndex()
                           : createIndex(node->Row(), 0, const_cast<TreeNode*>(node));
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    const TreeNode* parentNode = NodeOf(parent);
    if (parentNode == nullptr) {
        return row < tree_.TopLevelCount() ? createIndex(row, 0, tree_.TopLevel(row))
                                           : QModelIndex();
    }
    return row < parentNode->ChildCount() ? createIndex(row, 0, parentNode->Child(row))
                                          : QModelIndex();
}

QModelIndex TreeModel::parent(const QModelIndex& child) const {
    const TreeNode* node = NodeOf(child);
    return node == nullptr ? QModelIndex() : IndexOf(node->Parent());
}

int TreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const TreeNode* node = NodeOf(parent);
    return node == nullptr ? tree_.TopLevelCount() : node->ChildCount();
}

int TreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant TreeModel::data(const QModelIndex& index, int role) const {
    const TreeNode* node = NodeOf(index);
    if (node == nullptr) return {};
    switch (role) {
        case Qt::DisplayRole: {
            const bool synced = !AccountOf(node).isEmpty();
            return synced ? Text(node->Text()) + "（同期）" : Text(node->Text());
        }
        case Qt::ToolTipRole: {
            const QString account = AccountOf(node);
            return PlainToolTip(account.isEmpty() ? Text(node->Text())
                                                  : Text(node->Text()) + "\n同期: " + account);
        }
        case Qt::DecorationRole: {
            // A bookmark shows the icon its source carried, when it carried one.
            const bool bookmark = node->ImageIndex() == 2 || node->ImageIndex() == 3;
            const QIcon carried = bookmark ? CarriedIcon(tree_.Extras(node)) : QIcon();
            return carried.isNull() ? NodeIcon(node->ImageIndex(), node->SelectedIndex()) : carried;
        }
        default:
            return {};
    }
}

QString TreeModel::AccountOf(const TreeNode* node) const {
    if (!accountOf_ || node->Parent() != nullptr) return {};
    return accountOf_(model_.IndexOf(node));
}

void TreeModel::RefreshRoots() {
    const int count = tree_.TopLevelCount();
    if (count > 0) emit dataChanged(index(0, 0), index(count - 1, 0));
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const {
    // Empty space in the tree takes no drop: there is no node to drop on.
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

NodeRef TreeModel::DraggedEntry(const QModelIndex& index) const { return tree_.Ref(NodeOf(index)); }

NodeRef TreeModel::DropTarget(int row, const QModelIndex& parent) const {
    // A row of -1 is a drop on `parent` itself; anything else would be between rows, which
    // the view is set never to report.
    if (row != -1) return {};
    return tree_.Ref(NodeOf(parent));
}

void TreeModel::AboutToInsert(TreeNode* parent, int row) {
    beginInsertRows(IndexOf(parent), row, row);
}
void TreeModel::Inserted() { endInsertRows(); }
void TreeModel::AboutToRemove(TreeNode* parent, int row) {
    beginRemoveRows(IndexOf(parent), row, row);
}
void TreeModel::Removed() { endRemoveRows(); }
void TreeModel::AboutToMove(TreeNode* fromParent, int fromRow, TreeNode* toParent, int toRow) {
    // Qt counts the destination row before the node leaves its place.
    const int destination = fromParent == toParent && toRow >= fromRow ? toRow + 1 : toRow;
    beginMoveRows(IndexOf(fromParent), fromRow, fromRow, IndexOf(toParent), destination);
}
void TreeModel::Moved() { endMoveRows(); }
void TreeModel::Changed(TreeNode* node) {
    const QModelIndex index = IndexOf(node);
    emit dataChanged(index, index);
}
void TreeModel::AboutToReset() { beginResetModel(); }
void TreeModel::ResetDone() { endResetModel(); }

// The nodes stay, only their rows change: the view keeps its selection and open folders.
void TreeModel::AboutToReorder() { emit layoutAboutToBeChanged(); }
void TreeModel::Reordered() {
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) after.push_back(IndexOf(NodeOf(index)));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

}  // namespace pernard::ui
