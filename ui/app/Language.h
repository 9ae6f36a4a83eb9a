#pragma once
// The program speaks Japanese whatever the system's locale: Qt's own texts (file dialogs, the
// context menus of text fields, standard buttons) come from Qt's Japanese translation.

#include <QCoreApplication>

namespace pernard::ui {

// Makes Japanese the program's locale and installs Qt's Japanese translation when it is
// found; false when it is not (Qt's texts then stay in English).
bool InstallJapanese(QCoreApplication& application);

}  // namespace pernard::ui
