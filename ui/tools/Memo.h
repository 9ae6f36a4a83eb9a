#pragma once
// The memo window: debug text of the reader and the consistency check.

#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStringList>
#include <QWidget>

namespace pernard::ui {

class TFormMemo : public QWidget {
    Q_OBJECT
public:
    explicit TFormMemo(QWidget* parent = nullptr);
    // Adds a line at the end. While the window is hidden the lines wait and go in at once when
    // it is shown: laid out one by one as a read echoes them, they took longer than the read
    // of a large file.
    void AppendLine(const QString& line);
    void ClearLines();
    // The lines the memo holds, shown or waiting.
    int LineCount() const;
    QPlainTextEdit* Memo1;
    QStatusBar* StatusBar;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowWaitingLines();
    QStringList waiting_;
};

}  // namespace pernard::ui
