#include "ui/tools/DuplicatesWindow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <algorithm>
#include <unordered_set>

#include "model/Search.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

namespace {

struct LooseField {
    const char* name;
    const char* caption;
    bool LooseRules::*rule;
};
const LooseField kLooseFields[] = {
    {"CheckFragment", "#以降", &LooseRules::fragment},
    {"CheckSlash", "末尾の /", &LooseRules::slash},
    {"CheckIndex", "index.html", &LooseRules::index},
    {"CheckTracking", "トラッキング用パラメーター", &LooseRules::tracking},
    {"CheckWww", "www.", &LooseRules::www},
    {"CheckScheme", "http と https", &LooseRules::scheme},
};

// The rule column holds the longest caption, "ゆるい一致（…、…、…）"; dates may carry a time.
const int kColumnWidths[DuplicatesModel::kColumnCount] = {200, 230, 150, 110, 110, 340};

// Rows of one height, measured on the first row: a group's row has no check box, so every row
// is measured as if it had one, and the boxes below it are never clipped.
class CheckedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem checked = option;
        initStyleOption(&checked, index);
        checked.features |= QStyleOptionViewItem::HasCheckIndicator;
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (checked.widget != nullptr) {
            size = size.expandedTo(checked.widget->style()->sizeFromContents(
                QStyle::CT_ItemViewItem, &checked, QSize(), checked.widget));
        }
        // Room above and below, so that the boxes of rows one under another stand apart.
        return size + QSize(0, kRowPadding);
    }

private:
    static constexpr int kRowPadding = 6;
};

// The name of a folder as the chooser lists it: the path from its root down to it.
std::string FolderCaption(const BmLogic& model, int folder) {
    const std::string above = FolderPathOf(model, folder);
    const std::string name(model.glName[folder]);
    return above.empty() ? name : above + std::string(kFolderPathSeparator) + name;
}

}  // namespace

