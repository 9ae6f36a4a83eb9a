#include "ui/EntryView.h"

#include <QDrag>

namespace pernard::ui {

void EntryView::startDrag(Qt::DropActions supportedActions) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    QMimeData* mime = model()->mimeData({current});
    if (mime == nullptr) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QRect row = visualRect(current);
    if (row.isValid()) drag->setPixmap(viewport()->grab(row));
    // Whatever the drop did is done: nothing is removed here.
    drag->exec(supportedActions, Qt::MoveAction);
}

}  // namespace pernard::ui
