#include "ui/BmCheckLog.h"

#include <QMenuBar>
#include <QVBoxLayout>

#include "ui/Fonts.h"

namespace pernard::ui {

TFormLog::TFormLog(QWidget* parent)
    : PersistentWindow("TFormLog", "ログ", "fmCheckLog", parent, QSize(615, 320)) {
    setFont(DesignFont(kPGothic, 12));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* menu = new QMenuBar(this);
    menu->addAction("閉じる(&C)", this, &QWidget::close);
    layout->setMenuBar(menu);
    MemoLog = new LineLog(this);
    MemoLog->setObjectName("MemoLog");
    MemoLog->setFont(DesignFont(kMincho, 12));
    MemoLog->AppendLine("MemoLog");
    layout->addWidget(MemoLog);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(true);
    layout->addWidget(StatusBar);
}

}  // namespace pernard::ui
