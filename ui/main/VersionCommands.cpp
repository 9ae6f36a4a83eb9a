// ファイル › 以前の版…: the earlier versions of the selected root's source, compared with it as
// it is now, read back as another root or put back over it.

#include <memory>

#include "commands/HistoryCommands.h"
#include "commands/SelectedRoot.h"
#include "sync/LocalTree.h"
#include "sync/ServerVersions.h"
#include "ui/dialogs/VersionsDialog.h"
#include "ui/sync/SyncController.h"
#include "ui/main/BoardMain.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

namespace {

// What the root's saves write over: a Favorites root's directory is its name.
std::string TargetOf(const BmLogic& model, int root) {
    if (model.SourceKindOf(root) == SourceKind::Favorites) return std::string(model.glName[root]);
    return std::string(model.SourcePath(root));
}

}  // namespace

void TFormMain::SetupVersions() {
    QMenu* file = Item("miFile")->menu();
    QAction* item = new QAction("以前の版(&V)...", file);
    item->setObjectName("miFileVersions");
    items_["miFileVersions"] = item;
    connect(item, &QAction::triggered, this, &TFormMain::miFileVersionsClick);
    file->insertAction(Item("N3"), item);
}

void TFormMain::miFileVersionsClick() {
    int root = -1;
    if (!CheckRootNode(model_, root)) return;
    const std::string target = TargetOf(model_, root);
    PromptPort& prompts = *model_.GetPorts().prompts;
    if (target.empty()) {
        prompts.ShowMessage("このルートには読込元のファイルがありません");
        return;
    }
    const VersionHistory history = HistoryOf(*model_.GetPorts().settings);
    VersionListing listing = history.List(target);
    // A synced root's shared file has versions of its own, kept before each run replaced it.
    for (KeptVersion& version : sync_->ServerVersionsOf(root)) listing.versions.push_back(std::move(version));
    const NodeRef rootRef = model_.RefOf(root);
    auto* dialog = findChild<TFormVersions*>("TFormVersions");
    if (dialog == nullptr) dialog = new TFormVersions(this);
    // The target as it is now is read once, when the first version is compared with it; a
    // target that is gone now holds nothing.
    // The dialog outlives this call: what it compares with is its own.
    auto now = std::make_shared<std::optional<std::vector<BookmarkPlace>>>();
    dialog->Show(target, std::move(listing.versions), listing.skipped,
                 [this, history, target, now, rootRef](const KeptVersion& version, std::string& error)
                     -> std::optional<VersionDifference> {
                     if (version.fromServer) return CompareServerVersion(version, rootRef, error);
                     const auto before = ReadVersionPlaces(history, version, error);
                     if (!before) return std::nullopt;
                     if (!*now) {
                         std::string ignored;
                         *now = ReadTargetPlaces(target, ignored)
                                    .value_or(std::vector<BookmarkPlace>{});
                     }
                     return CompareBookmarks(*before, **now);
                 });
    const int choice = RunDialog(*dialog);
    const KeptVersion* chosen = dialog->Selected();
    if (chosen == nullptr || (choice != TFormVersions::Open && choice != TFormVersions::Restore)) {
        return;
    }
    const KeptVersion version = *chosen;
    const QString when = Text(VersionTimeText(version.keptAt));
    if (version.fromServer) {
        OpenOrRestoreServerVersion(version, choice == TFormVersions::Open, rootRef);
        return;
    }
    if (choice == TFormVersions::Open) {
        const int opened = OpenVersionAsRoot(model_, history, version);
        if (opened < 0) return;
        SelectNode(model_.Tree().Count() > 0 ? model_.IndexOf(model_.RefOf(opened)) : 0);
        UpdateEntryButtons();
        UpdateUndoItems();
        Panel0->setText("以前の版を読み込みました : " + when);
        return;
    }
    const std::string question = target + " を以前の版 " + std::to_string(version.number) + "（" +
                                 VersionTimeText(version.keptAt) +
                                 "）に戻します。今の内容も以前の版として残ります。よろしいですか？";
    if (prompts.Confirm(question, Buttons::YesNo) != Answer::Yes) return;
    const NodeRef held = model_.RefOf(root);
    bool restored = false;
    ChangeTable([&] {
        restored = RestoreVersionInto(model_, history, version, root);
        return held;
    });
    if (restored) Panel1->setText("以前の版に戻しました : " + when);
}

std::optional<VersionDifference> TFormMain::CompareServerVersion(const KeptVersion& version,
                                                                const NodeRef& root,
                                                                std::string& error) const {
    const std::optional<sync::SyncTree> before = sync::ReadServerVersion(version, error);
    const int now = model_.IndexOf(root);
    if (!before) return std::nullopt;
    if (now < 0) {
        error = "ルートがもうありません";
        return std::nullopt;
    }
    return CompareBookmarks(sync::PlacesOfTree(*before),
                            sync::PlacesOfTree(sync::ReadLocalRoot(model_, now).tree));
}

void TFormMain::OpenOrRestoreServerVersion(const KeptVersion& version, bool open, const NodeRef& root) {
    PromptPort& prompts = *model_.GetPorts().prompts;
    std::string error;
    const std::optional<sync::SyncTree> tree = sync::ReadServerVersion(version, error);
    if (!tree) {
        prompts.ShowMessage(error);
        return;
    }
    const std::string when = VersionTimeText(version.keptAt);
    if (open) {
        const int opened = sync::OpenServerVersionAsRoot(model_, *tree, "サーバーの以前の版 " + when, error);
        if (opened < 0) {
            prompts.ShowMessage(error);
            return;
        }
        SelectNode(model_.IndexOf(model_.RefOf(opened)));
        UpdateEntryButtons();
        UpdateUndoItems();
        Panel0->setText(Text("サーバーの以前の版を読み込みました : " + when));
        return;
    }
    const int now = model_.IndexOf(root);
    if (now < 0) return;
    const std::string question = std::string(model_.glName[now]) + " をサーバーの以前の版 " +
                                 std::to_string(version.number) + "（" + when +
                                 "）に戻します。次の同期でサーバーにも送ります。よろしいですか？";
    if (prompts.Confirm(question, Buttons::YesNo) != Answer::Yes) return;
    bool restored = false;
    ChangeTable([&] {
        restored = sync::RestoreServerVersion(model_, now, *tree, error);
        return root;
    });
    UpdateUndoItems();
    if (!restored) {
        prompts.ShowMessage(error);
        return;
    }
    Panel1->setText(Text("サーバーの以前の版に戻しました : " + when));
}

}  // namespace pernard::ui
