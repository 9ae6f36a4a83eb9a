#include "ui/tools/BmCheckLog.h"

#include <QVBoxLayout>

#include "ui/app/Fonts.h"

namespace pernard::ui {

TFormLog::TFormLog(QWidget* parent)
    : PersistentWindow("TFormLog", "ログ", "fmCheckLog", parent, QSize(615, 320)) {
    QVBoxLayout* layout = FrameWithCloseMenu(0);
    MemoLog = new LineLog(this);
    MemoLog->setObjectName("MemoLog");
    MemoLog->setFont(DesignFont(kMincho, 12));
    layout->addWidget(MemoLog);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(true);
    layout->addWidget(StatusBar);
}

}  // namespace pernard::ui
