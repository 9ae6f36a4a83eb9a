#include "ui/app/WindowRoles.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace pernard::ui {

namespace {

// The classes of those windows; each is a plain QWidget with the window flag, which Qt would
// expose as a pane of no role of its own.
bool IsOwnWindow(const QWidget& widget) {
    return widget.isWindow() && (widget.inherits("pernard::ui::PersistentWindow") ||
                                 widget.inherits("pernard::ui::TFormBookmark") ||
                                 widget.inherits("pernard::ui::TFormMemo") ||
                                 widget.inherits("pernard::ui::TFormMessage"));
}

QAccessibleInterface* WindowRole(const QString& key, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    // Asked for the object's own class first: the answer for it is the one used.
    if (widget == nullptr || key != QLatin1String(object->metaObject()->className()) ||
        !IsOwnWindow(*widget)) {
        return nullptr;
    }
    return new QAccessibleWidget(widget, QAccessible::Window);
}

}  // namespace

void InstallWindowRoles() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(WindowRole);
}

}  // namespace pernard::ui
