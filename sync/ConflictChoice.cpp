#include "sync/ConflictChoice.h"

#include "sync/LocalTree.h"

namespace pernard::sync {

namespace {

constexpr const char* kStep = "競合をもう一方に";

bool KeptLocal(const Conflict& conflict) { return conflict.kept == "ローカル"; }

// The item of `tree` with id `id`; -1 when there is none.
int ItemWithId(const SyncTree& tree, SyncId id) {
    for (int k = 1; k < tree.Size(); ++k) {
        if (tree[k].id == id && !tree[k].localOnly) return k;
    }
    return -1;
}

// The folder at `path` ("/A/B"; "/" the root) by titles; -1 when there is none.
int FolderAtPath(const SyncTree& tree, const std::string& path) {
    int at = SyncTree::kRoot;
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string title = path.substr(start, end - start);
        int next = -1;
        for (int child : tree[at].children) {
            if (tree[child].folder && tree[child].title == title) {
                next = child;
                break;
            }
        }
        if (next < 0) return -1;
        at = next;
        start = end + 1;
    }
    return at;
}

}  // namespace

bool CanTakeOtherSide(const Conflict& conflict) {
    if (conflict.id <= 0) return false;
    if (conflict.field == "名前" || conflict.field == "URL") return KeptLocal(conflict);
    if (conflict.field == "場所") return KeptLocal(conflict) && !conflict.remoteValue.empty();
    // A deleted entry kept for an edit; a folder kept for what was added inside it is not
    // deleted in one go, which would take those entries with it.
    return conflict.field == "削除" && conflict.kept.find("フォルダー") == std::string::npos;
}

bool TakeOtherSide(BmLogic& model, int root, const Conflict& conflict, std::string& error) {
    if (!CanTakeOtherSide(conflict)) {
        error = "この競合はもう一方にできません";
        return false;
    }
    const LocalTree local = ReadLocalRoot(model, root);
    const int item = ItemWithId(local.tree, conflict.id);
    if (item < 0) {
        error = "競合した項目が見つかりません : " + conflict.path;
        return false;
    }
    const int row = local.rowOf[static_cast<std::size_t>(item)];
    bool done = false;
    if (conflict.field == "名前" && local.tree[item].folder) {
        done = model.EditFolderEntry(row, conflict.remoteValue, std::string(model.SaveUrl(row)));
    } else if (conflict.field == "名前" || conflict.field == "URL") {
        EntryTexts texts = model.TextsOf(row);
        (conflict.field == "名前" ? texts.name : texts.url) = conflict.remoteValue;
        done = model.EditUrlEntry(row, texts);
    } else if (conflict.field == "場所") {
        // The server's folder by its id; by its path only where the id is not known.
        const int folder = conflict.serverFolder == 0    ? SyncTree::kRoot
                           : conflict.serverFolder > 0 ? ItemWithId(local.tree, conflict.serverFolder)
                                                       : FolderAtPath(local.tree, conflict.remoteValue);
        if (folder < 0) {
            error = "移動先のフォルダーが見つかりません : " + conflict.remoteValue;
            return false;
        }
        done = model.TransferEntries({model.RefOf(row)}, local.rowOf[static_cast<std::size_t>(folder)],
                                     false, kStep) >= 0;
    } else {
        // A folder kept for its own change may hold entries a side added or changed since:
        // the deletion the merge did not keep never took those.
        if (local.tree[item].folder && !local.tree[item].children.empty()) {
            error = "フォルダーの中に項目があるため削除できません : " + conflict.path;
            return false;
        }
        done = model.DeleteEntries({model.RefOf(row)}, kStep).entries > 0;
    }
    if (!done) error = "競合をもう一方にできませんでした : " + conflict.path;
    return done;
}

}  // namespace pernard::sync
