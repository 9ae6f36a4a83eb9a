// The main window's editing commands: new, edit, delete, move up and down, cut, copy and
// paste, from the tool bar, the two context menus and the keys of the tree and the list. Each
// calls one operation of the model and then takes the window's state again from the nodes it
// holds, so that nothing acts on a row the edit has shifted.

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <algorithm>

#include "model/EntryExtras.h"
#include "ui/dialogs/BmURLEdit.h"
#include "ui/main/BoardMain.h"
#include "ui/sync/SyncController.h"
#include "ui/tools/DuplicatesWindow.h"
#include "ui/dialogs/Folder.h"
#include "ui/widgets/QtText.h"
#include "util/Dates.h"

namespace pernard::ui {

namespace {

// A field left as it was shown keeps the stored text exactly: a date field shows only the
// day, and a text may hold bytes that did not decode, shown as U+FFFD.
std::string TextField(const QLineEdit* field, std::string_view stored) {
    return field->text() == Text(stored) ? std::string(stored) : Bytes(field->text());
}
std::string DateField(const QLineEdit* field, const QString& shown, std::string_view stored) {
    return field->text() == shown ? std::string(stored) : DateTextToSeconds(Bytes(field->text()));
}

}  // namespace

// ---------------------------------------------------------------- state across edits

void TFormMain::ChangeTable(const std::function<NodeRef()>& change) {
    const SelectionMarks before = CurrentMarks();
    const std::uint64_t pushes = model_.HistoryPushCount();
    const NodeRef listRow = pane_->HighlightedRow();
    NodeRef select;
    {
        const QScopedValueRollback holdOff(tableChanging_, true);
        select = change();
        // The list drops, fills or repaints only what the change touched.
        pane_->Follow();
    }
    AfterTableChange(select, listRow);
    // An undo of this change shows again what was shown before it; a redo what is shown now.
    model_.SetStepMarks(pushes, before, CurrentMarks());
    if (duplicates_ != nullptr && duplicates_->isVisible()) duplicates_->CollectionChanged();
}

void TFormMain::AfterTableChange(const NodeRef& select, const NodeRef& listRow) {
    // A pending cut or copy whose source is gone has nothing left to paste.
    if (ClipPending() && model_.ClipIndex() < 0) EndPendingClip();
    if (model_.IndexOf(select) >= 0) {
        SelectNode(model_.IndexOf(select));
    } else {
        if (!ClipPending()) pane_->Refresh(true);
        // The current entry follows the highlight: the list's row when it is still listed
        // (highlighted again, as the refresh cleared it), else the tree's selection, which Qt
        // may have moved while the rows changed.
        // Without a tree selection a current entry that still exists stays.
        const int row = model_.IndexOf(listRow) >= 0 ? ListItems->RowOfEntry(listRow) : -1;
        if (row >= 0) {
            LView->setCurrentIndex(ListItems->index(row, 0));
            LViewChange(LView->currentIndex());  // also when the row was current already
        } else if (const int selected = SelectedEntry(); selected >= 0 || model_.glIndex() < 0) {
            model_.SetCurrent(selected);
        }
    }
    if (!highlightAfterChange_.empty()) {
        pane_->SelectEntries(highlightAfterChange_);
        highlightAfterChange_.clear();
    }
    if (model_.IndexOf(pane_->Shown()) < 0 && !ClipPending()) pane_->ForgetShown();
    UpdateEntryButtons();
    UpdateUndoItems();
}

void TFormMain::EndPendingClip() {
    model_.CancelClip();
    clipPending_ = false;
    UpdateStopButton();
    BtPaste->setEnabled(false);
}

int TFormMain::RunDialog(QDialog& dialog) {
    return links_.runDialog ? links_.runDialog(dialog) : dialog.exec();
}

TreeNode* TFormMain::SelectedNode() const { return TreeModel::NodeOf(TreeV->currentIndex()); }

// ---------------------------------------------------------------- new

void TFormMain::NewFolderAfter(TreeNode* reference) {
    TFormFolder* dialog = links_.folderDialog;
    if (reference == nullptr || dialog == nullptr) return;
    dialog->SetSaveUrlUse(TFormFolder::SaveUrlUse::Unused);
    if (RunDialog(*dialog) != QDialog::Accepted) return;
    const std::string name = Bytes(dialog->EditFolder->text());
    ChangeTable([&] {
        model_.NewFolder(reference, name, isVisible());
        return NodeRef{};
    });
}

void TFormMain::NewUrlAfter(TreeNode* reference) {
    TFormURL* dialog = links_.urlDialog;
    if (reference == nullptr || dialog == nullptr) return;
    dialog->EditAdd->setText(TFormURL::Today());
    dialog->ShowNotes(QString());
    if (RunDialog(*dialog) != QDialog::Accepted) return;
    const EntryTexts fields{Bytes(dialog->EditTitle->text()), Bytes(dialog->EditURL->text()),
                            DateTextToSeconds(Bytes(dialog->EditAdd->text())),
                            DateTextToSeconds(Bytes(dialog->EditVisit->text())),
                            DateTextToSeconds(Bytes(dialog->EditLast->text()))};
    ChangeTable([&] {
        model_.NewUrl(reference, fields, isVisible());
        return NodeRef{};
    });
}

void TFormMain::N1Click() { NewFolderAfter(SelectedNode()); }
void TFormMain::N2Click() { NewUrlAfter(SelectedNode()); }

void TFormMain::N7Click() {
    const int entry = pane_->HighlightedEntry();
    if (entry >= 0) NewFolderAfter(model_.glNode[entry]);
}

void TFormMain::N8Click() {
    const int entry = pane_->HighlightedEntry();
    if (entry >= 0) NewUrlAfter(model_.glNode[entry]);
}

// ---------------------------------------------------------------- edit

void TFormMain::BtHenshuuClick() { EditEntry(model_.glIndex()); }

void TFormMain::EditEntry(int index) {
    if (!model_.IsValidIndex(index)) return;
    const std::size_t k = static_cast<std::size_t>(index);
    const NodeRef edited = model_.RefOf(index);
    if (!model_.IsFolder(index)) {
        TFormURL* dialog = links_.urlDialog;
        if (dialog == nullptr) return;
        const QString added = TFormURL::DateFieldText(model_.glAdd[k]);
        const QString visited = TFormURL::DateFieldText(model_.glVisit[k]);
        const QString modified = TFormURL::DateFieldText(model_.glLast[k]);
        dialog->EditTitle->setText(Text(model_.glName[k]));
        dialog->EditURL->setText(Text(model_.glUrl[k]));
        dialog->EditAdd->setText(added);
        dialog->EditVisit->setText(visited);
        dialog->EditLast->setText(modified);
        dialog->ShowNotes(Text(NotesText(model_.ExtrasOf(index))));
        // Opening the dialog to edit must not replace the address from the clipboard.
        const bool pasteBox = dialog->CheckBuffer->isChecked();
        dialog->CheckBuffer->setChecked(false);
        if (RunDialog(*dialog) != QDialog::Accepted) return;
        dialog->CheckBuffer->setChecked(pasteBox);
        // The dialog was modal, but the entry is looked up again all the same.
        const int now = model_.IndexOf(edited);
        if (now < 0) return;
        const std::size_t n = static_cast<std::size_t>(now);
        const EntryTexts fields{TextField(dialog->EditTitle, model_.glName[n]),
                                TextField(dialog->EditURL, model_.glUrl[n]),
                                DateField(dialog->EditAdd, added, model_.glAdd[n]),
                                DateField(dialog->EditVisit, visited, model_.glVisit[n]),
                                DateField(dialog->EditLast, modified, model_.glLast[n])};
        ChangeTable([&] {
            model_.EditUrlEntry(now, fields);
            return NodeRef{};
        });
        return;
    }
    TFormFolder* dialog = links_.folderDialog;
    if (dialog == nullptr) return;
    const bool root = model_.gloya[k] < 0;
    if (root) {
        dialog->setWindowTitle(Text(model_.glAdd[k]));
        dialog->LabelFolder->setText("識別名");
        // A bookmark file or a browser's store is a file; a Favorites root, a directory.
        dialog->LabelURL->setText(model_.SourceKindOf(k) == SourceKind::Favorites ? "フォルダー名"
                                                                      : "ファイル名");
    } else {
        dialog->setWindowTitle("フォルダー");
        dialog->LabelFolder->setText("フォルダー名");
        dialog->LabelURL->setText("保存ＵＲＬ");
    }
    dialog->SetSaveUrlUse(root ? TFormFolder::SaveUrlUse::SourcePath
                               : TFormFolder::SaveUrlUse::FolderSaveUrl);
    dialog->EditFolder->setText(Text(model_.glName[k]));
    dialog->EditSaveURL->setText(Text(model_.glVisit[k]));
    dialog->ShowSyncAccount(root && sync_ != nullptr ? sync_->AccountOf(static_cast<int>(k)) : QString());
    if (RunDialog(*dialog) != QDialog::Accepted) return;
    const int now = model_.IndexOf(edited);
    if (now < 0) return;
    const std::size_t n = static_cast<std::size_t>(now);
    const std::string name = TextField(dialog->EditFolder, model_.glName[n]);
    const std::string saveUrl = TextField(dialog->EditSaveURL, model_.glVisit[n]);
    ChangeTable([&] {
        model_.EditFolderEntry(now, name, saveUrl);
        return NodeRef{};
    });
    if (root && model_.glIndex() == now) Panel1->setText(Text(saveUrl));
}

// ---------------------------------------------------------------- delete

void TFormMain::BtSakujoClick() {
    if (pane_->SelectionCount() > 1) {
        DeleteListSelection();
        return;
    }
    ChangeTable([&] {
        model_.DeleteSelected();
        return NodeRef{};
    });
}

void TFormMain::Delete1Click() {
    TreeNode* node = SelectedNode();
    if (node == nullptr) return;
    ChangeTable([&] {
        model_.DeleteNode(node, true);
        return NodeRef{};
    });
}

void TFormMain::Delete2Click() {
    if (pane_->SelectionCount() > 1) {
        DeleteListSelection();
        return;
    }
    // Only a row shown highlighted is deleted.
    const QModelIndex row = pane_->HighlightedIndex();
    const int entry = row.isValid() ? ListItems->EntryIndex(row.row()) : -1;
    if (entry < 0) return;
    // The list the user was looking at (an expanded one too) and the row above the deleted one.
    std::vector<NodeRef> shown;
    for (int k = 0; k < ListItems->rowCount(); ++k) shown.push_back(ListItems->EntryRef(k));
    const NodeRef above = row.row() > 0 ? ListItems->EntryRef(row.row() - 1) : NodeRef{};
    const SelectionMarks before = CurrentMarks();
    const std::uint64_t pushes = model_.HistoryPushCount();
    bool deleted = false;
    ChangeTable([&] {
        deleted = model_.DeleteNode(model_.glNode[entry], true);
        return NodeRef{};
    });
    if (!deleted) return;
    pane_->ShowAfterDelete(std::move(shown), above);
    // A redo shows what is shown now, not the window halfway through the delete.
    model_.SetStepMarks(pushes, before, CurrentMarks());
}

// ---------------------------------------------------------------- move

void TFormMain::MoveSelected(bool up) {
    // Highlighted rows move, one as a block of one; else the tree's entry does.
    if (pane_->SelectionCount() > 0) {
        MoveListSelection(up);
        return;
    }
    const int entry = SelectedEntry();
    if (entry < 0) return;
    // The moved entry stays selected wherever it lands.
    const NodeRef moving = model_.RefOf(entry);
    bool moved = false;
    ChangeTable([&] {
        moved = model_.MoveUpDown(entry, up);
        return moved ? moving : NodeRef{};
    });
    if (moved) BtPaste->setEnabled(false);
}

void TFormMain::BtUpClick() { MoveSelected(true); }
void TFormMain::BtDownClick() { MoveSelected(false); }

// ---------------------------------------------------------------- cut, copy and paste

void TFormMain::MarkClipFromTree(bool cut) {
    if (pane_->SelectionCount() > 1) {
        MarkClipOfSelection(cut);
        return;
    }
    if (!model_.IsValidIndex(model_.glIndex())) {
        Panel1->setText("Error ");
        return;
    }
    model_.MarkClip(model_.glIndex(), cut);
    clipPending_ = true;
    UpdateStopButton();
    BtPaste->setEnabled(true);
}

void TFormMain::MarkClipFromList(bool cut) {
    if (pane_->SelectionCount() > 1) {
        MarkClipOfSelection(cut);
        return;
    }
    const int entry = pane_->HighlightedEntry();
    model_.MarkClip(entry, cut);  // "Error " in panel 1 without a row
    if (entry < 0) return;
    clipPending_ = true;
    UpdateStopButton();
    BtPaste->setEnabled(true);
}

void TFormMain::BtCutClick() { MarkClipFromTree(true); }
void TFormMain::BtCopyClick() { MarkClipFromTree(false); }
void TFormMain::Cut1Click() { MarkClipFromList(true); }
void TFormMain::Copy1Click() { MarkClipFromList(false); }

void TFormMain::BtPasteClick() {
    if (model_.ClipIndex() >= 0 && !model_.IsValidIndex(model_.glIndex())) return;
    const std::size_t tops = model_.ClipTopCount();
    bool several = false;
    ChangeTable([&] {
        const int first = model_.PasteClip(model_.glIndex());
        if (first < 0) return NodeRef{};
        // The paste ends the pending state before the selection refreshes the list.
        EndPendingClip();
        // The pasted entries stand side by side from the first on.
        std::vector<NodeRef> pasted;
        for (int at = first; pasted.size() < tops && model_.IsValidIndex(at);
             at += model_.SubtreeWidth(at)) {
            pasted.push_back(model_.RefOf(at));
        }
        // Several are shown as the highlighted rows of the folder they went into.
        const int parent = model_.ParentOf(first);
        if (pasted.size() < 2 || parent < 0) return model_.RefOf(first);
        highlightAfterChange_ = pasted;
        several = true;
        return model_.RefOf(parent);
    });
    // The keys act on what is highlighted: the pasted rows, not the folder around them.
    if (several) LView->setFocus();
}

// ---------------------------------------------------------------- keys

bool TFormMain::HandleEditKeys(QObject* watched, QKeyEvent* event) {
    if (watched != TreeV && watched != LView) return false;
    const bool tree = watched == TreeV;
    if (event->matches(QKeySequence::Copy)) {
        tree ? BtCopyClick() : Copy1Click();
    } else if (event->matches(QKeySequence::Cut)) {
        tree ? BtCutClick() : Cut1Click();
    } else if (event->matches(QKeySequence::Paste)) {
        BtPasteClick();
    } else if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
        BtHenshuuClick();
    } else if (!tree && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // Enter on a list row does what a double click does; on many rows it opens them.
        if (pane_->SelectionCount() > 1) {
            OpenListSelection();
        } else if (pane_->HighlightedIndex().isValid()) {
            LViewDblClick(pane_->HighlightedIndex());
        }
    } else {
        return false;
    }
    return true;
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        // Tab into a view: its highlight is what the keys act on now.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            if (watched == TreeV) TreeVPress();
            if (watched == LView) LViewChange(LView->currentIndex());
        }
    }
    if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
    if (HandleEditKeys(watched, static_cast<QKeyEvent*>(event))) return true;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == TreeV && key == Qt::Key_Delete) {
        Delete1Click();
        return true;
    }
    if (watched == TreeV && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        OpenInBrowser();
        return true;
    }
    if (watched == LView && key == Qt::Key_Delete) {
        Delete2Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace pernard::ui
