#include "sync/ApplyMerge.h"

#include "model/EntryBuilder.h"
#include "model/LoadTransaction.h"
#include "model/NullPorts.h"
#include "model/SyncId.h"
#include "sync/MergeSides.h"
#include "sync/SharedFile.h"
#include "sync/SyncChanges.h"
#include "util/CodePage.h"

namespace pernard::sync {

namespace {

constexpr const char* kScratchCapacity = "20000000";

// Where the separators (<HR>) of the local folders go: a separator stands before an entry in
// its folder, so when the entry leaves the folder (moved elsewhere, or gone) its separators stay
// behind, before the next entry that stays, or at the folder's end.
struct SeparatorMoves {
    std::vector<int> before;  // per local item: its separators before it after the sync
    std::vector<int> atEnd;   // per local folder: the separators added at its end
};

SeparatorMoves MoveSeparators(const BmLogic& model, const LocalTree& local,
                              const MergeResult& result) {
    const SyncTree& tree = local.tree;
    // The local item's place after the merge: its merged parent's local item, or -1 (gone).
    std::vector<int> parentAfter(tree.items.size(), -1);
    for (int k = 1; k < result.merged.Size(); ++k) {
        const int l = result.localOf[static_cast<std::size_t>(k)];
        if (l >= 0) parentAfter[static_cast<std::size_t>(l)] =
            result.localOf[static_cast<std::size_t>(result.merged[k].parent)];
    }
    SeparatorMoves moves{std::vector<int>(tree.items.size(), 0),
                         std::vector<int>(tree.items.size(), 0)};
    for (int folder = 0; folder < tree.Size(); ++folder) {
        int carried = 0;
        for (int child : tree[folder].children) {
            const std::string_view packed = model.ExtrasOf(local.rowOf[static_cast<std::size_t>(child)]);
            const int own = packed.empty() ? 0 : UnpackExtras(packed).separatorsBefore;
            if (parentAfter[static_cast<std::size_t>(child)] != folder) {
                carried += own;
                continue;
            }
            moves.before[static_cast<std::size_t>(child)] = own + carried;
            carried = 0;
        }
        moves.atEnd[static_cast<std::size_t>(folder)] = carried;
    }
    return moves;
}

// The texts and extras of merged item `k` for the table.
void EntryOf(const BmLogic& model, const LocalTree& before, const MergeResult& result,
             const SeparatorMoves& separators, int k, EntryTexts& texts, EntryExtras& extras) {
    const SyncItem& item = result.merged[k];
    const int local = result.localOf[static_cast<std::size_t>(k)];
    if (local < 0) {
        texts = EntryTexts{item.title, item.folder ? kFolderMarker : item.url, {}, {}, {}};
        extras = EntryExtras{};
    } else {
        const int row = before.rowOf[static_cast<std::size_t>(local)];
        texts = model.TextsOf(row);
        extras = UnpackExtras(model.ExtrasOf(row));
        if (SharedTitle(ShownText(texts.name)) != item.title) texts.name = item.title;
        extras.separatorsBefore = separators.before[static_cast<std::size_t>(local)];
        extras.separatorsAtEnd += separators.atEnd[static_cast<std::size_t>(local)];
        if (!item.folder && !item.localOnly && !SameUrlText(texts.url, item.url)) texts.url = item.url;
    }
    extras.attributes = WithSyncId(extras.attributes, item.localOnly ? kNoId : item.id);
}

}  // namespace

bool ChangesLocal(const MergeResult& result, const SyncTree& local, const SideChanges& toLocal) {
    if (toLocal.Any()) return true;
    for (int k = 1; k < result.merged.Size(); ++k) {
        const int l = result.localOf[static_cast<std::size_t>(k)];
        if (l < 0 || local[l].id != result.merged[k].id) return true;
    }
    return false;
}

bool ApplyMerge(BmLogic& model, int root, const LocalTree& before, const MergeResult& result,
                std::string& error, const char* step) {
    NullModel scratch;
    scratch.settings.maxUrl = kScratchCapacity;
    LoadTransaction load(scratch.model, true, "");
    EntryBuilder& builder = load.Builder();
    bool whole = load.Begun() &&
                 builder.AddRoot("sync", SourceKind::BookmarkFile, "") == BmLogic::Outcome::Added;
    // The row each merged item got in the scratch table; items come parents first.
    std::vector<int> rowOf(result.merged.items.size(), 0);
    const SeparatorMoves separators = MoveSeparators(model, before, result);
    std::vector<int> pending;
    for (auto child = result.merged[SyncTree::kRoot].children.rbegin();
         child != result.merged[SyncTree::kRoot].children.rend(); ++child) {
        pending.push_back(*child);
    }
    while (whole && !pending.empty()) {
        const int k = pending.back();
        pending.pop_back();
        EntryTexts texts;
        EntryExtras extras;
        EntryOf(model, before, result, separators, k, texts, extras);
        const int parent = rowOf[static_cast<std::size_t>(result.merged[k].parent)];
        const BmLogic::Appended appended =
            result.merged[k].folder
                ? builder.AppendFolder(parent, texts.name, texts.added, texts.visited)
                : builder.AppendBookmark(parent, texts);
        if (!appended.Added()) {
            whole = false;
            break;
        }
        rowOf[static_cast<std::size_t>(k)] = appended.index;
        builder.SetExtras(appended.index, extras);
        const std::vector<int>& children = result.merged[k].children;
        for (auto child = children.rbegin(); child != children.rend(); ++child) pending.push_back(*child);
    }
    load.End(whole);
    if (!whole || !model.ReplaceRootEntries(root, scratch.model, 0, step)) {
        error = "同期の結果を取り込めません（件数が上限を超えるか、フォルダーの階層が深すぎます）";
        return false;
    }
    return true;
}

}  // namespace pernard::sync
