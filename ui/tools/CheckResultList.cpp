#include "ui/tools/CheckResultList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <unordered_set>

#include "ui/widgets/QtText.h"

namespace pernard::ui {

namespace {

constexpr int kClassCount = static_cast<int>(LinkClass::NotChecked) + 1;
enum ResultColumn { kNameColumn, kStatusColumn, kUrlColumn, kRemarkColumn, kResultColumns };
// Asked before opening more archived copies than this at once.
constexpr std::size_t kArchivesWithoutQuestion = 5;

void ShowResult(QTreeWidgetItem* row, const BmLogic* model, const CheckedLink& link) {
    const int entry = model != nullptr ? model->IndexOf(link.entry) : -1;
    row->setText(kNameColumn, entry >= 0 ? Text(model->glName[entry]) : QString());
    row->setText(kStatusColumn, Text(StatusText(link.result)));
    row->setText(kUrlColumn, Text(link.result.url));
    row->setText(kRemarkColumn, Text(RemarkText(link.result)));
    for (int column = 0; column < kResultColumns; ++column) {
        row->setToolTip(column, PlainToolTip(row->text(column)));
    }
}

}  // namespace

CheckResultList::CheckResultList(QWidget* parent) : QWidget(parent) {
    setObjectName("CheckResults");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    TreeResults = new QTreeWidget(this);
    TreeResults->setObjectName("TreeResults");
    TreeResults->setAccessibleName("チェック結果");
    TreeResults->setColumnCount(kResultColumns);
    TreeResults->setHeaderLabels({"分類・タイトル", "状況", "URL", "転送先・備考"});
    TreeResults->setSelectionMode(QAbstractItemView::ExtendedSelection);
    TreeResults->setUniformRowHeights(true);
    TreeResults->setContextMenuPolicy(Qt::CustomContextMenu);
    for (int column = 0; column < kResultColumns; ++column) {
        TreeResults->setColumnWidth(column, column == kStatusColumn ? 70 : 180);
    }
    for (int linkClass = 0; linkClass < kClassCount; ++linkClass) {
        auto* row = new QTreeWidgetItem(TreeResults);
        row->setText(kNameColumn, LinkClassText(static_cast<LinkClass>(linkClass)));
        row->setHidden(true);  // until a result of its class comes
        classRows_.push_back(row);
    }
    layout->addWidget(TreeResults, 1);

    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const char* name, const char* caption) {
        auto* made = new QPushButton(caption, this);
        made->setObjectName(name);
        buttons->addWidget(made);
        return made;
    };
    BtReplace = button("BtReplace", "転送先の URL に置き換える");
    CheckTemporary = new QCheckBox("一時的な転送も", this);
    CheckTemporary->setObjectName("CheckTemporary");
    CheckTemporary->setAccessibleName("一時的な転送も置き換える");
    buttons->addWidget(CheckTemporary);
    BtRecheck = button("BtRecheck", "もう一度チェック");
    BtMoveBroken = button("BtMoveBroken", "フォルダーへ移動（リンク切れ）");
    BtDelete = button("BtDeleteResults", "削除");
    BtDelete->setAccessibleName("選択したブックマークを削除");
    BtArchive = button("BtArchive", "アーカイブを開く");
    buttons->addStretch();
    layout->addLayout(buttons);
    LabelOutcome = new QLabel(this);
    LabelOutcome->setObjectName("LabelOutcome");
    LabelOutcome->setTextFormat(Qt::PlainText);
    layout->addWidget(LabelOutcome);

    ResultMenu = new QMenu(this);
    ResultMenu->setObjectName("ResultMenu");
    const std::pair<QPushButton*, void (CheckResultList::*)()> actions[] = {
        {BtReplace, &CheckResultList::ReplaceSelected},
        {BtRecheck, &CheckResultList::RecheckSelected},
        {BtMoveBroken, &CheckResultList::MoveSelected},
        {BtDelete, &CheckResultList::DeleteSelected},
        {BtArchive, &CheckResultList::OpenArchiveOfSelected},
    };
    for (const auto& [shown, slot] : actions) {
        connect(shown, &QPushButton::clicked, this, slot);
        ResultMenu->addAction(shown->text(), this, slot)
            ->setObjectName(shown->objectName() + "Item");
    }
    connect(TreeResults, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (TreeResults->selectedItems().isEmpty()) return;
        ResultMenu->popup(TreeResults->viewport()->mapToGlobal(at));
    });
}

