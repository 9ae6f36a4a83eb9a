#include "ui/tools/FormHttp.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QVBoxLayout>

#include "ui/tools/CheckResultList.h"
#include "ui/app/Registry.h"

namespace pernard::ui {

namespace {

// The fields kept across runs; the password never is.
struct StoredField {
    const char* key;
    QLineEdit* TFormHTTP::*field;
    const char* fallback;
};
const StoredField kStoredFields[] = {
    {"fmHTTP.Thread", &TFormHTTP::EditThread, "8"},
    {"fmHTTP.Priority", &TFormHTTP::EditPriority, "3"},
    {"fmHTTP.Interval", &TFormHTTP::EditInterval, "100"},
    {"fmHTTP.TimeOut", &TFormHTTP::EditTimeOut, "1"},
    {"fmHTTP.Cookie", &TFormHTTP::EditCookie, ""},
    {"fmHTTP.EMail", &TFormHTTP::EditEMail, ""},
    {"fmHTTP.LocalProgram", &TFormHTTP::EditLocalProgram, ""},
    {"fmHTTP.Referer", &TFormHTTP::EditReferer, ""},
    {"fmHTTP.UserID", &TFormHTTP::EditUserID, ""},
};

}  // namespace

TFormHTTP::TFormHTTP(QWidget* parent)
    : PersistentWindow("TFormHTTP", "ＨＴＴＰ 取得", "fmHTTP", parent, QSize(720, 640)) {
    QVBoxLayout* layout = FrameWithCloseMenu(4);
    ArBody1 = Menu()->addAction("ArBody(&A)");
    ArBody1->setObjectName("ArBody1");

    auto* form = new QFormLayout;
    ComboTarget = new QComboBox(this);
    ComboTarget->setObjectName("ComboTarget");
    ComboTarget->addItems({"Header", "Body"});
    form->addRow("取得対象", ComboTarget);
    auto edit = [&](const char* name, const char* caption) {
        auto* field = new QLineEdit(this);
        field->setObjectName(name);
        form->addRow(caption, field);
        return field;
    };
    EditThread = edit("EditThread", "スレッド数");
    EditPriority = edit("EditPriority", "優先度");
    EditInterval = edit("EditInterval", "間隔 (ミリ秒)");
    EditTimeOut = edit("EditTimeOut", "タイムアウト (分)");
    EditCookie = edit("EditCookie", "Cookie");
    EditEMail = edit("EditEMail", "E-Mail Address");
    EditLocalProgram = edit("EditLocalProgram", "Local Program");
    EditReferer = edit("EditReferer", "Referer");
    EditUserID = edit("EditUserID", "UserID");
    EditPassword = edit("EditPassword", "Password");
    EditPassword->setEchoMode(QLineEdit::Password);
    layout->addLayout(form);
    MemoLog = new QPlainTextEdit(this);
    MemoLog->setObjectName("MemoLog");
    MemoLog->setReadOnly(true);
    MemoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoLog->setMaximumBlockCount(100000);
    layout->addWidget(MemoLog, 1);
    Results = new CheckResultList(this);
    layout->addWidget(Results, 2);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    for (int panel = 0; panel < kHttpPanels; ++panel) {
        auto* label = new QLabel(StatusBar);
        label->setObjectName(QString("Panel%1").arg(panel));
        StatusBar->addWidget(label, panel == kHttpPanels - 1 ? 1 : 0);
        panels_[static_cast<std::size_t>(panel)] = label;
    }
    layout->addWidget(StatusBar);
    for (const StoredField& stored : kStoredFields) {
        (this->*stored.field)
            ->setText(Registry::ReadText(kWindowSection, stored.key, stored.fallback));
    }
    ComboTarget->setCurrentIndex(Registry::ReadInteger(kWindowSection, "fmHTTP.Target", 0, 0, 1));
}

void TFormHTTP::SetPanel(int panel, const QString& text) {
    if (panel >= 0 && panel < kHttpPanels) panels_[static_cast<std::size_t>(panel)]->setText(text);
}

QString TFormHTTP::Panel(int panel) const {
    return panel >= 0 && panel < kHttpPanels ? panels_[static_cast<std::size_t>(panel)]->text()
                                             : QString();
}

void TFormHTTP::Log(const QString& line) { MemoLog->appendPlainText(line); }

void TFormHTTP::closeEvent(QCloseEvent* event) {
    for (const StoredField& stored : kStoredFields) {
        Registry::WriteText(kWindowSection, stored.key, (this->*stored.field)->text());
    }
    Registry::WriteInteger(kWindowSection, "fmHTTP.Target", ComboTarget->currentIndex());
    PersistentWindow::closeEvent(event);
}

}  // namespace pernard::ui
