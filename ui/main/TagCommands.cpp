// Tags and descriptions in the main window: タグと説明 edits the current entry's (a bookmark's
// tags, any entry's description) in a dialog of its own, and タグを追加 / タグを削除 change the
// tags of every highlighted bookmark at once. Each is one step of undo, run as a table change of
// this window; a save writes them back as the TAGS attribute and the <DD> description.

#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <map>
#include <set>

#include "model/EntryExtras.h"
#include "model/Tags.h"
#include "ui/main/BoardMain.h"
#include "ui/widgets/QtText.h"
#include "ui/dialogs/TagDialogs.h"

namespace pernard::ui {

namespace {

// The tags as the dialog shows them.
QString ShownTags(const std::vector<std::string>& tags) {
    QStringList shown;
    for (const std::string& tag : tags) shown << Text(tag);
    return shown.join(", ");
}

template <typename Dialog>
Dialog* DialogOf(QWidget* owner, const char* name) {
    auto* dialog = owner->findChild<Dialog*>(name);
    return dialog != nullptr ? dialog : new Dialog(owner);
}

}  // namespace

std::vector<std::pair<std::string, int>> TFormMain::TagsCarried(
    const std::vector<NodeRef>& entries) const {
    // Each tag once, as the bookmarks hold it, with how many of them carry it: the most
    // carried first, then in the order they were met.
    std::vector<std::pair<std::string, int>> counted;
    std::map<std::string, std::size_t> at;
    for (const NodeRef& entry : entries) {
        const int index = model_.IndexOf(entry);
        if (index < 0 || model_.IsFolder(index)) continue;
        std::set<std::string> carried;
        for (const std::string& tag : TagList(UnpackExtras(model_.ExtrasOf(index)).attributes)) {
            if (!carried.insert(tag).second) continue;  // a bookmark counts once
            const auto [place, added] = at.emplace(tag, counted.size());
            if (added) counted.emplace_back(tag, 0);
            ++counted[place->second].second;
        }
    }
    std::stable_sort(counted.begin(), counted.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return counted;
}

void TFormMain::SetupTagCommands() {
    QMenu* edit = Item("miEdit")->menu();
    AddSeparator(edit, "miEditN1");
    AddItem(edit, "miEditNotes", "タグと説明(&N)...", &TFormMain::NotesClick);
    AddItem(edit, "miEditAddTags", "タグを追加(&A)...", &TFormMain::AddTagsClick);
    AddItem(edit, "miEditRemoveTags", "タグを削除(&R)...", &TFormMain::RemoveTagsClick);
    // In the context menus, after 編集.
    auto insert = [this](QMenu* menu, const char* before, const QString& name,
                         const QString& caption, void (TFormMain::*handler)()) {
        auto* action = new QAction(caption, menu);
        action->setObjectName(name);
        items_[name] = action;
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        menu->insertAction(Item(before), action);
    };
    insert(PMenu, "N14", "PMenuNotes", "タグと説明...", &TFormMain::NotesClick);
    insert(PLViewMenu, "N13", "PLViewNotes", "タグと説明...", &TFormMain::NotesClick);
    insert(PLViewMenu, "N13", "PLViewAddTags", "タグを追加...", &TFormMain::AddTagsClick);
    insert(PLViewMenu, "N13", "PLViewRemoveTags", "タグを削除...", &TFormMain::RemoveTagsClick);
}

void TFormMain::NotesClick() {
    const int index = model_.glIndex();
    if (!model_.IsValidIndex(index)) {
        model_.GetPorts().prompts->ShowMessage("ブックマーク又はフォルダーを選択してください");
        return;
    }
    const NodeRef edited = model_.RefOf(index);
    const bool tagged = !model_.IsFolder(index);
    const EntryExtras before = UnpackExtras(model_.ExtrasOf(index));
    const std::vector<std::string> tags = TagList(before.attributes);
    const QString shownTags = ShownTags(tags);
    const QString shownDescription =
        before.hasDescription ? Text(DescriptionText(before.description)) : QString();
    auto* dialog = DialogOf<TFormNotes>(this, "TFormNotes");
    dialog->ShowEntry(Text(model_.glName[static_cast<std::size_t>(index)]), shownTags,
                      shownDescription, tagged);
    if (RunDialog(*dialog) != QDialog::Accepted) return;
    const int now = model_.IndexOf(edited);
    if (now < 0) return;
    // What was left as shown stays exactly as it was written.
    EntryExtras after = UnpackExtras(model_.ExtrasOf(now));
    if (tagged && dialog->EditTags->text() != shownTags) {
        const std::vector<std::string> typed = TagsFromInput(Bytes(dialog->EditTags->text()));
        if (typed != tags) after.attributes = WithTags(after.attributes, typed);
    }
    if (dialog->MemoDescription->toPlainText() != shownDescription) {
        after.description = DescriptionFromText(Bytes(dialog->MemoDescription->toPlainText()));
        after.hasDescription = !after.description.empty();
    }
    ChangeTable([&] {
        model_.EditExtras(now, after);
        return NodeRef{};
    });
}

void TFormMain::AddTagsClick() { ChangeTagsOfSelection(true); }
void TFormMain::RemoveTagsClick() { ChangeTagsOfSelection(false); }

void TFormMain::ChangeTagsOfSelection(bool add) {
    // The list's highlighted rows, else the current entry.
    std::vector<NodeRef> entries = pane_->Selection();
    if (entries.empty() && model_.IsValidIndex(model_.glIndex())) entries = {model_.Current()};
    int bookmarks = 0;
    for (const NodeRef& entry : entries) {
        const int index = model_.IndexOf(entry);
        if (index >= 0 && !model_.IsFolder(index)) ++bookmarks;
    }
    if (bookmarks == 0) {
        model_.GetPorts().prompts->ShowMessage("ブックマークを選択してください");
        return;
    }
    // Removed tags are ticked among those carried and taken as the bookmarks hold them.
    const std::vector<std::pair<std::string, int>> carried =
        add ? std::vector<std::pair<std::string, int>>{} : TagsCarried(entries);
    if (!add && carried.empty()) {
        model_.GetPorts().prompts->ShowMessage("選択したブックマークにタグはありません");
        return;
    }
    std::vector<TFormTagInput::CarriedTag> shown;
    for (const auto& [tag, count] : carried) shown.emplace_back(Text(tag), count);
    auto* dialog = DialogOf<TFormTagInput>(this, "TFormTagInput");
    dialog->Ask(add, bookmarks, shown);
    if (RunDialog(*dialog) != QDialog::Accepted) return;
    std::vector<std::string> tags;
    if (add) {
        tags = TagsFromInput(Bytes(dialog->TypedTags()));
    } else {
        for (std::size_t k : dialog->TickedTags()) {
            if (k < carried.size()) tags.push_back(carried[k].first);
        }
    }
    if (tags.empty()) return;
    const bool many = entries.size() > 1;
    int changed = 0;
    ChangeTable([&] {
        changed = model_.ChangeTags(entries, tags, add);
        return NodeRef{};
    });
    // The rows stay highlighted.
    if (many) pane_->SelectEntries(entries);
    Panel1->setText(QString(add ? "タグを追加 : %1 件" : "タグを削除 : %1 件").arg(changed));
}

}  // namespace pernard::ui
