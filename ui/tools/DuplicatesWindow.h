#pragma once
// The duplicate clean-up window (重複の整理): the match level and the loose rules, the groups
// of bookmarks that match with a check box on each entry, the buttons that check all of a
// group but the entry to keep, and the two resolutions, each one undo step of the model's
// ResolveDuplicates taking exactly the checked entries.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <array>
#include <functional>

#include "model/Duplicates.h"
#include "ui/tools/DuplicatesModel.h"
#include "ui/widgets/PersistentWindow.h"

namespace pernard::ui {

// Runs a clean-up of the collection as the main window runs a table change (views refreshed,
// the step's selection kept for undo) and returns what it did.
using CleanupRunner = std::function<CleanupOutcome(const std::function<CleanupOutcome()>&)>;

class TFormDuplicates : public PersistentWindow {
    Q_OBJECT
public:
    TFormDuplicates(BmLogic& model, CleanupRunner runCleanup, QWidget* parent = nullptr);

    // The level and rules the fields hold.
    UrlMatch Match() const;
    DuplicatesModel& Groups() { return *groups_; }

public slots:
    // Groups the collection anew at the chosen level (nothing checked).
    void Regroup();
    // The collection changed while the window is shown: its list may no longer hold what the
    // collection holds, and says so until it is made again.
    void CollectionChanged();
    void KeepOldest();
    void KeepNewest();
    void KeepFirst();
    // Asks for a folder among those holding listed entries and keeps the entries in it.
    void KeepInChosenFolder();
    // Keeps, in each group, its first entry in `folder` or below it; a group without one is
    // left unchecked.
    void KeepInFolder(const NodeRef& folder);
    void DeleteChecked();
    void MoveChecked();

public:
    QComboBox* ComboLevel;  // 完全一致, 同じリソース, ゆるい一致
    // #以降, 末尾の /, index.html, トラッキング用パラメーター, www., http と https
    std::array<QCheckBox*, 6> CheckLoose{};
    QPushButton* BtRegroup;
    QTreeView* TreeGroups;
    QPushButton *BtKeepOldest, *BtKeepNewest, *BtKeepFirst, *BtKeepFolder;
    QPushButton *BtDelete, *BtMove;
    QLabel* LabelStatus;

private:
    void KeepBy(KeepRule rule);
    void Resolve(bool intoFolder);
    void ShowCounts();
    void UpdateLooseFields();

    BmLogic& model_;
    CleanupRunner runCleanup_;
    DuplicatesModel* groups_;
};

}  // namespace pernard::ui
