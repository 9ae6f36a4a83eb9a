#include "ui/app/KeyboardHabits.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>

namespace pernard::ui {

namespace {

// Where a keyboard-opened menu belongs: at the current row of a view, else amid the control.
QPoint MenuPlace(QWidget* widget) {
    if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
        const QRect row = view->visualRect(view->currentIndex());
        return row.isValid() ? row.center() : view->viewport()->rect().center();
    }
    return widget->rect().center();
}

}  // namespace

bool ContextMenuKey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::ShiftModifier) return false;
    // The control the key came to first (the one with the focus) opens its menu.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return false;
    const QPoint at = MenuPlace(widget);
    switch (widget->contextMenuPolicy()) {
        case Qt::CustomContextMenu:
            // A view's menus take their place in its viewport, as a press there gives them.
            emit widget->customContextMenuRequested(at);
            return true;
        case Qt::NoContextMenu:
        case Qt::PreventContextMenu:
            return false;
        default: {
            QWidget* target = widget;
            if (auto* view = qobject_cast<QAbstractItemView*>(widget)) target = view->viewport();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
            QApplication::sendEvent(target, &menu);
            return true;
        }
    }
}

void InstallKeyboardHabits() {
    static ContextMenuKey* installed = nullptr;
    if (installed != nullptr || qApp == nullptr) return;
    installed = new ContextMenuKey(qApp);
    qApp->installEventFilter(installed);
}

}  // namespace pernard::ui
