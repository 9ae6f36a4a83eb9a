#pragma once
// The log window: result lines of the duplicate check, the empty-folder removal and the
// Favorites save.

#include <QPlainTextEdit>
#include <QStatusBar>

#include "ui/PersistentWindow.h"

namespace pernard::ui {

class TFormLog : public PersistentWindow {
    Q_OBJECT
public:
    explicit TFormLog(QWidget* parent = nullptr);
    QPlainTextEdit* MemoLog;
    QStatusBar* StatusBar;
};

}  // namespace pernard::ui
