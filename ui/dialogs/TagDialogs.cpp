#include "ui/dialogs/TagDialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace pernard::ui {

namespace {

constexpr const char* kSeveralTags = "カンマ（,）で区切って複数指定できます";

// OK and キャンセル at the right, OK the default.
QHBoxLayout* Buttons(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel) {
    ok = new QPushButton("OK", dialog);
    ok->setObjectName("ButtonOk");
    ok->setDefault(true);
    cancel = new QPushButton("キャンセル", dialog);
    cancel->setObjectName("ButtonCancel");
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

}  // namespace

TFormNotes::TFormNotes(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormNotes");
    setWindowTitle("タグと説明");
    LabelEntry = new QLabel(this);
    LabelEntry->setObjectName("LabelEntry");
    LabelEntry->setTextFormat(Qt::PlainText);
    EditTags = new QLineEdit(this);
    EditTags->setObjectName("EditTags");
    EditTags->setToolTip(kSeveralTags);
    EditTags->setAccessibleDescription(kSeveralTags);
    MemoDescription = new QPlainTextEdit(this);
    MemoDescription->setObjectName("MemoDescription");
    MemoDescription->setTabChangesFocus(true);
    auto* form = new QFormLayout;
    form->addRow("名前:", LabelEntry);
    form->addRow("タグ(&T):", EditTags);
    form->addRow("説明(&D):", MemoDescription);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(Buttons(this, ButtonOk, ButtonCancel));
    resize(420, 240);
}

void TFormNotes::ShowEntry(const QString& name, const QString& tags, const QString& description,
                           bool tagged) {
    LabelEntry->setText(name);
    EditTags->setText(tags);
    EditTags->setEnabled(tagged);
    MemoDescription->setPlainText(description);
    EditTags->setFocus();
    if (!tagged) MemoDescription->setFocus();
}

TFormTagInput::TFormTagInput(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormTagInput");
    LabelPrompt = new QLabel(this);
    LabelPrompt->setObjectName("LabelPrompt");
    EditTags = new QLineEdit(this);
    EditTags->setObjectName("EditTags");
    EditTags->setToolTip(kSeveralTags);
    EditTags->setAccessibleDescription(kSeveralTags);
    ListTags = new QListWidget(this);
    ListTags->setObjectName("ListTags");
    ListTags->setAccessibleName("削除するタグ");
    ListTags->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelPrompt);
    layout->addWidget(EditTags);
    layout->addWidget(ListTags);
    layout->addLayout(Buttons(this, ButtonOk, ButtonCancel));
    resize(360, layout->sizeHint().height());
}

void TFormTagInput::Ask(bool add, int count, const std::vector<CarriedTag>& carried) {
    setWindowTitle(add ? "タグを追加" : "タグを削除");
    LabelPrompt->setText(QString(add ? "選択した %1 件のブックマークに追加するタグ(&T):"
                                     : "選択した %1 件のブックマークから削除するタグ(&T):")
                             .arg(count));
    EditTags->clear();
    EditTags->setVisible(add);
    ListTags->clear();
    ListTags->setVisible(!add);
    for (std::size_t k = 0; k < carried.size(); ++k) {
        const auto& [tag, carriers] = carried[k];
        auto* item = new QListWidgetItem(QString("%1 （%2 件）").arg(tag).arg(carriers), ListTags);
        item->setData(Qt::UserRole, static_cast<qulonglong>(k));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    if (ListTags->count() > 0) ListTags->setCurrentRow(0);
    QWidget* input = add ? static_cast<QWidget*>(EditTags) : ListTags;
    LabelPrompt->setBuddy(input);
    resize(width(), layout()->sizeHint().height() + (add ? 0 : 120));
    input->setFocus();
}

std::vector<std::size_t> TFormTagInput::TickedTags() const {
    std::vector<std::size_t> ticked;
    for (int row = 0; row < ListTags->count(); ++row) {
        const QListWidgetItem* item = ListTags->item(row);
        if (item->checkState() == Qt::Checked) {
            ticked.push_back(static_cast<std::size_t>(item->data(Qt::UserRole).toULongLong()));
        }
    }
    return ticked;
}

}  // namespace pernard::ui
