#include "ui/PersistentWindow.h"

#include <QCloseEvent>

#include "ui/Registry.h"

namespace pernard::ui {

PersistentWindow::PersistentWindow(const QString& objectName, const QString& caption,
                                   const QString& prefix, QWidget* parent, QSize designSize)
    : QWidget(parent, Qt::Window), prefix_(prefix) {
    setObjectName(objectName);
    setWindowTitle(caption);
    resize(designSize);
    RestoreGeometry(this, prefix_, true);
}

void PersistentWindow::closeEvent(QCloseEvent* event) {
    SaveGeometry(this, prefix_, true);
    event->accept();
}

}  // namespace pernard::ui
