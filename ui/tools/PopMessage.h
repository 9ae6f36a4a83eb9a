#pragma once
// The "please wait" window shown while a long operation runs. Its title carries the text of
// the operation; its body always asks the user to wait.

#include <QLabel>
#include <QWidget>

#include "model/Ports.h"

namespace pernard::ui {

class TFormMessage : public QWidget, public ProgressPort {
    Q_OBJECT
public:
    explicit TFormMessage(QWidget* parent = nullptr);
    QLabel* LabelMessage;

    // Shows the window with `caption` as its title and lets it paint once.
    void Show(const std::string& caption) override;
    void Close() override;
};

}  // namespace pernard::ui
