#include "ui/main/DragDrop.h"

#include <QMouseEvent>
#include <QUuid>
#include <algorithm>

#include "ui/main/ListModel.h"
#include "ui/main/TreeModel.h"

namespace pernard::ui {

DragAndDrop::DragAndDrop(BmLogic& model, const Views& views, Window window, QObject* parent)
    : QObject(parent), model_(model), views_(views), window_(std::move(window)) {
    instance_ = QUuid::createUuid().toRfc4122();
    hooks_.start = [this](DragView from, const std::vector<NodeRef>& entries) {
        return BeginEntryDrag(from, entries);
    };
    hooks_.canDrop = [this](const QMimeData* mime, DragView onto, const NodeRef& target) {
        return CanDropEntry(mime, onto, target);
    };
    hooks_.drop = [this](const QMimeData* mime, Qt::DropAction action, DragView onto,
                         const NodeRef& target) { return DropEntry(mime, action, onto, target); };
    views_.treeItems->SetDragHooks(&hooks_);
    views_.listItems->SetDragHooks(&hooks_);
    for (QTreeView* view : {views_.tree, views_.list}) {
        view->setDragEnabled(true);
        view->setAcceptDrops(true);
        view->setDropIndicatorShown(true);
        view->setDragDropMode(QAbstractItemView::DragDrop);
        view->setDefaultDropAction(Qt::MoveAction);
        // Every drop lands on an item: near a row's edge Qt would report "between rows".
        view->setDragDropOverwriteMode(true);
        view->viewport()->installEventFilter(this);
    }
    // The press that opens a node arms no drag of its own.
    connect(views_.tree, &QTreeView::expanded, this, [this] { glTreeDrag = true; });
}

bool DragAndDrop::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (watched == views_.tree->viewport()) {
        if (type == QEvent::MouseButtonRelease) {
            glTreeDrag = false;
        } else if (mouse->button() == Qt::LeftButton) {
            const NodeRef pressed = model_.Tree().Ref(
                TreeModel::NodeOf(views_.tree->indexAt(mouse->position().toPoint())));
            glDragSource = pressed;
            glDragTarget = pressed;
            glTreeDrag = true;
        }
    } else if (watched == views_.list->viewport()) {
        // A press on empty space leaves the current entry as it is.
        if (type == QEvent::MouseButtonRelease ||
            !views_.list->indexAt(mouse->position().toPoint()).isValid()) {
            glListClick = false;
        }
    }
    return false;
}

QMimeData* DragAndDrop::BeginEntryDrag(DragView from, const std::vector<NodeRef>& entries) {
    const NodeRef entry = entries.empty() ? NodeRef{} : entries.front();
    const int index = model_.IndexOf(entry);
    if (index < 0) return nullptr;
    EntryDrag drag{instance_, model_.Tree().Version(), index, entry.serial, from};
    for (std::size_t k = 1; k < entries.size(); ++k) {
        const int other = model_.IndexOf(entries[k]);
        if (other >= 0) drag.more.emplace_back(other, entries[k].serial);
    }
    glDragSource = entry;
    glDragTarget = entry;
    // The drag itself shows that the press that began it is being handled.
    if (from == DragView::Tree) {
        glTreeDrag = true;
    } else {
        glListClick = true;
    }
    return NewEntryMime(drag);
}

NodeRef DragAndDrop::DraggedEntry(const QMimeData* mime, DragView* origin) const {
    const std::vector<NodeRef> entries = DraggedEntries(mime, origin);
    return entries.empty() ? NodeRef{} : entries.front();
}

std::vector<NodeRef> DragAndDrop::DraggedEntries(const QMimeData* mime, DragView* origin) const {
    const std::optional<EntryDrag> drag = ReadEntryMime(mime);
    // Another program, another instance of this one, or a drag begun before the tree changed.
    if (!drag || drag->instance != instance_ || drag->version != model_.Tree().Version() ||
        drag->index < 0 || drag->index >= model_.glCT) {
        return {};
    }
    std::vector<std::pair<qint64, quint64>> named{{drag->index, drag->serial}};
    named.insert(named.end(), drag->more.begin(), drag->more.end());
    std::vector<NodeRef> entries;
    for (const auto& [index, serial] : named) {
        if (index < 0 || index >= model_.glCT) return {};
        const NodeRef entry = model_.RefOf(static_cast<int>(index));
        if (entry.serial != serial) return {};
        entries.push_back(entry);
    }
    if (origin != nullptr) *origin = drag->origin;
    return entries;
}

bool DragAndDrop::CanLand(const NodeRef& source, const NodeRef& target) const {
    return model_.CanDrop(model_.Tree().Resolve(source), model_.Tree().Resolve(target));
}

bool DragAndDrop::CanDropEntry(const QMimeData* mime, DragView onto, const NodeRef& target) {
    const std::vector<NodeRef> sources = DraggedEntries(mime);
    if (sources.empty()) return false;
    // Over the tree the target is the node under the pointer (none over empty space); over
    // the list, the row under it, and over empty space the row last passed over.
    if (onto == DragView::Tree || model_.IndexOf(target) >= 0) glDragTarget = target;
    return std::all_of(sources.begin(), sources.end(),
                       [this](const NodeRef& source) { return CanLand(source, glDragTarget); });
}

bool DragAndDrop::DropEntry(const QMimeData* mime, Qt::DropAction action, DragView onto,
                            const NodeRef& target) {
    DragView origin = DragView::Tree;
    const std::vector<NodeRef> sources = DraggedEntries(mime, &origin);
    if (!CanDropEntry(mime, onto, target)) return false;
    const NodeRef source = sources.front();
    // Ctrl held at the drop, or the setting, makes it a copy.
    glCopyKey = action == Qt::CopyAction;
    const bool keep = glCopyKey || window_.keepsSource();
    TreeNode* sourceNode = model_.Tree().Resolve(source);
    TreeNode* targetNode = model_.Tree().Resolve(glDragTarget);
    bool moved = false;
    if (origin == DragView::Tree) {
        if (!glTreeDrag) return false;
        window_.changeTable([&] {
            const int landed = model_.DropMove(sourceNode, targetNode, keep);
            moved = landed >= 0;
            return moved ? model_.RefOf(landed) : NodeRef{};
        });
        if (!moved) return false;
        glTreeDrag = false;
        window_.dropped();
        model_.CheckConsistency("End Drag", true);
        return true;
    }
    if (!glListClick) return false;
    // The list shows the folder it showed before, wherever the move shifted it.
    const NodeRef shown = window_.shownEntry();
    window_.changeTable([&] {
        if (sources.size() > 1) {
            moved = model_.TransferEntries(sources, model_.IndexOf(targetNode), keep,
                                           keep ? "コピー" : "移動") >= 0;
        } else {
            moved = model_.DropMove(sourceNode, targetNode, keep) >= 0;
        }
        return moved ? shown : NodeRef{};
    });
    glListClick = false;
    if (!moved) return false;
    if (model_.IndexOf(shown) >= 0) window_.showList(shown);
    model_.CheckConsistency("End Drag LView", true);
    return true;
}

}  // namespace pernard::ui
