#include "ui/tools/PopMessage.h"

#include <QApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/app/Fonts.h"

namespace pernard::ui {

TFormMessage::TFormMessage(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("TFormMessage");
    setWindowTitle("検索実行中");
    setFixedSize(301, 44);
    // A note while the program works: it must not take the keys from the window the user is in
    // (after a delete, Ctrl+Z must still reach the main window).
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 0));
    setPalette(palette);
    auto* layout = new QVBoxLayout(this);
    LabelMessage = new QLabel("しばらく お待ち下さい.．．．．．", this);
    LabelMessage->setObjectName("LabelMessage");
    LabelMessage->setFont(DesignFont(kPGothic, 16, true));
    LabelMessage->setStyleSheet("color: blue;");
    LabelMessage->setAlignment(Qt::AlignCenter);
    layout->addWidget(LabelMessage);
}

void TFormMessage::Show(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormMessage::Close() { hide(); }

}  // namespace pernard::ui
