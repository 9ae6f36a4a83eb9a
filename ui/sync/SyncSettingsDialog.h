#pragma once
// ファイル › 同期 › 同期の設定…: links the selected root's bookmark file to a shared file on the
// user's WebDAV server (a Nextcloud server is WebDAV at remote.php/dav/files/USER/, with an app
// password), says when it syncs by itself, and tests the connection before it is kept.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include "sync/SyncLink.h"

namespace pernard::ui {

class TFormSyncSettings : public QDialog {
    Q_OBJECT
public:
    explicit TFormSyncSettings(QWidget* parent = nullptr);

    enum Result { Unlink = 2 };

    // Shows `link` (`linked`: the file is linked now) with its secrets.
    void Show(const sync::SyncLink& link, bool linked, const QString& password,
              const QString& passphrase);
    // The link as the fields say (its local path as shown).
    sync::SyncLink Link() const;
    QString Password() const { return EditPassword->text(); }
    QString Passphrase() const { return EditPassphrase->text(); }
    // 接続テスト: what the server says, in the result box.
    void TestConnection();

    QComboBox* ComboKind;
    QLineEdit* EditUrl;
    QLineEdit* EditUser;
    QLineEdit* EditPassword;
    QLineEdit* EditFileName;
    QComboBox* ComboFormat;
    QLineEdit* EditPassphrase;
    QCheckBox* CheckOnStart;
    QCheckBox* CheckAfterChange;
    QCheckBox* CheckInterval;
    QSpinBox* SpinInterval;
    QPushButton* BtTest;
    QPlainTextEdit* MemoTest;
    QPushButton* BtOk;
    QPushButton* BtUnlink;

private:
    void FormatChosen(int index);
    void accept() override;
    std::string localPath_;
};

}  // namespace pernard::ui