TFormDuplicates::TFormDuplicates(BmLogic& model, CleanupRunner runCleanup, QWidget* parent)
    : PersistentWindow("TFormDuplicates", "重複の整理", "fmDuplicates", parent, QSize(1180, 560)),
      model_(model),
      runCleanup_(std::move(runCleanup)),
      groups_(new DuplicatesModel(model, this)) {
    QVBoxLayout* layout = FrameWithCloseMenu(6);

    auto* matchRow = new QHBoxLayout;
    auto* levelLabel = new QLabel("一致の判定", this);
    ComboLevel = new QComboBox(this);
    ComboLevel->setObjectName("ComboLevel");
    ComboLevel->addItems({"完全一致", "同じリソース", "ゆるい一致"});
    ComboLevel->setCurrentIndex(1);
    ComboLevel->setAccessibleName("一致の判定");
    levelLabel->setBuddy(ComboLevel);
    matchRow->addWidget(levelLabel);
    matchRow->addWidget(ComboLevel);
    BtRegroup = new QPushButton("一覧の更新", this);
    BtRegroup->setObjectName("BtRegroup");
    matchRow->addWidget(BtRegroup);
    matchRow->addStretch();
    layout->addLayout(matchRow);

    auto* looseBox = new QGroupBox("ゆるい一致で無視するもの", this);
    looseBox->setObjectName("LooseRules");
    auto* looseRow = new QHBoxLayout(looseBox);
    for (std::size_t k = 0; k < std::size(kLooseFields); ++k) {
        auto* box = new QCheckBox(kLooseFields[k].caption, looseBox);
        box->setObjectName(kLooseFields[k].name);
        box->setChecked(true);
        looseRow->addWidget(box);
        CheckLoose[k] = box;
    }
    looseRow->addStretch();
    layout->addWidget(looseBox);

    TreeGroups = new QTreeView(this);
    TreeGroups->setObjectName("TreeGroups");
    TreeGroups->setAccessibleName("重複のグループ");
    TreeGroups->setModel(groups_);
    // Rows of one height and fixed column widths: the view never measures every row.
    TreeGroups->setUniformRowHeights(true);
    TreeGroups->setItemDelegate(new CheckedRowDelegate(TreeGroups));
    TreeGroups->setSelectionBehavior(QAbstractItemView::SelectRows);
    TreeGroups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeGroups->header()->setStretchLastSection(true);
    for (int column = 0; column < DuplicatesModel::kColumnCount; ++column) {
        TreeGroups->setColumnWidth(column, kColumnWidths[column]);
    }
    layout->addWidget(TreeGroups, 1);

    auto button = [this](const char* name, const char* caption) {
        auto* made = new QPushButton(caption, this);
        made->setObjectName(name);
        return made;
    };
    auto* keepRow = new QHBoxLayout;
    BtKeepOldest = button("BtKeepOldest", "最も古いものを残す");
    BtKeepNewest = button("BtKeepNewest", "最も新しいものを残す");
    BtKeepFirst = button("BtKeepFirst", "最初のものを残す");
    BtKeepFolder = button("BtKeepFolder", "このフォルダーのものを残す...");
    for (QPushButton* each : {BtKeepOldest, BtKeepNewest, BtKeepFirst, BtKeepFolder}) {
        keepRow->addWidget(each);
    }
    keepRow->addStretch();
    BtDelete = button("BtDelete", "削除");
    BtDelete->setAccessibleName("チェックしたものを削除");
    BtMove = button("BtMove", "移動（重複フォルダーへ）");
    BtMove->setAccessibleName("チェックしたものを重複フォルダーへ移動");
    keepRow->addWidget(BtDelete);
    keepRow->addWidget(BtMove);
    layout->addLayout(keepRow);

    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName("LabelStatus");
    LabelStatus->setTextFormat(Qt::PlainText);
    layout->addWidget(LabelStatus);

    connect(BtRegroup, &QPushButton::clicked, this, &TFormDuplicates::Regroup);
    connect(ComboLevel, &QComboBox::currentIndexChanged, this, [this] {
        UpdateLooseFields();
        Regroup();
    });
    for (QCheckBox* box : CheckLoose) {
        connect(box, &QCheckBox::toggled, this, [this] {
            if (ComboLevel->currentIndex() == 2) Regroup();
        });
    }
    connect(BtKeepOldest, &QPushButton::clicked, this, &TFormDuplicates::KeepOldest);
    connect(BtKeepNewest, &QPushButton::clicked, this, &TFormDuplicates::KeepNewest);
    connect(BtKeepFirst, &QPushButton::clicked, this, &TFormDuplicates::KeepFirst);
    connect(BtKeepFolder, &QPushButton::clicked, this, &TFormDuplicates::KeepInChosenFolder);
    connect(BtDelete, &QPushButton::clicked, this, &TFormDuplicates::DeleteChecked);
    connect(BtMove, &QPushButton::clicked, this, &TFormDuplicates::MoveChecked);
    connect(groups_, &DuplicatesModel::checksChanged, TreeGroups->viewport(),
            qOverload<>(&QWidget::update));
    connect(groups_, &QAbstractItemModel::dataChanged, this, [this] { ShowCounts(); });
    connect(groups_, &DuplicatesModel::checksChanged, this, [this] { ShowCounts(); });
    UpdateLooseFields();
}

UrlMatch TFormDuplicates::Match() const {
    UrlMatch match;
    match.level = static_cast<MatchLevel>(std::clamp(ComboLevel->currentIndex(), 0, 2));
    for (std::size_t k = 0; k < std::size(kLooseFields); ++k) {
        match.loose.*kLooseFields[k].rule = CheckLoose[k]->isChecked();
    }
    return match;
}

void TFormDuplicates::UpdateLooseFields() {
    for (QCheckBox* box : CheckLoose) box->setEnabled(ComboLevel->currentIndex() == 2);
}

void TFormDuplicates::Regroup() {
    groups_->Regroup(Match());
    ShowCounts();
}

void TFormDuplicates::CollectionChanged() {
    LabelStatus->setText(
        "一覧を作った後でブックマークが変わりました。「一覧の更新」で作り直してください");
}