void CheckResultList::SetLinks(BmLogic* model, CheckResultLinks links) {
    model_ = model;
    links_ = std::move(links);
}

void CheckResultList::Clear() {
    for (QTreeWidgetItem* classRow : classRows_) {
        qDeleteAll(classRow->takeChildren());
        classRow->setHidden(true);
    }
    rowOf_.clear();
    linkOf_.clear();
    LabelOutcome->clear();
}

QTreeWidgetItem* CheckResultList::ClassRow(LinkClass linkClass) const {
    return classRows_[static_cast<std::size_t>(linkClass)];
}

QTreeWidgetItem* CheckResultList::EntryRow(const NodeRef& entry) const {
    const auto found = rowOf_.find(entry.serial);
    return found == rowOf_.end() ? nullptr : found->second;
}

void CheckResultList::RemoveRow(QTreeWidgetItem* row) {
    const auto found = linkOf_.find(row);
    if (found != linkOf_.end()) {
        rowOf_.erase(found->second.entry.serial);
        linkOf_.erase(found);
    }
    QTreeWidgetItem* classRow = row->parent();
    delete row;
    if (classRow != nullptr) ShowClassRow(classRow);
}

void CheckResultList::ShowClassRow(QTreeWidgetItem* classRow) {
    int shown = 0;
    for (int k = 0; k < classRow->childCount(); ++k)
        shown += classRow->child(k)->isHidden() ? 0 : 1;
    classRow->setHidden(shown == 0);
    classRow->setText(kStatusColumn, QString("%1 件").arg(shown));
}

int CheckResultList::Count() const {
    int shown = 0;
    for (const auto& [row, link] : linkOf_) shown += row->isHidden() ? 0 : 1;
    return shown;
}

void CheckResultList::Put(CheckedLink link) {
    if (QTreeWidgetItem* old = EntryRow(link.entry)) RemoveRow(old);
    QTreeWidgetItem* classRow = ClassRow(ClassOf(link.result));
    auto* row = new QTreeWidgetItem(classRow);
    ShowResult(row, model_, link);
    rowOf_[link.entry.serial] = row;
    linkOf_[row] = std::move(link);
    ShowClassRow(classRow);
}

std::vector<CheckedLink> CheckResultList::SelectedLinks() const {
    std::unordered_set<const QTreeWidgetItem*> selected;
    for (const QTreeWidgetItem* row : TreeResults->selectedItems()) selected.insert(row);
    std::vector<CheckedLink> links;
    for (const QTreeWidgetItem* classRow : classRows_) {
        const bool whole = selected.count(classRow) > 0;
        for (int k = 0; k < classRow->childCount(); ++k) {
            QTreeWidgetItem* row = classRow->child(k);
            if (!row->isHidden() && (whole || selected.count(row) > 0)) {
                links.push_back(linkOf_.at(row));
            }
        }
    }
    return links;
}

void CheckResultList::ShowCurrent() {
    if (model_ == nullptr) return;
    for (const auto& [row, link] : linkOf_) {
        const int entry = model_->IndexOf(link.entry);
        const bool current = entry >= 0 && model_->glUrl[entry] == link.result.url;
        if (current) ShowResult(row, model_, link);  // the name follows the entry
        row->setHidden(!current);
        if (!current) row->setSelected(false);
    }
    for (QTreeWidgetItem* classRow : classRows_) ShowClassRow(classRow);
}

void CheckResultList::ShowOutcome(const QString& text) { LabelOutcome->setText(text); }

