#pragma once
// The tree and the list of the main window: item views whose drags carry the highlighted rows'
// entries (the row pressed when it is not highlighted) and leave the rows alone afterwards. (Qt's
// own drag removes the dragged rows from the source model after a move; here the drop itself moves
// the entry, and removing anything more would lose it.)

#include <QTreeView>

namespace pernard::ui {

class EntryView : public QTreeView {
    Q_OBJECT
public:
    using QTreeView::QTreeView;
    // A text shown in the middle of the view while it has no rows; empty shows nothing.
    void SetEmptyHint(const QString& hint);
    const QString& EmptyHint() const { return emptyHint_; }

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString emptyHint_;
};

}  // namespace pernard::ui
