#pragma once
// The log window: result lines of the duplicate check, the empty-folder removal and the
// Favorites save.

#include <QStatusBar>

#include "ui/widgets/LineLog.h"
#include "ui/widgets/PersistentWindow.h"

namespace pernard::ui {

class TFormLog : public PersistentWindow {
    Q_OBJECT
public:
    explicit TFormLog(QWidget* parent = nullptr);
    LineLog* MemoLog;  // takes hundreds of thousands of lines at once
    QStatusBar* StatusBar;
};

}  // namespace pernard::ui
