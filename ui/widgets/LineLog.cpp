#include "ui/widgets/LineLog.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include <algorithm>

namespace pernard::ui {

LineLog::LineLog(QWidget* parent) : QListView(parent), lines_(new QStringListModel(this)) {
    setModel(lines_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void LineLog::clear() { lines_->setStringList({}); }

void LineLog::AppendLine(const QString& line) { AppendLines({line}); }

void LineLog::AppendLines(const QStringList& lines) {
    if (lines.isEmpty()) return;
    if (lines_->rowCount() == 0) {
        lines_->setStringList(lines);
    } else {
        lines_->setStringList(lines_->stringList() + lines);
    }
    scrollToBottom();
}

void LineLog::keyPressEvent(QKeyEvent* event) {
    if (!event->matches(QKeySequence::Copy)) {
        QListView::keyPressEvent(event);
        return;
    }
    QModelIndexList selected = selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList text;
    for (const QModelIndex& index : selected) text << index.data().toString();
    QApplication::clipboard()->setText(text.join('\n'));
}

}  // namespace pernard::ui
