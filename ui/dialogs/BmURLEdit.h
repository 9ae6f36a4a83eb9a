#pragma once
// The URL dialog: a bookmark's title, address and three dates.

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string_view>

#include "model/Ports.h"

namespace pernard::ui {

class TFormURL : public QDialog, public UrlFieldsPort {
    Q_OBJECT
public:
    // `showMessage` shows a message box.
    explicit TFormURL(std::function<void(const QString&)> showMessage, QWidget* parent = nullptr);
    QLineEdit *EditTitle, *EditURL, *EditAdd, *EditVisit, *EditLast;
    QPushButton *Button1, *Button2;
    QCheckBox* CheckBuffer;

    void Button1Click();
    void CheckBufferClick();
    void RememberUrlFields(const EntryTexts& fields) override;
    // The bookmark's description and tags, as the title field's tool tip (the dialog's fixed
    // layout has no room for a text of any length); empty for none.
    void ShowNotes(const QString& notes);

    // A seconds text as the date fields show it ("yyyy/MM/dd" in UTC+9), empty for none or
    // "never"; today's date is shown the same way.
    static QString DateFieldText(std::string_view seconds);
    static QString Today();

    // The clipboard's text as an address: its first line, trimmed, without control characters.
    static QString AddressFromClipboard(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    std::function<void(const QString&)> showMessage_;
};

}  // namespace pernard::ui
