#include "ui/sync/SyncLogDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "sync/ConflictChoice.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

TFormSyncLog::TFormSyncLog(TakeOther takeOther, QWidget* parent)
    : QDialog(parent), takeOther_(std::move(takeOther)) {
    setObjectName("TFormSyncLog");
    setWindowTitle("同期の記録");
    ListRuns = new QListWidget(this);
    ListRuns->setObjectName("ListRuns");
    ListRuns->setAccessibleName("同期の実行");
    TreeConflicts = new QTreeWidget(this);
    TreeConflicts->setObjectName("TreeConflicts");
    TreeConflicts->setAccessibleName("競合");
    TreeConflicts->setRootIsDecorated(false);
    TreeConflicts->setHeaderLabels({"場所", "項目", "ローカル", "サーバー", "採用"});
    MemoLines = new QPlainTextEdit(this);
    MemoLines->setObjectName("MemoLines");
    MemoLines->setReadOnly(true);
    MemoLines->setAccessibleName("同期の内容");
    BtTakeOther = new QPushButton("もう一方にする(&O)", this);
    BtTakeOther->setObjectName("BtTakeOther");
    auto* close = new QPushButton("閉じる", this);
    close->setObjectName("BtClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtTakeOther);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    auto* runsLabel = new QLabel("実行(&R):", this);
    runsLabel->setBuddy(ListRuns);
    layout->addWidget(runsLabel);
    layout->addWidget(ListRuns, 1);
    auto* conflictsLabel = new QLabel("競合(&C):", this);
    conflictsLabel->setBuddy(TreeConflicts);
    layout->addWidget(conflictsLabel);
    layout->addWidget(TreeConflicts, 2);
    layout->addWidget(MemoLines, 1);
    layout->addLayout(buttons);
    resize(720, 560);
    connect(ListRuns, &QListWidget::currentRowChanged, this, &TFormSyncLog::RunChosen);
    connect(TreeConflicts, &QTreeWidget::currentItemChanged, this, &TFormSyncLog::ConflictChosen);
    connect(BtTakeOther, &QPushButton::clicked, this, &TFormSyncLog::TakeOtherClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormSyncLog::Show(std::vector<SyncRecord>* records) {
    records_ = records;
    ListRuns->clear();
    // The newest run first.
    for (auto record = records->rbegin(); record != records->rend(); ++record) {
        ListRuns->addItem(record->at.toString("yyyy/MM/dd HH:mm:ss") + "  " + record->rootName +
                          "  " + record->summary);
    }
    ListRuns->setCurrentRow(records->empty() ? -1 : 0);
    RunChosen();
}

void TFormSyncLog::RunChosen() {
    TreeConflicts->clear();
    MemoLines->clear();
    const int row = ListRuns->currentRow();
    if (records_ == nullptr || row < 0 || row >= static_cast<int>(records_->size())) {
        ConflictChosen();
        return;
    }
    const SyncRecord& record = (*records_)[records_->size() - 1 - static_cast<std::size_t>(row)];
    QString text;
    for (const std::string& line : record.lines) text += Text(line) + "\n";
    MemoLines->setPlainText(text.trimmed());
    for (std::size_t k = 0; k < record.conflicts.size(); ++k) {
        const sync::Conflict& c = record.conflicts[k];
        auto* item = new QTreeWidgetItem(
            TreeConflicts, {Text(c.path), Text(c.field), Text(c.localValue), Text(c.remoteValue),
                            record.taken[k] ? "もう一方にしました" : Text(c.kept)});
        item->setData(0, Qt::UserRole, static_cast<int>(k));
    }
    if (TreeConflicts->topLevelItemCount() > 0) {
        TreeConflicts->setCurrentItem(TreeConflicts->topLevelItem(0));
    }
    ConflictChosen();
}

void TFormSyncLog::ConflictChosen() {
    const int row = ListRuns->currentRow();
    QTreeWidgetItem* item = TreeConflicts->currentItem();
    bool can = false;
    if (records_ != nullptr && row >= 0 && item != nullptr) {
        const SyncRecord& record = (*records_)[records_->size() - 1 - static_cast<std::size_t>(row)];
        const auto k = static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt());
        can = !record.taken[k] && sync::CanTakeOtherSide(record.conflicts[k]);
    }
    BtTakeOther->setEnabled(can);
}

void TFormSyncLog::TakeOtherClick() {
    const int row = ListRuns->currentRow();
    QTreeWidgetItem* item = TreeConflicts->currentItem();
    if (records_ == nullptr || row < 0 || item == nullptr) return;
    SyncRecord& record = (*records_)[records_->size() - 1 - static_cast<std::size_t>(row)];
    const auto k = static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt());
    QString said;
    if (takeOther_(record, record.conflicts[k], said)) {
        record.taken[k] = true;
        item->setText(4, "もう一方にしました");
    }
    MemoLines->setPlainText(said);
    ConflictChosen();
}

}  // namespace pernard::ui
