#include "ui/dialogs/Folder.h"

#include <QGridLayout>
#include <QKeyEvent>

#include "ui/app/Fonts.h"
#include "ui/widgets/PersistentWindow.h"
#include "ui/app/Registry.h"

namespace pernard::ui {

TFormFolder::TFormFolder(std::function<void(const QString&)> showMessage, QWidget* parent)
    : QDialog(parent), showMessage_(std::move(showMessage)) {
    setObjectName("TFormFolder");
    setWindowTitle("フォルダー");
    setFont(DesignFont(kPGothic, 12));
    RestoreGeometry(this, "fmFolder", false);
    auto* grid = new QGridLayout(this);
    LabelFolder = new QLabel("フォルダー名", this);
    LabelFolder->setObjectName("LabelFolder");
    EditFolder = new QLineEdit(this);
    EditFolder->setObjectName("EditFolder");
    LabelURL = new QLabel("保存ＵＲＬ", this);
    LabelURL->setObjectName("LabelURL");
    EditSaveURL = new QLineEdit("Link.html", this);
    EditSaveURL->setObjectName("EditSaveURL");
    // The labels name their fields, also for a screen reader.
    LabelFolder->setBuddy(EditFolder);
    LabelURL->setBuddy(EditSaveURL);
    Button1 = new QPushButton("完了(&C)", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = new QPushButton("ｷｬﾝｾﾙ(&E)", this);
    Button2->setObjectName("Button2");
    grid->addWidget(LabelFolder, 0, 0);
    grid->addWidget(EditFolder, 0, 1, 1, 2);
    grid->addWidget(LabelURL, 1, 0);
    grid->addWidget(EditSaveURL, 1, 1, 1, 2);
    LabelSync = new QLabel(this);
    LabelSync->setObjectName("LabelSync");
    LabelSync->setVisible(false);
    grid->addWidget(LabelSync, 2, 0, 1, 3);
    grid->addWidget(Button1, 3, 1);
    grid->addWidget(Button2, 3, 2);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    FixDialogSize(*this, QSize(296, 113));
}

void TFormFolder::ShowSyncAccount(const QString& account) {
    LabelSync->setText(account.isEmpty() ? QString() : "同期: " + account);
    LabelSync->setVisible(!account.isEmpty());
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    FixDialogSize(*this, QSize(296, account.isEmpty() ? 113 : 135));
}

void TFormFolder::Button1Click() {
    if (EditFolder->text().isEmpty()) {
        if (showMessage_) showMessage_("タイトルを指定してください");
        return;
    }
    // The save URL is written as it is after the folder's heading: a "<" or a line break
    // would break the file when it is read again.
    const QString saveUrl = EditSaveURL->text();
    if (saveUrlUse_ == SaveUrlUse::FolderSaveUrl &&
        (saveUrl.contains('<') || saveUrl.contains('\r') || saveUrl.contains('\n'))) {
        if (showMessage_) showMessage_("保存ＵＲＬに「<」や改行は指定できません");
        return;
    }
    accept();
}

void TFormFolder::keyPressEvent(QKeyEvent* event) {
    // Esc cancels only while the folder name has the focus.
    if (event->key() == Qt::Key_Escape && focusWidget() != EditFolder) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormFolder::done(int result) {
    SaveGeometry(this, "fmFolder", false);
    QDialog::done(result);
}

}  // namespace pernard::ui
