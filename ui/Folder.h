#pragma once
// The folder dialog: a folder's name and its save URL.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace pernard::ui {

class TFormFolder : public QDialog {
    Q_OBJECT
public:
    explicit TFormFolder(std::function<void(const QString&)> showMessage,
                         QWidget* parent = nullptr);
    QLabel *LabelFolder, *LabelURL;
    QLineEdit *EditFolder, *EditSaveURL;
    QPushButton *Button1, *Button2;

    void Button1Click();

protected:
    void done(int result) override;

private:
    std::function<void(const QString&)> showMessage_;
};

}  // namespace pernard::ui
