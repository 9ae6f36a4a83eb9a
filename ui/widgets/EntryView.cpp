#include "ui/widgets/EntryView.h"

#include <QDrag>
#include <QPainter>
#include <algorithm>

namespace pernard::ui {

void EntryView::startDrag(Qt::DropActions supportedActions) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    QModelIndexList rows{current};
    if (selectionModel()->isRowSelected(current.row(), current.parent())) {
        rows = selectionModel()->selectedRows();
        std::sort(rows.begin(), rows.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    }
    QMimeData* mime = model()->mimeData(rows);
    if (mime == nullptr) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QRect row = visualRect(current);
    if (row.isValid()) drag->setPixmap(viewport()->grab(row));
    // Whatever the drop did is done: nothing is removed here.
    drag->exec(supportedActions, Qt::MoveAction);
}

void EntryView::SetEmptyHint(const QString& hint) {
    if (hint == emptyHint_) return;
    emptyHint_ = hint;
    // Painted over the empty view, and told to screen readers as the view's description.
    setAccessibleDescription(hint);
    viewport()->update();
}

void EntryView::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    if (emptyHint_.isEmpty() || (model() != nullptr && model()->rowCount() > 0)) return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const QRect area = viewport()->rect().adjusted(16, 16, -16, -16);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, emptyHint_);
}

}  // namespace pernard::ui
