// Undo and redo in the main window: the keys (Ctrl+Z; Ctrl+Y and Ctrl+Shift+Z), the first two
// items of both context menus, named after the operation they take back or do again, and the
// window's state (selection, list, open folders) shown as it was around the step.

#include <QKeySequence>
#include <QMenu>

#include "ui/main/BoardMain.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

namespace {

QString Caption(const char* verb, const std::string& operation, const char* accelerator) {
    QString caption = verb;
    if (!operation.empty()) caption += ": " + Text(operation);
    return caption + accelerator;
}

}  // namespace

void TFormMain::BuildUndoItems() {
    // The keys work wherever the focus is in this window; the menu items only show the way.
    auto* undoKey = new QAction(this);
    undoKey->setObjectName("UndoKey");
    undoKey->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    connect(undoKey, &QAction::triggered, this, &TFormMain::UndoClick);
    addAction(undoKey);
    auto* redoKey = new QAction(this);
    redoKey->setObjectName("RedoKey");
    redoKey->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(redoKey, &QAction::triggered, this, &TFormMain::RedoClick);
    addAction(redoKey);

    AddUndoItems(PMenu, "1");
    AddUndoItems(PLViewMenu, "2");
    UpdateUndoItems();
}

void TFormMain::AddUndoItems(QMenu* menu, const QString& suffix) {
    QAction* first = menu->actions().value(0);
    auto* undo = new QAction("元に戻す(&U)", menu);
    undo->setObjectName("Undo" + suffix);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setShortcutContext(Qt::WidgetShortcut);  // shown only; the window's key acts
    connect(undo, &QAction::triggered, this, &TFormMain::UndoClick);
    auto* redo = new QAction("やり直し(&R)", menu);
    redo->setObjectName("Redo" + suffix);
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    redo->setShortcutContext(Qt::WidgetShortcut);
    connect(redo, &QAction::triggered, this, &TFormMain::RedoClick);
    menu->insertAction(first, undo);
    menu->insertAction(first, redo);
    QAction* separator = menu->insertSeparator(first);
    separator->setObjectName("UndoSeparator" + suffix);
    items_[undo->objectName()] = undo;
    items_[redo->objectName()] = redo;
    items_[separator->objectName()] = separator;
    undoMenus_.push_back(suffix);
    connect(menu, &QMenu::aboutToShow, this, &TFormMain::UpdateUndoItems);
}

void TFormMain::UpdateUndoItems() {
    for (const QString& suffix : undoMenus_) {
        QAction* undo = Item("Undo" + suffix);
        QAction* redo = Item("Redo" + suffix);
        undo->setText(Caption("元に戻す", model_.UndoName(), "(&U)"));
        undo->setEnabled(model_.CanUndo());
        redo->setText(Caption("やり直し", model_.RedoName(), "(&R)"));
        redo->setEnabled(model_.CanRedo());
    }
}

SelectionMarks TFormMain::CurrentMarks() const {
    SelectionMarks marks;
    marks.current = model_.Current();
    marks.tree = model_.Tree().Ref(SelectedNode());
    marks.listRow = pane_->HighlightedRow();
    if (pane_->SelectionCount() > 1) marks.listRows = pane_->Selection();
    return marks;
}

void TFormMain::RestoreMarks(const SelectionMarks& marks, const NodeRef& expandedFolder) {
    const int selected = model_.IndexOf(marks.tree);
    if (selected >= 0) SelectNode(selected);
    // A list that showed everything below its folder shows it so again.
    const int expanded = model_.IndexOf(expandedFolder);
    if (expanded >= 0 && expanded == model_.IndexOf(pane_->Shown())) BtFolderClick();
    const int row = ListItems->RowOfEntry(marks.listRow);
    if (row >= 0 && model_.IndexOf(marks.listRow) >= 0) {
        LView->setCurrentIndex(ListItems->index(row, 0));
        LView->scrollTo(ListItems->index(row, 0));
    }
    const int current = model_.IndexOf(marks.current);
    const bool several = marks.listRows.size() > 1;
    if (current >= 0) {
        // The entry the step gave back is the current one: it is shown, highlighted in its
        // folder's list when the tree shows another entry (or among the rows highlighted
        // together, when it is listed with them).
        const QModelIndex listed = LView->currentIndex();
        const bool shown = current == SelectedEntry() ||
                           (listed.isValid() && ListItems->EntryIndex(listed.row()) == current) ||
                           (several && ListItems->RowOfEntry(marks.current) >= 0);
        if (!shown) ShowSearchHit(marks.current);
        model_.SetCurrent(marks.current);
    }
    // Rows highlighted together are highlighted together again (those that still exist), the
    // one that had the focus keeping it.
    if (several) pane_->SelectEntries(marks.listRows, marks.listRow);
    if (current >= 0) UpdateEntryButtons();
    if (!ClipPending()) ShowCurrentInPanel1();
}

void TFormMain::UndoClick() { StepHistory(true); }
void TFormMain::RedoClick() { StepHistory(false); }

void TFormMain::StepHistory(bool undo) {
    SelectionMarks marks;
    bool stepped = false;
    const NodeRef expandedFolder = pane_->ShowsExpanded() ? pane_->Shown() : NodeRef{};
    ChangeTable([&] {
        stepped = undo ? model_.Undo(&marks) : model_.Redo(&marks);
        return NodeRef{};
    });
    if (!stepped) return;
    ReopenFolders();
    RestoreMarks(marks, expandedFolder);
}

void TFormMain::ReopenFolders() {
    // Only open folders are walked into: after a load, where nothing is open yet, that is the
    // top level alone.
    const TreeNodes& tree = model_.Tree();
    std::vector<const TreeNode*> open;
    for (int row = 0; row < tree.TopLevelCount(); ++row) open.push_back(tree.TopLevel(row));
    while (!open.empty()) {
        const TreeNode* node = open.back();
        open.pop_back();
        if (!node->Expanded()) continue;
        const QModelIndex index = TreeItems->IndexOf(node);
        if (!TreeV->isExpanded(index)) TreeV->expand(index);
        for (int row = 0; row < node->ChildCount(); ++row) open.push_back(node->Child(row));
    }
}

}  // namespace pernard::ui
