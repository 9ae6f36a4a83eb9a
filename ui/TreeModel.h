#pragma once
// The folder tree as a Qt item model: a view of TreeNodes, which stays the single source of
// truth. Changes arrive through the tree's observer interface.

#include <QAbstractItemModel>

#include "model/TreeNodes.h"
#include "ui/EntryDrag.h"

namespace pernard::ui {

class TreeModel : public QAbstractItemModel, public TreeObserver {
    Q_OBJECT
public:
    explicit TreeModel(TreeNodes& tree, QObject* parent = nullptr);
    ~TreeModel() override;

    QModelIndex IndexOf(const TreeNode* node) const;
    static TreeNode* NodeOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;

    // Drag and drop of one entry, decided by the main window.
    void SetDragHooks(const DragHooks* hooks) { hooks_ = hooks; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

    void AboutToInsert(TreeNode* parent, int row) override;
    void Inserted() override;
    void AboutToRemove(TreeNode* parent, int row) override;
    void Removed() override;
    void AboutToMove(TreeNode* fromParent, int fromRow, TreeNode* toParent, int toRow) override;
    void Moved() override;
    void Changed(TreeNode* node) override;
    void AboutToReset() override;
    void ResetDone() override;

private:
    // The node a drop lands on: drops arrive on items (or on empty space), never between.
    NodeRef DropTarget(int row, const QModelIndex& parent) const;

    TreeNodes& tree_;
    const DragHooks* hooks_ = nullptr;
};

}  // namespace pernard::ui