void CheckResultList::Act(
    const std::function<CleanupOutcome(const std::vector<CheckedLink>&)>& step) {
    if (model_ == nullptr || !links_.runCleanup) return;
    // Only rows that stand for their entries as they are now are acted on.
    ShowCurrent();
    const std::vector<CheckedLink> links = SelectedLinks();
    if (links.empty()) {
        ShowOutcome("結果が選択されていません");
        return;
    }
    const CleanupOutcome outcome = links_.runCleanup([&] { return step(links); });
    ShowCurrent();
    // A refusal (no room for the folders) was said already.
    if (!outcome.refused) ShowOutcome(Text(outcome.summary));
}

void CheckResultList::ReplaceSelected() {
    const bool temporaryToo = CheckTemporary->isChecked();
    Act([this, temporaryToo](const std::vector<CheckedLink>& links) {
        return ReplaceRedirectedUrls(*model_, links, temporaryToo);
    });
}

std::vector<CheckedLink> CheckResultList::ShownLinks() const {
    std::vector<CheckedLink> links;
    for (const auto& [row, link] : linkOf_) {
        if (!row->isHidden()) links.push_back(link);
    }
    return links;
}

void CheckResultList::MoveSelected() {
    Act([this](const std::vector<CheckedLink>& links) {
        // So many gone at once is likelier a fault on this side than the web's: asked first.
        PromptPort* prompts = model_->GetPorts().prompts;
        const std::size_t checked = CheckedCount(ShownLinks());
        if (TooManyToMove(links.size(), checked) && prompts != nullptr &&
            prompts->Confirm("チェックした " + std::to_string(checked) + " 件のうち " +
                                 std::to_string(links.size()) +
                                 " 件をリンク切れに移動します。ネットワークの不調でないか確かめて"
                                 "ください。移動しますか？",
                             Buttons::YesNoDefaultNo) != Answer::Yes) {
            return CleanupOutcome{0, 0, false, "移動を取り消しました"};
        }
        std::vector<NodeRef> entries;
        for (const CheckedLink& link : links) entries.push_back(link.entry);
        return MoveBrokenLinks(*model_, entries);
    });
}

void CheckResultList::DeleteSelected() {
    Act([this](const std::vector<CheckedLink>& links) {
        PromptPort* prompts = model_->GetPorts().prompts;
        const std::string question =
            "選択した " + std::to_string(links.size()) + " 件のブックマークを削除しますか？";
        if (prompts != nullptr &&
            prompts->Confirm(question, Buttons::YesNoDefaultNo) != Answer::Yes) {
            return CleanupOutcome{0, 0, false, "削除を取り消しました"};
        }
        std::vector<NodeRef> entries;
        for (const CheckedLink& link : links) entries.push_back(link.entry);
        return DeleteBrokenLinks(*model_, entries);
    });
}

void CheckResultList::RecheckSelected() {
    if (model_ == nullptr || !links_.recheck) return;
    ShowCurrent();
    std::vector<NodeRef> entries;
    for (const CheckedLink& link : SelectedLinks()) entries.push_back(link.entry);
    if (entries.empty()) {
        ShowOutcome("結果が選択されていません");
        return;
    }
    if (!links_.recheck(entries)) {
        ShowOutcome("チェックを開始できませんでした");
        return;
    }
    ShowOutcome(QString("もう一度チェック : %1 件").arg(entries.size()));
}

void CheckResultList::OpenArchiveOfSelected() {
    if (model_ == nullptr || !links_.openAddress) return;
    const std::vector<CheckedLink> links = SelectedLinks();
    if (links.empty()) {
        ShowOutcome("結果が選択されていません");
        return;
    }
    PromptPort* prompts = model_->GetPorts().prompts;
    if (links.size() > kArchivesWithoutQuestion && prompts != nullptr &&
        prompts->Confirm("アーカイブを " + std::to_string(links.size()) + " 件開きますか？",
                         Buttons::YesNoDefaultNo) != Answer::Yes) {
        return;
    }
    int opened = 0;
    for (const CheckedLink& link : links) {
        if (!links_.openAddress(Text(ArchivedCopyUrl(link.result.url)))) break;
        ++opened;
    }
    ShowOutcome(QString("アーカイブを開く : %1 件").arg(opened));
}

}  // namespace pernard::ui
