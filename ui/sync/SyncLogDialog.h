#pragma once
// ファイル › 同期 › 同期の記録…: every run of this session with what it did, and each conflict it
// decided (the entry's path, the field, both values, which was kept), with もう一方にする.

#include <QDateTime>
#include <QDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <vector>

#include "model/BmLogic.h"
#include "sync/Merge.h"

namespace pernard::ui {

struct SyncRecord {
    QDateTime at;
    QString rootName;
    QString summary;              // what the status bar said
    std::vector<std::string> lines;  // what the run did, one line each
    NodeRef root;
    std::vector<sync::Conflict> conflicts;
    std::vector<bool> taken;  // per conflict: its other side was taken
};

class TFormSyncLog : public QDialog {
    Q_OBJECT
public:
    // `takeOther` puts a conflict's other side on the collection; false, with the reason, when
    // it could not.
    using TakeOther = std::function<bool(const SyncRecord&, const sync::Conflict&, QString&)>;
    TFormSyncLog(TakeOther takeOther, QWidget* parent = nullptr);

    void Show(std::vector<SyncRecord>* records);

    QListWidget* ListRuns;
    QTreeWidget* TreeConflicts;
    QPlainTextEdit* MemoLines;
    QPushButton* BtTakeOther;

private:
    void RunChosen();
    void ConflictChosen();
    void TakeOtherClick();
    TakeOther takeOther_;
    std::vector<SyncRecord>* records_ = nullptr;
};

}  // namespace pernard::ui
