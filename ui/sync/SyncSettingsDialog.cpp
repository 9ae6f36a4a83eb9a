#include "ui/sync/SyncSettingsDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "sync/ConnectionCheck.h"
#include "ui/sync/SyncRunner.h"
#include "ui/widgets/QtText.h"
#include "webdav/CurlWebDav.h"

namespace pernard::ui {

namespace {

QLineEdit* SecretEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

// The file name with the extension of `format` in place of a known one.
QString WithExtension(QString name, sync::SharedFormat format) {
    for (const QString& known : {QStringLiteral(".xbel"), QStringLiteral(".html")}) {
        if (name.endsWith(known, Qt::CaseInsensitive)) name.chop(known.size());
    }
    return name + (format == sync::SharedFormat::Html ? ".html" : ".xbel");
}

}  // namespace

TFormSyncSettings::TFormSyncSettings(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormSyncSettings");
    setWindowTitle("同期の設定");
    auto* form = new QFormLayout;
    const auto add = [this, form](const QString& caption, QWidget* field, const char* name) {
        field->setObjectName(name);
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    ComboKind = new QComboBox(this);
    ComboKind->addItem("WebDAV");
    add("種類(&K):", ComboKind, "ComboKind");
    EditUrl = new QLineEdit(this);
    EditUrl->setPlaceholderText("https://example.jp/remote.php/dav/files/ユーザー名/");
    add("URL(&U):", EditUrl, "EditUrl");
    auto* hint = new QLabel("Nextcloud では remote.php/dav/files/ユーザー名/ のフォルダーを、"
                            "アプリ用パスワードとともに指定します",
                            this);
    hint->setWordWrap(true);
    form->addRow(QString(), hint);
    EditUser = new QLineEdit(this);
    add("ユーザー名(&N):", EditUser, "EditUser");
    EditPassword = SecretEdit(this);
    add("パスワード(&P):", EditPassword, "EditPassword");
    EditFileName = new QLineEdit(this);
    add("ファイル名(&F):", EditFileName, "EditFileName");
    ComboFormat = new QComboBox(this);
    ComboFormat->addItem("XBEL");
    ComboFormat->addItem("HTML");
    add("形式(&M):", ComboFormat, "ComboFormat");
    EditPassphrase = SecretEdit(this);
    EditPassphrase->setPlaceholderText("暗号化しないときは空のまま");
    add("暗号化のパスフレーズ(&E):", EditPassphrase, "EditPassphrase");

    CheckOnStart = new QCheckBox("起動時(&S)", this);
    CheckOnStart->setObjectName("CheckOnStart");
    CheckAfterChange = new QCheckBox("変更の後(&A)", this);
    CheckAfterChange->setObjectName("CheckAfterChange");
    CheckInterval = new QCheckBox("間隔(&I)", this);
    CheckInterval->setObjectName("CheckInterval");
    SpinInterval = new QSpinBox(this);
    SpinInterval->setObjectName("SpinInterval");
    SpinInterval->setRange(1, sync::kLongestSyncInterval);
    SpinInterval->setSuffix(" 分");
    SpinInterval->setAccessibleName("同期の間隔");
    auto* automatic = new QHBoxLayout;
    automatic->addWidget(CheckOnStart);
    automatic->addWidget(CheckAfterChange);
    automatic->addWidget(CheckInterval);
    automatic->addWidget(SpinInterval);
    automatic->addStretch();
    auto* automaticLabel = new QLabel("自動同期:", this);
    automaticLabel->setBuddy(CheckOnStart);
    form->addRow(automaticLabel, automatic);

    BtTest = new QPushButton("接続テスト(&T)", this);
    BtTest->setObjectName("BtTest");
    MemoTest = new QPlainTextEdit(this);
    MemoTest->setObjectName("MemoTest");
    MemoTest->setReadOnly(true);
    MemoTest->setAccessibleName("接続テストの結果");
    MemoTest->setMinimumHeight(90);

    BtOk = new QPushButton("OK", this);
    BtOk->setObjectName("BtOk");
    BtOk->setDefault(true);
    auto* cancel = new QPushButton("キャンセル", this);
    cancel->setObjectName("BtCancel");
    BtUnlink = new QPushButton("同期を解除(&R)", this);
    BtUnlink->setObjectName("BtUnlink");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtTest);
    buttons->addWidget(BtUnlink);
    buttons->addStretch();
    buttons->addWidget(BtOk);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(MemoTest);
    layout->addLayout(buttons);
    resize(560, 480);

    connect(BtTest, &QPushButton::clicked, this, &TFormSyncSettings::TestConnection);
    connect(BtOk, &QPushButton::clicked, this, &TFormSyncSettings::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtUnlink, &QPushButton::clicked, this, [this] { done(Unlink); });
    connect(ComboFormat, &QComboBox::activated, this, &TFormSyncSettings::FormatChosen);
    connect(EditFileName, &QLineEdit::textEdited, this, [this](const QString& name) {
        ComboFormat->setCurrentIndex(sync::FormatForName(Bytes(name)) == sync::SharedFormat::Html);
    });
    connect(CheckInterval, &QCheckBox::toggled, SpinInterval, &QWidget::setEnabled);
}

void TFormSyncSettings::Show(const sync::SyncLink& link, bool linked, const QString& password,
                             const QString& passphrase) {
    localPath_ = link.localPath;
    EditUrl->setText(Text(link.folderUrl));
    EditUser->setText(Text(link.user));
    EditPassword->setText(password);
    EditFileName->setText(Text(link.fileName));
    ComboFormat->setCurrentIndex(link.Format() == sync::SharedFormat::Html);
    EditPassphrase->setText(passphrase);
    CheckOnStart->setChecked(link.onStart);
    CheckAfterChange->setChecked(link.afterChange);
    CheckInterval->setChecked(link.intervalMinutes > 0);
    SpinInterval->setValue(link.intervalMinutes > 0 ? link.intervalMinutes : 15);
    SpinInterval->setEnabled(link.intervalMinutes > 0);
    MemoTest->clear();
    BtUnlink->setVisible(linked);
    EditUrl->setFocus();
}

sync::SyncLink TFormSyncSettings::Link() const {
    sync::SyncLink link;
    link.localPath = localPath_;
    link.folderUrl = sync::NormalisedFolderUrl(Bytes(EditUrl->text()));
    link.user = Bytes(EditUser->text().trimmed());
    link.fileName = Bytes(EditFileName->text().trimmed());
    link.encrypted = !EditPassphrase->text().isEmpty();
    link.onStart = CheckOnStart->isChecked();
    link.afterChange = CheckAfterChange->isChecked();
    link.intervalMinutes = CheckInterval->isChecked() ? SpinInterval->value() : 0;
    return link;
}

void TFormSyncSettings::FormatChosen(int index) {
    const auto format = index == 1 ? sync::SharedFormat::Html : sync::SharedFormat::Xbel;
    EditFileName->setText(WithExtension(EditFileName->text().trimmed(), format));
}

void TFormSyncSettings::TestConnection() {
    const sync::SyncLink link = Link();
    if (const std::string problem = sync::LinkProblem(link); !problem.empty()) {
        MemoTest->setPlainText(Text(problem));
        return;
    }
    WebDavSettings settings;
    settings.folderUrl = link.folderUrl;
    settings.user = link.user;
    settings.password = Bytes(EditPassword->text());
    settings.totalTimeoutMs = 60000;
    MemoTest->setPlainText("接続しています…");
    BtTest->setEnabled(false);
    sync::ConnectionReport report;
    RunResponsive([&] {
        CurlWebDav server(settings);
        report = sync::CheckConnection(server, link.fileName);
    });
    BtTest->setEnabled(true);
    QString text;
    for (const std::string& line : report.lines) text += Text(line) + "\n";
    MemoTest->setPlainText(text.trimmed());
}

void TFormSyncSettings::accept() {
    if (const std::string problem = sync::LinkProblem(Link()); !problem.empty()) {
        MemoTest->setPlainText(Text(problem));
        return;
    }
    QDialog::accept();
}

}  // namespace pernard::ui
