#pragma once
// The memo window: debug text of the reader and the consistency check.

#include <QPlainTextEdit>
#include <QStatusBar>
#include <QWidget>

namespace pernard::ui {

class TFormMemo : public QWidget {
    Q_OBJECT
public:
    explicit TFormMemo(QWidget* parent = nullptr);
    QPlainTextEdit* Memo1;
    QStatusBar* StatusBar;
};

}  // namespace pernard::ui
