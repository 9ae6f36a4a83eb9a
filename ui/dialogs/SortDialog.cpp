#include "ui/dialogs/SortDialog.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace pernard::ui {

namespace {

// The keys in the order the combo box lists them.
constexpr SortField kKeys[] = {SortField::Name, SortField::Url, SortField::Added,
                               SortField::Visited};

// Two exclusive choices side by side, the first one checked.
QWidget* Pair(QWidget* parent, QRadioButton* first, QRadioButton* second) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* group = new QButtonGroup(row);
    for (QRadioButton* button : {first, second}) {
        button->setParent(row);
        group->addButton(button);
        layout->addWidget(button);
    }
    layout->addStretch();
    first->setChecked(true);
    return row;
}

QRadioButton* Radio(const char* name, const char* caption) {
    auto* button = new QRadioButton(QString::fromUtf8(caption));
    button->setObjectName(name);
    return button;
}

}  // namespace

TFormSort::TFormSort(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormSort");
    setWindowTitle("並べ替え");
    LabelFolder = new QLabel(this);
    LabelFolder->setObjectName("LabelFolder");
    LabelFolder->setTextFormat(Qt::PlainText);
    ComboKey = new QComboBox(this);
    ComboKey->setObjectName("ComboKey");
    ComboKey->addItems({"名前", "URL", "登録日", "訪問日"});
    RadioAscending = Radio("RadioAscending", "昇順(&A)");
    RadioDescending = Radio("RadioDescending", "降順(&D)");
    RadioMixed = Radio("RadioMixed", "区別しない(&M)");
    RadioFoldersFirst = Radio("RadioFoldersFirst", "フォルダーを先に(&F)");
    RadioThisFolder = Radio("RadioThisFolder", "このフォルダーのみ(&T)");
    RadioEveryFolder = Radio("RadioEveryFolder", "下のフォルダーもすべて(&B)");
    ButtonOk = new QPushButton("OK", this);
    ButtonOk->setObjectName("ButtonOk");
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton("キャンセル", this);
    ButtonCancel->setObjectName("ButtonCancel");
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow("フォルダー:", LabelFolder);
    form->addRow("基準(&K):", ComboKey);
    form->addRow("順序:", Pair(this, RadioAscending, RadioDescending));
    form->addRow("フォルダー:", Pair(this, RadioMixed, RadioFoldersFirst));
    form->addRow("範囲:", Pair(this, RadioThisFolder, RadioEveryFolder));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    // Tab goes down the form, then to the buttons.
    QWidget* order[] = {ComboKey,          RadioAscending,  RadioDescending,
                        RadioMixed,        RadioFoldersFirst, RadioThisFolder,
                        RadioEveryFolder,  ButtonOk,        ButtonCancel};
    for (std::size_t k = 1; k < std::size(order); ++k) setTabOrder(order[k - 1], order[k]);
}

void TFormSort::ShowFolder(const QString& name) { LabelFolder->setText(name); }

SortOptions TFormSort::Options() const {
    SortOptions options;
    const int key = ComboKey->currentIndex();
    options.by = kKeys[key >= 0 && key < static_cast<int>(std::size(kKeys)) ? key : 0];
    options.descending = RadioDescending->isChecked();
    options.foldersFirst = RadioFoldersFirst->isChecked();
    options.recursive = RadioEveryFolder->isChecked();
    return options;
}

}  // namespace pernard::ui
