#pragma once
// The URL list report window: writes the bookmarks the main window's list shows as an HTML page
// into the link directory.

#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <functional>

#include "model/BmLogic.h"
#include "report/UrlListReport.h"
#include "ui/widgets/PersistentWindow.h"

namespace pernard::ui {

// What the main window's list shows: the folder (-1 when none) and whether it is expanded.
struct ListedFolder {
    int folder = -1;
    bool expanded = false;
};

struct UrlListLinks {
    std::function<ListedFolder()> listed;
    std::function<std::string(int entry)> remarkOf;  // the list's 備考 of an entry
    std::function<QString()> linkDirectory;
    std::function<void(const QString&)> showMessage;
    std::function<void(const QString&)> showResult;  // panel 0 of the main window
    DialogPort* dialogs = nullptr;
};

class TFormURLLIST : public PersistentWindow {
    Q_OBJECT
public:
    TFormURLLIST(const BmLogic& model, QWidget* parent = nullptr);
    void SetLinks(UrlListLinks links) { links_ = std::move(links); }

    // Fills the fields from the folder the list shows and shows the window.
    void Open();
    void Button2Click();  // 実行
    void Button3Click();  // 保存ﾌｧｲﾙ
    // Writes the report to `path`; false with the error text.
    bool SaveUrlList(const std::string& path, std::string& errorText);

    QLineEdit* EditSaveDir;
    QPushButton* Button3;
    QLineEdit* EditTitle;
    QLineEdit* EditColor;
    QPushButton* Button2;
    QPushButton* Button1;
    QStatusBar* StatusBar;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const BmLogic& model_;
    UrlListLinks links_;
    bool chosenInDialog_ = false;  // EditSaveDir holds a full path chosen with 保存ﾌｧｲﾙ
};

}  // namespace pernard::ui
