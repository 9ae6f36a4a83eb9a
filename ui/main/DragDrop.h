#pragma once
// Drag and drop in the main window: an entry dragged from the tree, or the highlighted rows
// dragged from the list, dropped on a node of the tree or a row of the list move there (copy
// with Ctrl, or always when the window says the source is kept): into a folder as its first
// children, after a bookmark; many rows in one step. Qt's item-model drag and drop carries the
// payload; the pointer state follows the presses and releases of both views.

#include <QByteArray>
#include <QObject>
#include <QTreeView>
#include <functional>
#include <vector>

#include "model/BmLogic.h"
#include "ui/main/EntryDrag.h"

namespace pernard::ui {

class ListModel;
class TreeModel;

class DragAndDrop : public QObject {
    Q_OBJECT
public:
    // What a drop needs of the main window.
    struct Window {
        // Runs a change of the table as the window's editing commands do.
        std::function<void(const std::function<NodeRef()>&)> changeTable;
        // Every drop copies (the setting "DropDown No Delete").
        std::function<bool()> keepsSource;
        // The folder the list shows, and showing it again (selected in the tree, listed anew).
        std::function<NodeRef()> shownEntry;
        std::function<void(const NodeRef&)> showList;
        // A drop landed: nothing is left to paste.
        std::function<void()> dropped;
    };
    struct Views {
        QTreeView* tree;
        TreeModel* treeItems;
        QTreeView* list;
        ListModel* listItems;
    };

    DragAndDrop(BmLogic& model, const Views& views, Window window, QObject* parent = nullptr);

    // --- pointer state of drags
    bool glListClick = false;  // a press on a list row is being handled
    bool glTreeDrag = false;   // a drag of the tree has been armed
    bool glCopyKey = false;    // the drop being handled copies
    NodeRef glDragSource;
    NodeRef glDragTarget;

    // The entries a payload of this program names, when it was made while the tree was as it
    // is now; nothing otherwise. DraggedEntry: the first of them.
    std::vector<NodeRef> DraggedEntries(const QMimeData* mime, DragView* origin = nullptr) const;
    NodeRef DraggedEntry(const QMimeData* mime, DragView* origin = nullptr) const;

protected:
    // Presses and releases in the tree's and the list's viewports; never consumes them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMimeData* BeginEntryDrag(DragView from, const std::vector<NodeRef>& entries);
    bool CanDropEntry(const QMimeData* mime, DragView onto, const NodeRef& target);
    bool DropEntry(const QMimeData* mime, Qt::DropAction action, DragView onto,
                   const NodeRef& target);
    bool CanLand(const NodeRef& source, const NodeRef& target) const;

    BmLogic& model_;
    Views views_;
    Window window_;
    DragHooks hooks_;
    QByteArray instance_;  // names this running program in drag payloads
};

}  // namespace pernard::ui
