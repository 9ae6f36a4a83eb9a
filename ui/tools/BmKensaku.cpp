#include "ui/tools/BmKensaku.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/Search.h"

namespace pernard::ui {

TFormKensaku::TFormKensaku(const BmLogic& model, std::function<void(const NodeRef&)> showHit,
                           std::function<void(const QString&)> showMessage, QWidget* parent)
    : PersistentWindow("TFormKensaku", "検索(ブックマーク)", "fmKensaku", parent, QSize(387, 301)),
      model_(model),
      showHit_(std::move(showHit)),
      showMessage_(std::move(showMessage)) {
    QVBoxLayout* layout = FrameWithCloseMenu(4);
    Menu()->addAction("消去(&E)", this, [this] { ClearClick(); })->setObjectName("Clear1");

    RadioTaishou = new QGroupBox("対象", this);
    RadioTaishou->setObjectName("RadioTaishou");
    auto* choices = new QHBoxLayout(RadioTaishou);
    taishou_ = new QButtonGroup(this);
    for (const auto& [id, caption] : {std::pair{0, "見出し"}, std::pair{1, "ＵＲＬ"}}) {
        auto* choice = new QRadioButton(caption, RadioTaishou);
        taishou_->addButton(choice, id);
        choices->addWidget(choice);
    }
    SetTaishouIndex(0);
    CheckFold = new QCheckBox("全角/半角・大小文字を区別しない", this);
    CheckFold->setObjectName("CheckFold");
    CheckNotes = new QCheckBox("説明とタグも検索する", this);
    CheckNotes->setObjectName("CheckNotes");

    auto* keywordRow = new QHBoxLayout;
    auto* keywordLabel = new QLabel("キーワード", this);
    keywordRow->addWidget(keywordLabel);
    EditKeyword = new QLineEdit(this);
    keywordLabel->setBuddy(EditKeyword);
    EditKeyword->setObjectName("EditKeyword");
    // The field takes what the designed width leaves beside the label and the button.
    EditKeyword->setMinimumWidth(120);
    keywordRow->addWidget(EditKeyword, 1);
    Button1 = new QPushButton("実行(&J)", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    keywordRow->addWidget(Button1);

    Results = new SearchResultModel(model_, this);
    ListKekka = new QTreeView(this);
    ListKekka->setObjectName("ListKekka");
    ListKekka->setAccessibleName("検索結果");
    ShowAsRowList(ListKekka, Results);
    ListKekka->setColumnWidth(0, 200);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");

    layout->addWidget(RadioTaishou);
    // One option a line: side by side they would widen the window past its design.
    layout->addWidget(CheckFold);
    layout->addWidget(CheckNotes);
    layout->addLayout(keywordRow);
    layout->addWidget(ListKekka, 1);
    layout->addWidget(StatusBar);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ListKekka, &QTreeView::clicked, this,
            [this](const QModelIndex& line) { ListKekkaClick(line); });
    connect(ListKekka, &QTreeView::activated, this,
            [this](const QModelIndex& line) { ListKekkaClick(line); });
}

void TFormKensaku::SetTaishouIndex(int index) {
    if (QAbstractButton* choice = taishou_->button(index)) choice->setChecked(true);
}

void TFormKensaku::Button1Click() {
    if (EditKeyword->text().isEmpty()) {
        showMessage_("キーワードを指定してください");
        return;
    }
    const SearchField field = TaishouIndex() == 1 ? SearchField::Url : SearchField::Title;
    SearchQuery query =
        MakeSearchQuery(EditKeyword->text().toStdString(), field, CheckFold->isChecked());
    query.notes = CheckNotes->isChecked();
    const std::vector<int> found = FindEntries(model_, query);
    std::vector<NodeRef> hits;
    hits.reserve(found.size());
    for (int entry : found) hits.push_back(model_.RefOf(entry));
    Results->SetHits(std::move(hits), field);
    ShowCount();
}

void TFormKensaku::ShowCount() {
    const int count = Results->rowCount();
    StatusBar->showMessage(count == 0 ? QString("検索結果 該当なし ")
                                      : QString("結果 : %1 件").arg(count));
}

void TFormKensaku::DropGoneHits() {
    if (Results->DropGone()) ShowCount();
}

void TFormKensaku::ClearClick() {
    Results->Clear();
    StatusBar->clearMessage();
    EditKeyword->clear();
    EditKeyword->setFocus();
}

void TFormKensaku::ListKekkaClick(const QModelIndex& line) {
    const NodeRef hit = Results->Entry(line.row());
    if (model_.IndexOf(hit) >= 0 && showHit_) showHit_(hit);
}

void TFormKensaku::keyPressEvent(QKeyEvent* event) {
    // Enter that no field took (the keyword field, the 対象 buttons, the check box) searches;
    // on a result line it has gone to that hit already.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !ListKekka->hasFocus()) {
        Button1Click();
        return;
    }
    PersistentWindow::keyPressEvent(event);
}

void TFormKensaku::showEvent(QShowEvent* event) {
    PersistentWindow::showEvent(event);
    EditKeyword->setFocus();
}

}  // namespace pernard::ui
