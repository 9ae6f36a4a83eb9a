#pragma once
// The drag-and-drop half of an item model that shows entries: the entries of the dragged rows,
// moves and copies offered, and every drag and drop handed to the main window through DragHooks. A
// model says only which entry a row is and which entry a drop lands on.

#include <QMimeData>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "ui/main/EntryDrag.h"

namespace pernard::ui {

template <class Base, DragView kView>
class EntryDragModel : public Base {
public:
    using Base::Base;

    // Drag and drop of entries, decided by the main window.
    void SetDragHooks(const DragHooks* hooks) { hooks_ = hooks; }

    QStringList mimeTypes() const override { return {kEntryMimeType}; }
    Qt::DropActions supportedDragActions() const override {
        return Qt::MoveAction | Qt::CopyAction;
    }
    Qt::DropActions supportedDropActions() const override {
        return Qt::MoveAction | Qt::CopyAction;
    }
    QMimeData* mimeData(const QModelIndexList& indexes) const override {
        if (hooks_ == nullptr || indexes.isEmpty()) return nullptr;
        // One entry per row, in the order the rows were given.
        std::vector<NodeRef> entries;
        for (const QModelIndex& index : indexes) {
            const NodeRef entry = DraggedEntry(index);
            if (std::find(entries.begin(), entries.end(), entry) == entries.end()) {
                entries.push_back(entry);
            }
        }
        return hooks_->start(kView, entries);
    }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                         const QModelIndex& parent) const override {
        return hooks_ != nullptr && hooks_->canDrop(data, kView, DropTarget(row, parent));
    }
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                      const QModelIndex& parent) override {
        return hooks_ != nullptr && hooks_->drop(data, action, kView, DropTarget(row, parent));
    }

protected:
    // The entry shown at `index`.
    virtual NodeRef DraggedEntry(const QModelIndex& index) const = 0;
    // The entry a drop lands on; empty where nothing takes it.
    virtual NodeRef DropTarget(int row, const QModelIndex& parent) const = 0;

private:
    const DragHooks* hooks_ = nullptr;
};

}  // namespace pernard::ui
