#include "ui/widgets/PersistentWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QShortcut>

#include "ui/app/Fonts.h"
#include "ui/app/Registry.h"

namespace pernard::ui {

PersistentWindow::PersistentWindow(const QString& objectName, const QString& caption,
                                   const QString& prefix, QWidget* parent, QSize designSize)
    : QWidget(parent, Qt::Window), prefix_(prefix) {
    setObjectName(objectName);
    setWindowTitle(caption);
    resize(designSize);
    RestoreGeometry(this, prefix_, true);
    CloseWithEscape(this);
}

QVBoxLayout* PersistentWindow::FrameWithCloseMenu(int sideMargin) {
    setFont(DesignFont(kPGothic, 12));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(sideMargin, 0, sideMargin, 0);
    menu_ = new QMenuBar(this);
    menu_->addAction("閉じる(&C)", this, &QWidget::close)->setObjectName("Close1");
    layout->setMenuBar(menu_);
    return layout;
}

void PersistentWindow::StoreGeometry() { SaveGeometry(this, prefix_, true); }

void PersistentWindow::closeEvent(QCloseEvent* event) {
    StoreGeometry();
    event->accept();
}

namespace {

// Closes its window on an Escape that reaches the window unhandled. The shortcut below needs a
// focus widget inside an active window; Windows' platform (and a window that has no focus widget
// yet) delivers the key to the window without one, and this takes it there.
class EscapeCloser : public QObject {
public:
    explicit EscapeCloser(QWidget* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_ || event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier) return false;
        // A held key closes this window only, not each window that comes to the front after it.
        if (key->isAutoRepeat()) return false;
        window_->close();
        return true;
    }

private:
    QWidget* window_;
};

}  // namespace

void CloseWithEscape(QWidget* window) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setObjectName("EscapeCloses");
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
    window->installEventFilter(new EscapeCloser(window));
}

void FixDialogSize(QWidget& dialog, QSize design) {
    dialog.setFixedSize(design.expandedTo(dialog.minimumSizeHint()));
}

void ShowInFront(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace pernard::ui
