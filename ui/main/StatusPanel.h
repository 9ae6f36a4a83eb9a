#pragma once
// A panel of the main window's status bar: as wide as its text needs (at least its designed
// width), with its whole text as its tool tip, shown as it stands.

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QToolTip>

#include "ui/widgets/QtText.h"

namespace pernard::ui {

class StatusPanel : public QLabel {
public:
    StatusPanel(int leastWidth, QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setMinimumWidth(leastWidth);
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ToolTip) {
            if (text().isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                                   PlainToolTip(text()), this);
            }
            return true;
        }
        return QLabel::event(event);
    }
};

}  // namespace pernard::ui
