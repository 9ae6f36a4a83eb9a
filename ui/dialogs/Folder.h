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
    QLabel* LabelSync;  // the account a synced root syncs with

    // Shows the account a root syncs with under the fields; empty: none.
    void ShowSyncAccount(const QString& account);

    void Button1Click();

    // What EditSaveURL holds: nothing the caller uses (a new folder), a folder's save URL
    // (written into the bookmark file after the folder's heading), or a root's source path.
    enum class SaveUrlUse { Unused, FolderSaveUrl, SourcePath };
    void SetSaveUrlUse(SaveUrlUse use) { saveUrlUse_ = use; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    std::function<void(const QString&)> showMessage_;
    SaveUrlUse saveUrlUse_ = SaveUrlUse::Unused;
};

}  // namespace pernard::ui
