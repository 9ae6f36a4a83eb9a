#pragma once
// A top-level window that restores its position and size when it is created and stores them
// whenever it is closed; Escape closes it.

#include <QMenuBar>
#include <QVBoxLayout>
#include <QWidget>

namespace pernard::ui {

class PersistentWindow : public QWidget {
    Q_OBJECT
public:
    PersistentWindow(const QString& objectName, const QString& caption, const QString& prefix,
                     QWidget* parent = nullptr, QSize designSize = QSize(400, 300));

    // Stores the position and size now (the program ends with the window open, and windows
    // are not closed one by one then).
    void StoreGeometry();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The frame the program's tool windows share: the design font, a menu bar holding
    // "閉じる(&C)" (Close1), and below it the layout of the contents, `sideMargin` pixels in.
    QVBoxLayout* FrameWithCloseMenu(int sideMargin);
    QMenuBar* Menu() const { return menu_; }

private:
    QString prefix_;
    QMenuBar* menu_ = nullptr;
};

// Escape closes `window` (a window of its own that is no dialog), wherever the focus is in it.
void CloseWithEscape(QWidget* window);

// Gives a dialog its designed size, grown only as far as its contents need with the fonts at
// hand, and keeps it there.
void FixDialogSize(QWidget& dialog, QSize design);

// Shows `window`, or brings it to the front with the keyboard focus when it is already open
// behind another window.
void ShowInFront(QWidget* window);

}  // namespace pernard::ui
