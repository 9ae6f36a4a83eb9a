#pragma once
// The question a sync asks before it writes anything it would not write by itself: the first
// sync of a collection (結合, サーバーの内容で置き換える, サーバーへ送信, each with what it would
// add, remove and move on either side), and a run the checks stopped (中止 first, or 続ける).

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "sync/SyncRun.h"

namespace pernard::ui {

class TFormSyncChoice : public QDialog {
    Q_OBJECT
public:
    explicit TFormSyncChoice(QWidget* parent = nullptr);

    enum Choice { Abort, Merge, Pull, Push, Continue };

    // The first sync: the dry runs of merging, pulling and pushing, in that order.
    void ShowFirst(const std::array<sync::SyncReport, 3>& dryRuns);
    // A run the checks stopped: what it would have done and which checks tripped.
    void ShowStopped(const sync::SyncReport& report);
    Choice Chosen() const;

    QLabel* LabelHoldings;
    QRadioButton* RadioMerge;
    QRadioButton* RadioPull;
    QRadioButton* RadioPush;
    QRadioButton* RadioAbort;
    QRadioButton* RadioContinue;
    QPlainTextEdit* MemoChanges;
    QPushButton* BtRun;

private:
    void ShowChanges();
    std::array<sync::SyncReport, 3> dryRuns_;
    sync::SyncReport stopped_;
    bool first_ = true;
};

}  // namespace pernard::ui
