#include "ui/widgets/SplitterGrip.h"

#include <QMouseEvent>
#include <QSplitterHandle>

namespace pernard::ui {

SplitterGrip::SplitterGrip(QSplitter* splitter) : QObject(splitter), splitter_(splitter) {
    splitter_->handle(1)->installEventFilter(this);
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { FollowPointer(); });
}

bool SplitterGrip::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int x = qRound(mouse->globalPosition().x());
    if (event->type() == QEvent::MouseButtonPress) {
        // Only a plain left press moves the handle.
        pressed_ = mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier;
        pressX_ = x;
        pressSizes_ = splitter_->sizes();
    } else {
        // Qt places the handle when it handles this release, right after this filter.
        releaseX_ = x;
    }
    return false;
}

void SplitterGrip::FollowPointer() {
    if (!pressed_ || pressSizes_.size() < 2) return;
    pressed_ = false;
    const int moved = releaseX_ - pressX_;
    const int total = pressSizes_[0] + pressSizes_[1];
    const int minimum = splitter_->widget(0)->minimumSizeHint().width();
    const int first = qBound(qMax(1, minimum), pressSizes_[0] + moved, qMax(1, total - 1));
    QList<int> sizes = pressSizes_;
    sizes[0] = first;
    sizes[1] = total - first;
    if (sizes != splitter_->sizes()) splitter_->setSizes(sizes);
}

}  // namespace pernard::ui
