#pragma once
// The URL dialog: a bookmark's title, address and three dates.

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace pernard::ui {

class TFormURL : public QDialog {
    Q_OBJECT
public:
    // `showMessage` shows a message box.
    explicit TFormURL(std::function<void(const QString&)> showMessage, QWidget* parent = nullptr);
    QLineEdit *EditTitle, *EditURL, *EditAdd, *EditVisit, *EditLast;
    QPushButton *Button1, *Button2;
    QCheckBox* CheckBuffer;

    void Button1Click();
    void CheckBufferClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    std::function<void(const QString&)> showMessage_;
};

}  // namespace pernard::ui
