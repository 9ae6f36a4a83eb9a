// Sorting in the main window: 並べ替え of a folder (the 編集 menu and the tree's context menu),
// one step of undo, and the list's column headers, which order the list's rows only (the list
// pane's view order).

#include <QHeaderView>
#include <QMenuBar>
#include <algorithm>

#include "model/Sorting.h"
#include "ui/main/BoardMain.h"
#include "ui/widgets/EntryView.h"
#include "ui/main/ListModel.h"
#include "ui/widgets/QtText.h"
#include "ui/dialogs/SortDialog.h"
#include "ui/main/TreeModel.h"

namespace pernard::ui {

void TFormMain::SetupSorting() {
    // E is チェック's key already.
    auto* edit = new QMenu("編集(&D)", MainMenu);
    edit->setObjectName("miEditMenu");
    edit->menuAction()->setObjectName("miEdit");
    items_["miEdit"] = edit->menuAction();
    MainMenu->insertMenu(Item("miView"), edit);
    // What a user looks for in an 編集 menu, with the keys that do it; each acts on what is
    // highlighted, as the tool bar's button does.
    auto addCommand = [this, edit](const QString& name, const QString& caption,
                                   const QKeySequence& key, void (TFormMain::*handler)()) {
        QAction* item = AddItem(edit, name, caption, handler);
        item->setShortcut(key);
        item->setShortcutContext(Qt::WidgetShortcut);  // shown only; the window's keys act
    };
    addCommand("miEditCut", "切取り(&T)", QKeySequence(Qt::CTRL | Qt::Key_X), &TFormMain::BtCutClick);
    addCommand("miEditCopy", "コピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_C), &TFormMain::BtCopyClick);
    addCommand("miEditPaste", "貼付け(&P)", QKeySequence(Qt::CTRL | Qt::Key_V),
               &TFormMain::BtPasteClick);
    addCommand("miEditDelete", "削除(&D)", QKeySequence(Qt::Key_Delete), &TFormMain::BtSakujoClick);
    edit->addSeparator();
    AddUndoItems(edit, "3");
    AddItem(edit, "miEditSort", "並べ替え(&O)...", &TFormMain::SortClick);
    // In the tree's menu, after 編集.
    QAction* sort = new QAction("並べ替え...", PMenu);
    sort->setObjectName("PMenuSort");
    items_["PMenuSort"] = sort;
    connect(sort, &QAction::triggered, this, &TFormMain::SortClick);
    PMenu->insertAction(Item("N14"), sort);

    QHeaderView* header = LView->header();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { pane_->HeaderClick(column); });
}

void TFormMain::SortClick() {
    int folder = SelectedEntry();
    if (model_.IsValidIndex(folder) && !model_.IsFolder(folder)) folder = model_.ParentOf(folder);
    if (!model_.IsValidIndex(folder)) {
        model_.GetPorts().prompts->ShowMessage("並べ替えるフォルダーを選択してください");
        return;
    }
    // One dialog for the session: it keeps the last choices.
    auto* dialog = findChild<TFormSort*>("TFormSort");
    if (dialog == nullptr) dialog = new TFormSort(this);
    dialog->ShowFolder(Text(model_.glName[folder]));
    if (RunDialog(*dialog) != QDialog::Accepted) return;
    const SortOptions options = dialog->Options();
    const NodeRef selected = model_.Tree().Ref(SelectedNode());
    const int sorted = SortedCount(folder, options.recursive);
    bool moved = false;
    ChangeTable([&] {
        moved = model_.SortFolder(folder, options);
        return selected;
    });
    // After the list's refresh, which wrote panel 1 anew, as the other clean-ups say theirs.
    Panel1->setText(QString("並べ替え : %1 件").arg(moved ? sorted : 0));
}

int TFormMain::SortedCount(int folder, bool recursive) const {
    const int end = folder + model_.SubtreeWidth(folder);
    int count = 0;
    for (int i = folder + 1; i < end; ++i) count += recursive || model_.ParentOf(i) == folder;
    return count;
}

}  // namespace pernard::ui
