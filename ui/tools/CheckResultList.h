#pragma once
// The results of a link check that the user acts on (in the check window): a row per checked
// entry under the row of its class (正常, 移転（恒久）, ... as the model classes them), and the
// actions on the selected rows, or on every row of a selected class row: 転送先の URL に置き換え
// る, もう一度チェック, フォルダーへ移動（リンク切れ）, 削除, アーカイブを開く. Each action that
// changes the collection is one undo step of the model's clean-up operations.

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <unordered_map>
#include <vector>

#include "model/LinkCheck.h"

namespace pernard::ui {

// What the list acts through, given by the main window.
struct CheckResultLinks {
    // Runs one clean-up step as a table change of the main window.
    std::function<CleanupOutcome(const std::function<CleanupOutcome()>&)> runCleanup;
    // False when no check could start (one runs already).
    std::function<bool(const std::vector<NodeRef>&)> recheck;
    std::function<bool(const QString&)> openAddress;
};

class CheckResultList : public QWidget {
    Q_OBJECT
public:
    explicit CheckResultList(QWidget* parent = nullptr);
    void SetLinks(BmLogic* model, CheckResultLinks links);

    void Clear();
    // Lists a result under its class; a result for an entry already listed replaces it.
    void Put(CheckedLink link);
    // The rows shown.
    int Count() const;
    // The row of a class, and of a listed entry (nullptr when not listed).
    QTreeWidgetItem* ClassRow(LinkClass linkClass) const;
    QTreeWidgetItem* EntryRow(const NodeRef& entry) const;
    // The results of the selected rows shown (a class row stands for all of its rows), in
    // list order.
    std::vector<CheckedLink> SelectedLinks() const;

public slots:
    // 転送先の URL に置き換える: the permanent redirects that ended in 2xx (and with
    // CheckTemporary the temporary ones) of the selection.
    void ReplaceSelected();
    void RecheckSelected();
    // フォルダーへ移動（リンク切れ）: the selected entries into リンク切れ of their roots; a
    // question first for too many of the results (TooManyToMove).
    void MoveSelected();
    // 削除, after a question.
    void DeleteSelected();
    // アーカイブを開く: the archived copy of each selected URL (a question first for many).
    void OpenArchiveOfSelected();
    // Hides the rows whose entries are gone or no longer hold the URL that was checked, and
    // shows again those that an undo brought back.
    void ShowCurrent();

public:
    QTreeWidget* TreeResults;
    QCheckBox* CheckTemporary;  // 一時的な転送も置き換える
    QPushButton *BtReplace, *BtRecheck, *BtMoveBroken, *BtDelete, *BtArchive;
    QMenu* ResultMenu;
    QLabel* LabelOutcome;  // what the last action did

private:
    // Runs a step on the selection's links, then hides the rows it made stale.
    void Act(const std::function<CleanupOutcome(const std::vector<CheckedLink>&)>& step);
    void ShowOutcome(const QString& text);
    // The results of every row shown.
    std::vector<CheckedLink> ShownLinks() const;
    void RemoveRow(QTreeWidgetItem* row);
    void ShowClassRow(QTreeWidgetItem* classRow);

    BmLogic* model_ = nullptr;
    CheckResultLinks links_;
    std::vector<QTreeWidgetItem*> classRows_;                    // by LinkClass
    std::unordered_map<std::uint64_t, QTreeWidgetItem*> rowOf_;  // by the entry's node serial
    std::unordered_map<QTreeWidgetItem*, CheckedLink> linkOf_;
};

}  // namespace pernard::ui
