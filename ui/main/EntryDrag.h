#pragma once
// Dragging entries of the collection within the main window, from the tree (one entry) or the
// list (its highlighted rows) onto either of them. The payload names the entries, this running
// program and the tree's state when the drag began, so that a drop from another program or another
// instance, or one made after the collection changed, is recognised and refused. The item models
// hand drags and drops to the window through DragHooks.

#include <QByteArray>
#include <QMimeData>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "model/storage/TreeNodes.h"

namespace pernard::ui {

inline constexpr const char* kEntryMimeType = "application/x-pernard-entry";

enum class DragView { Tree, List };

struct EntryDrag {
    QByteArray instance;  // identifies the running program
    quint64 version = 0;  // TreeNodes::Version() when the drag began
    qint64 index = -1;    // the (first) entry's index then
    quint64 serial = 0;   // and its node's serial
    DragView origin = DragView::Tree;
    // The other entries dragged with it: their indices then and their nodes' serials.
    std::vector<std::pair<qint64, quint64>> more = {};
};

QMimeData* NewEntryMime(const EntryDrag& drag);
// The payload of a drag of this program's kind; nothing for anything else or a damaged one.
std::optional<EntryDrag> ReadEntryMime(const QMimeData* mime);

struct DragHooks {
    // The payload for a drag of `entries`; nullptr refuses the drag.
    std::function<QMimeData*(DragView from, const std::vector<NodeRef>& entries)> start;
    // Whether a drop on `target` (empty: empty space) of view `onto` would be taken.
    std::function<bool(const QMimeData*, DragView onto, const NodeRef& target)> canDrop;
    std::function<bool(const QMimeData*, Qt::DropAction, DragView onto, const NodeRef& target)>
        drop;
};

}  // namespace pernard::ui
