#pragma once
// Makes a splitter's handle move by exactly what the pointer moved between press and release:
// a press and release in place changes nothing, a drag of 40 pixels widens the first pane by
// 40. (Qt's own handle places the pane from the pointer's position within the handle, which
// can shift it by a pixel even when the pointer never moved.)

#include <QList>
#include <QObject>
#include <QSplitter>

namespace pernard::ui {

class SplitterGrip : public QObject {
public:
    // Watches the handle between the first and the second pane of `splitter`.
    explicit SplitterGrip(QSplitter* splitter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowPointer();

    QSplitter* splitter_;
    bool pressed_ = false;
    int pressX_ = 0;
    int releaseX_ = 0;
    QList<int> pressSizes_;
};

}  // namespace pernard::ui
