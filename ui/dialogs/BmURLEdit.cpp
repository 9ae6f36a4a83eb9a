#include "ui/dialogs/BmURLEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDateTime>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <cmath>

#include "ui/app/Fonts.h"
#include "ui/widgets/PersistentWindow.h"
#include "ui/widgets/QtText.h"
#include "ui/app/Registry.h"
#include "util/Dates.h"

namespace pernard::ui {

TFormURL::TFormURL(std::function<void(const QString&)> showMessage, QWidget* parent)
    : QDialog(parent), showMessage_(std::move(showMessage)) {
    setObjectName("TFormURL");
    setWindowTitle("URL");
    setFont(DesignFont(kPGothic, 12));
    RestoreGeometry(this, "fmURL", false);
    auto* grid = new QGridLayout(this);
    auto edit = [this](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(name);
        return field;
    };
    EditTitle = edit("EditTitle");
    EditURL = edit("EditURL");
    EditAdd = edit("EditAdd");
    EditVisit = edit("EditVisit");
    EditLast = edit("EditLast");
    // Each label names its field, also for a screen reader.
    auto label = [this](const char* caption, QLineEdit* field) {
        auto* made = new QLabel(caption, this);
        made->setBuddy(field);
        return made;
    };
    grid->addWidget(label("タイトル", EditTitle), 0, 0);
    grid->addWidget(EditTitle, 0, 1, 1, 5);
    grid->addWidget(label("ＵＲＬ", EditURL), 1, 0);
    grid->addWidget(EditURL, 1, 1, 1, 5);
    grid->addWidget(label("追加日", EditAdd), 2, 0);
    grid->addWidget(EditAdd, 2, 1);
    grid->addWidget(label("訪問日", EditVisit), 2, 2);
    grid->addWidget(EditVisit, 2, 3);
    grid->addWidget(label("最終更新時刻", EditLast), 2, 4);
    grid->addWidget(EditLast, 2, 5);
    CheckBuffer = new QCheckBox("URL をカットバッファーから貼り付ける", this);
    CheckBuffer->setObjectName("CheckBuffer");
    CheckBuffer->setChecked(Registry::ReadCheck(kWindowSection, "fmURL.CheckBuffer", false));
    Button1 = new QPushButton("完了(&C)", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = new QPushButton("ｷｬﾝｾﾙ(&E)", this);
    Button2->setObjectName("Button2");
    grid->addWidget(CheckBuffer, 3, 0, 1, 3);
    grid->addWidget(Button1, 3, 4);
    grid->addWidget(Button2, 3, 5);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(CheckBuffer, &QCheckBox::clicked, this, [this] { CheckBufferClick(); });
    // Date fields as wide as a date; the dialog keeps its designed size, grown only as far as
    // the font needs, and fixed.
    const int dateWidth = fontMetrics().horizontalAdvance("0000/00/00") + 16;
    for (QLineEdit* date : {EditAdd, EditVisit, EditLast}) date->setFixedWidth(dateWidth);
    FixDialogSize(*this, QSize(456, 154));
}

QString TFormURL::DateFieldText(std::string_view seconds) {
    double date = 0;
    if (IsNeverDate(seconds) || !SecondsToDate(seconds, date)) return {};
    // Days from 1899-12-30, the time of day as the fraction, already in UTC+9.
    const QDate day = QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(date)));
    return day.toString("yyyy/MM/dd");
}

QString TFormURL::Today() {
    return QDateTime::currentDateTimeUtc().toOffsetFromUtc(9 * 3600).toString("yyyy/MM/dd");
}

void TFormURL::ShowNotes(const QString& notes) {
    EditTitle->setToolTip(notes.isEmpty() ? QString() : PlainToolTip(notes));
    // A screen reader reads the notes as text, not the tip's markup.
    EditTitle->setAccessibleDescription(notes);
}

void TFormURL::Button1Click() {
    if (EditTitle->text().isEmpty()) {
        if (showMessage_) showMessage_("タイトルを指定してください");
        return;
    }
    // "---" marks a folder: a bookmark with that address would turn into one.
    if (EditURL->text() == "---") {
        if (showMessage_) showMessage_("ＵＲＬに「---」は指定できません");
        return;
    }
    accept();
}

QString TFormURL::AddressFromClipboard(const QString& text) {
    QString line = text.section(QRegularExpression("[\\r\\n]"), 0, 0, QString::SectionSkipEmpty);
    QString address;
    for (const QChar c : line) {
        if (c.category() != QChar::Other_Control) address += c;
    }
    return address.trimmed();
}

void TFormURL::CheckBufferClick() {
    if (!CheckBuffer->isChecked()) return;
    EditURL->setText(AddressFromClipboard(QApplication::clipboard()->text()));
}

void TFormURL::RememberUrlFields(const EntryTexts& fields) {
    EditTitle->setText(Text(fields.name));
    EditURL->setText(Text(fields.url));
    EditAdd->setText(DateFieldText(fields.added));
    EditVisit->setText(DateFieldText(fields.visited));
    EditLast->setText(DateFieldText(fields.modified));
}

void TFormURL::keyPressEvent(QKeyEvent* event) {
    // Esc has no binding in this dialog: only ｷｬﾝｾﾙ cancels.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormURL::showEvent(QShowEvent* event) {
    CheckBufferClick();
    QDialog::showEvent(event);
}

void TFormURL::done(int result) {
    SaveGeometry(this, "fmURL", false);
    Registry::WriteCheck(kWindowSection, "fmURL.CheckBuffer", CheckBuffer->isChecked());
    QDialog::done(result);
}

}  // namespace pernard::ui
