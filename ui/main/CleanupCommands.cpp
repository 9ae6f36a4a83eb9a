// The main window's clean-up in bulk: the duplicate clean-up window, merging the same-name
// folders of the tree's selected folder, and what the check window's result list acts
// through. Every change is one step of the model's clean-up operations, run as a table change
// of this window.

#include "ui/main/BoardMain.h"
#include "ui/tools/CheckResultList.h"
#include "ui/main/LinkChecking.h"
#include "ui/tools/DuplicatesWindow.h"
#include "ui/tools/FormHttp.h"
#include "ui/widgets/PersistentWindow.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

void TFormMain::BuildCleanupItems() {
    // Beside the duplicate check, whose groups it acts on.
    auto* dedupe = new QAction("重複の整理(&D)...", this);
    dedupe->setObjectName("Dedupe1");
    items_["Dedupe1"] = dedupe;
    connect(dedupe, &QAction::triggered, this, &TFormMain::DuplicatesClick);
    if (auto* check = findChild<QMenu*>("C1Menu")) check->insertAction(Item("D1"), dedupe);

    // After 削除 in the tree's menu: for a folder only.
    QAction* merge = new QAction("同じ名前のフォルダーを統合", PMenu);
    merge->setObjectName("MergeFolders1");
    items_["MergeFolders1"] = merge;
    connect(merge, &QAction::triggered, this, &TFormMain::MergeFoldersClick);
    PMenu->insertAction(Item("N17"), merge);
    connect(PMenu, &QMenu::aboutToShow, this, [this, merge] {
        const TreeNode* node = SelectedNode();
        const int entry = node != nullptr ? model_.IndexOf(node) : -1;
        merge->setEnabled(entry >= 0 && model_.IsFolder(entry));
    });
}

CleanupOutcome TFormMain::RunCleanup(const std::function<CleanupOutcome()>& step) {
    CleanupOutcome outcome;
    ChangeTable([&] {
        outcome = step();
        return NodeRef{};
    });
    // After the list's refresh, which wrote panel 1 anew: the step's summary stays.
    if (!outcome.refused) Panel1->setText(Text(outcome.summary));
    return outcome;
}

void TFormMain::DuplicatesClick() {
    if (duplicates_ == nullptr) {
        duplicates_ = new TFormDuplicates(
            model_,
            [this](const std::function<CleanupOutcome()>& step) { return RunCleanup(step); }, this);
    }
    ShowInFront(duplicates_);
    duplicates_->Regroup();
}

void TFormMain::MergeFoldersClick() {
    const TreeNode* node = SelectedNode();
    const int folder = node != nullptr ? model_.IndexOf(node) : -1;
    if (folder < 0 || !model_.IsFolder(folder)) return;
    PromptPort& prompts = *model_.GetPorts().prompts;
    const Answer answer = prompts.Confirm("「" + std::string(model_.glName[folder]) +
                                              "」の中の同じ名前のフォルダーを統合します。\n"
                                              "その中の同じ名前のサブフォルダーも統合しますか？",
                                          Buttons::YesNoCancel);
    if (answer == Answer::Cancel) return;
    const NodeRef held = model_.RefOf(folder);
    RunCleanup(
        [&] { return model_.MergeSameNameFolders(model_.IndexOf(held), answer == Answer::Yes); });
}

bool TFormMain::OpenAddress(const QString& address) {
    if (links_.browser == nullptr || links_.browser->Open(address)) return true;
    model_.GetPorts().prompts->ShowMessage("ブラウザを起動できませんでした : " + Bytes(address));
    return false;
}

bool TFormMain::RecheckEntries(const std::vector<NodeRef>& entries) {
    if (checks_->Running()) return false;
    checks_->Start(0, entries, false);
    return checks_->Running();
}

void TFormMain::ConnectCheckResults() {
    if (links_.engine == nullptr) return;
    links_.engine->Results->SetLinks(
        &model_,
        CheckResultLinks{
            [this](const std::function<CleanupOutcome()>& step) { return RunCleanup(step); },
            [this](const std::vector<NodeRef>& entries) { return RecheckEntries(entries); },
            [this](const QString& address) { return OpenAddress(address); }});
    // After any change of the collection (an edit, an undo, a load) the rows follow it, once
    // the change is complete.
    CheckResultList* results = links_.engine->Results;
    const auto follow = [results] { results->ShowCurrent(); };
    connect(TreeItems, &QAbstractItemModel::rowsInserted, results, follow, Qt::QueuedConnection);
    connect(TreeItems, &QAbstractItemModel::rowsRemoved, results, follow, Qt::QueuedConnection);
    connect(TreeItems, &QAbstractItemModel::rowsMoved, results, follow, Qt::QueuedConnection);
    connect(TreeItems, &QAbstractItemModel::dataChanged, results, follow, Qt::QueuedConnection);
    connect(TreeItems, &QAbstractItemModel::modelReset, results, follow, Qt::QueuedConnection);
}

}  // namespace pernard::ui
