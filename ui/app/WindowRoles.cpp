#include "ui/app/WindowRoles.h"

#include <QAccessibleWidget>
#include <QWidget>

#include "ui/dialogs/Bookmark.h"
#include "ui/tools/Memo.h"
#include "ui/tools/PopMessage.h"
#include "ui/widgets/PersistentWindow.h"

namespace pernard::ui {

namespace {

// The classes of those windows; each is a plain QWidget with the window flag, which Qt would
// expose as a pane of no role of its own.
bool IsOwnWindow(const QWidget& widget) {
    QWidget* window = const_cast<QWidget*>(&widget);
    return widget.isWindow() &&
           (qobject_cast<PersistentWindow*>(window) != nullptr ||
            qobject_cast<TFormBookmark*>(window) != nullptr ||
            qobject_cast<TFormMemo*>(window) != nullptr ||
            qobject_cast<TFormMessage*>(window) != nullptr);
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
