#pragma once
// The folder tree as a Qt item model: a view of TreeNodes, which stays the single source of
// truth. Changes arrive through the tree's observer interface.

#include <QAbstractItemModel>
#include <functional>

#include "model/BmLogic.h"
#include "model/storage/TreeNodes.h"
#include "ui/main/EntryDragModel.h"

namespace pernard::ui {

using TreeModelBase = EntryDragModel<QAbstractItemModel, DragView::Tree>;

class TreeModel : public TreeModelBase, public TreeObserver {
    Q_OBJECT
public:
    // Observes the model's tree for as long as it lives.
    explicit TreeModel(BmLogic& model, QObject* parent = nullptr);
    ~TreeModel() override;

    QModelIndex IndexOf(const TreeNode* node) const;
    // The account a root (by its entry index) is synced with, empty for none: such a root is
    // marked "（同期）" and its tool tip names the account.
    void SetSyncAccount(std::function<QString(int root)> accountOf) { accountOf_ = std::move(accountOf); }
    // The roots are shown again (a link was made or dropped).
    void RefreshRoots();
    static TreeNode* NodeOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;

    void AboutToInsert(TreeNode* parent, int row) override;
    void Inserted() override;
    void AboutToRemove(TreeNode* parent, int row) override;
    void Removed() override;
    void AboutToMove(TreeNode* fromParent, int fromRow, TreeNode* toParent, int toRow) override;
    void Moved() override;
    void Changed(TreeNode* node) override;
    void AboutToReset() override;
    void ResetDone() override;
    void AboutToReorder() override;
    void Reordered() override;

protected:
    NodeRef DraggedEntry(const QModelIndex& index) const override;
    // The node a drop lands on: drops arrive on items (or on empty space), never between.
    NodeRef DropTarget(int row, const QModelIndex& parent) const override;

private:
    // The account of a top-level node's root; empty for none.
    QString AccountOf(const TreeNode* node) const;
    BmLogic& model_;
    const TreeNodes& tree_;
    std::function<QString(int root)> accountOf_;
};

}  // namespace pernard::ui