void TFormDuplicates::ShowCounts() {
    LabelStatus->setText(QString("グループ : %1  エントリー : %2  チェック : %3")
                             .arg(groups_->Groups().size())
                             .arg(groups_->EntryCount())
                             .arg(groups_->CheckedCount()));
}

void TFormDuplicates::KeepBy(KeepRule rule) {
    groups_->CheckAllBut(KeptEntries(model_, groups_->Groups(), rule));
}

void TFormDuplicates::KeepOldest() { KeepBy(KeepRule::Oldest); }
void TFormDuplicates::KeepNewest() { KeepBy(KeepRule::Newest); }
void TFormDuplicates::KeepFirst() { KeepBy(KeepRule::First); }

void TFormDuplicates::KeepInChosenFolder() {
    // The folders that hold a listed entry, in table order.
    std::unordered_set<int> seen;
    std::vector<int> folders;
    for (const DuplicateGroup& group : groups_->Groups()) {
        for (const NodeRef& ref : group.entries) {
            const int entry = model_.IndexOf(ref);
            if (entry >= 0 && seen.insert(model_.ParentOf(entry)).second) {
                folders.push_back(model_.ParentOf(entry));
            }
        }
    }
    if (folders.empty()) return;
    std::sort(folders.begin(), folders.end());
    std::vector<std::string> captions;
    for (int folder : folders) captions.push_back(FolderCaption(model_, folder));
    DialogPort* dialogs = model_.GetPorts().dialogs;
    const int chosen =
        dialogs != nullptr ? dialogs->ChooseFromList("残すフォルダーの選択", captions) : -1;
    if (chosen < 0 || chosen >= static_cast<int>(folders.size())) return;
    KeepInFolder(model_.RefOf(folders[static_cast<std::size_t>(chosen)]));
}

void TFormDuplicates::KeepInFolder(const NodeRef& folder) {
    const int top = model_.IndexOf(folder);
    if (top < 0) return;
    const int end = top + model_.SubtreeWidth(top);
    std::vector<NodeRef> kept;
    int without = 0;
    for (const DuplicateGroup& group : groups_->Groups()) {
        NodeRef keep;
        for (const NodeRef& ref : group.entries) {
            // Below the folder: within its subtree's rows.
            const int entry = model_.IndexOf(ref);
            if (entry > top && entry < end) {
                keep = ref;
                break;
            }
        }
        if (keep.node == nullptr) ++without;
        kept.push_back(keep);
    }
    groups_->CheckAllBut(kept);
    if (without > 0) {
        LabelStatus->setText(
            LabelStatus->text() +
            QString("（このフォルダーのものがない %1 グループはチェックなし）").arg(without));
    }
}

void TFormDuplicates::DeleteChecked() { Resolve(false); }
void TFormDuplicates::MoveChecked() { Resolve(true); }

void TFormDuplicates::Resolve(bool intoFolder) {
    // The list must show the collection as it is: what the user checked is what leaves.
    if (!groups_->StillCurrent()) {
        Regroup();
        LabelStatus->setText(
            "一覧を作った後でブックマークが変わったため、一覧を作り直しました。"
            "チェックを付け直してください");
        return;
    }
    const DuplicatesModel::Resolution resolution = groups_->CheckedResolution();
    if (resolution.fullGroups > 0) {
        if (PromptPort* prompts = model_.GetPorts().prompts) {
            prompts->ShowMessage(
                "すべてのエントリーにチェックが付いたグループがあります。"
                "各グループで少なくとも 1 件はチェックを外してください");
        }
        return;
    }
    if (resolution.groups.empty()) {
        LabelStatus->setText("チェックの付いたエントリーがありません");
        return;
    }
    DuplicateDisposal disposal;
    disposal.intoFolder = intoFolder;
    const CleanupOutcome outcome = runCleanup_(
        [&] { return ResolveDuplicates(model_, resolution.groups, resolution.kept, disposal); });
    Regroup();
    // A refusal (no room for the folders) was said already.
    if (!outcome.refused) LabelStatus->setText(LabelStatus->text() + "  " + Text(outcome.summary));
}

}  // namespace pernard::ui
