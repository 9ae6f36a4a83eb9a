#pragma once
// The version window.

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>

namespace pernard::ui {

class TFormVersion : public QDialog {
    Q_OBJECT
public:
    // `openAddress` opens the support page (the message window and the shell are the caller's).
    TFormVersion(std::function<void(const QString&)> openAddress, QWidget* parent = nullptr);
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* LabelSupport;
    QLabel* Label7;
    QPushButton* Button1;

    static QString SupportAddress();
    static QString ContactAddress();
    static QString VersionCaption();

    void LabelSupportClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<void(const QString&)> openAddress_;
};

}  // namespace pernard::ui
