#include "ui/sync/SyncChoiceDialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/widgets/QtText.h"

namespace pernard::ui {

namespace {

QString HoldingText(const char* side, const sync::Holding& holding) {
    return QString("%1: ブックマーク %2 件、フォルダー %3 個")
        .arg(side)
        .arg(holding.bookmarks)
        .arg(holding.folders);
}

QString Summary(const char* side, const sync::SideChanges& changes) {
    return QString("%1: 追加 %2 件、削除 %3 件、名前 %4 件、URL %5 件、移動 %6 件")
        .arg(side)
        .arg(changes.bookmarksAdded + changes.foldersAdded)
        .arg(changes.bookmarksRemoved + changes.foldersRemoved)
        .arg(changes.renamed)
        .arg(changes.urlsChanged)
        .arg(changes.moved);
}

QString ChangesText(const sync::SyncReport& report) {
    QString text = Summary("ローカルの変更", report.toLocal) + "\n" +
                   Summary("サーバーの変更", report.toRemote) + "\n";
    if (!report.error.empty() && report.result == sync::SyncResult::Failed) {
        text += Text(report.error) + "\n";
    }
    for (const std::string& line : report.Lines()) {
        if (line != report.error) text += "\n" + Text(line);
    }
    return text;
}

}  // namespace

TFormSyncChoice::TFormSyncChoice(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormSyncChoice");
    LabelHoldings = new QLabel(this);
    LabelHoldings->setObjectName("LabelHoldings");
    LabelHoldings->setWordWrap(true);
    RadioMerge = new QRadioButton("結合(&M)", this);
    RadioMerge->setObjectName("RadioMerge");
    RadioPull = new QRadioButton("サーバーの内容で置き換える(&R)", this);
    RadioPull->setObjectName("RadioPull");
    RadioPush = new QRadioButton("サーバーへ送信(&S)", this);
    RadioPush->setObjectName("RadioPush");
    RadioAbort = new QRadioButton("中止(&A)", this);
    RadioAbort->setObjectName("RadioAbort");
    RadioContinue = new QRadioButton("続ける(&C)", this);
    RadioContinue->setObjectName("RadioContinue");
    auto* group = new QButtonGroup(this);
    for (QRadioButton* radio : {RadioMerge, RadioPull, RadioPush, RadioAbort, RadioContinue}) {
        group->addButton(radio);
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on) ShowChanges();
        });
    }
    MemoChanges = new QPlainTextEdit(this);
    MemoChanges->setObjectName("MemoChanges");
    MemoChanges->setReadOnly(true);
    MemoChanges->setAccessibleName("変更の内容");
    BtRun = new QPushButton("実行(&O)", this);
    BtRun->setObjectName("BtRun");
    BtRun->setDefault(true);
    auto* cancel = new QPushButton("キャンセル", this);
    cancel->setObjectName("BtCancel");
    auto* choices = new QHBoxLayout;
    for (QRadioButton* radio : {RadioMerge, RadioPull, RadioPush, RadioAbort, RadioContinue}) {
        choices->addWidget(radio);
    }
    choices->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtRun);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelHoldings);
    layout->addLayout(choices);
    layout->addWidget(MemoChanges, 1);
    layout->addLayout(buttons);
    resize(640, 460);
    connect(BtRun, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormSyncChoice::ShowFirst(const std::array<sync::SyncReport, 3>& dryRuns) {
    first_ = true;
    dryRuns_ = dryRuns;
    setWindowTitle("初めての同期");
    const sync::SyncReport& merge = dryRuns_[0];
    LabelHoldings->setText("このコレクションとサーバーの共有ファイルを初めて同期します。\n" +
                           HoldingText("ローカル", merge.local) + "\n" +
                           HoldingText("サーバー", merge.remote));
    for (QRadioButton* radio : {RadioMerge, RadioPull, RadioPush}) radio->setVisible(true);
    for (QRadioButton* radio : {RadioAbort, RadioContinue}) radio->setVisible(false);
    RadioMerge->setChecked(true);
    ShowChanges();
    RadioMerge->setFocus();
}

void TFormSyncChoice::ShowStopped(const sync::SyncReport& report) {
    first_ = false;
    stopped_ = report;
    setWindowTitle("同期の確認");
    LabelHoldings->setText(
        "いつもより大きな変更のため、同期を止めました。内容を確かめてください。\n" +
        HoldingText("ローカル", report.local) + "\n" + HoldingText("サーバー", report.remote));
    for (QRadioButton* radio : {RadioMerge, RadioPull, RadioPush}) radio->setVisible(false);
    for (QRadioButton* radio : {RadioAbort, RadioContinue}) radio->setVisible(true);
    RadioAbort->setChecked(true);
    ShowChanges();
    RadioAbort->setFocus();
}

TFormSyncChoice::Choice TFormSyncChoice::Chosen() const {
    if (result() != QDialog::Accepted) return Abort;
    if (first_) return RadioPull->isChecked() ? Pull : RadioPush->isChecked() ? Push : Merge;
    return RadioContinue->isChecked() ? Continue : Abort;
}

void TFormSyncChoice::ShowChanges() {
    if (!first_) {
        MemoChanges->setPlainText(ChangesText(stopped_));
        return;
    }
    const int shown = RadioPull->isChecked() ? 1 : RadioPush->isChecked() ? 2 : 0;
    MemoChanges->setPlainText(ChangesText(dryRuns_[static_cast<std::size_t>(shown)]));
}

}  // namespace pernard::ui
