#pragma once
// Keys a Windows user reaches for in every window, kept in one place: Shift+F10 opens the
// context menu of the control with the focus, as the Menu key does.

#include <QObject>

namespace pernard::ui {

class ContextMenuKey : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Installs the key on the running application (once).
void InstallKeyboardHabits();

}  // namespace pernard::ui
