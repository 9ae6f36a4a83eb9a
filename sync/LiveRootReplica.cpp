#include "sync/LiveRootReplica.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace pernard::sync {

namespace {

bool SameItem(const SyncItem& a, const SyncItem& b) {
    return a.folder == b.folder && a.localOnly == b.localOnly && a.id == b.id &&
           a.parent == b.parent && a.title == b.title && a.url == b.url;
}

// Whether `now` is `before` item for item, in the same order.
bool Unchanged(const LocalTree& before, const LocalTree& now, const std::vector<int>& itemOf) {
    if (now.tree.Size() != before.tree.Size()) return false;
    for (int k = 0; k < now.tree.Size(); ++k) {
        if (itemOf[static_cast<std::size_t>(k)] != k || !SameItem(before.tree[k], now.tree[k])) {
            return false;
        }
    }
    return true;
}

}  // namespace

void MatchReturnedEntries(const SyncTree& before, const SyncTree& now, std::vector<int>& itemOf) {
    std::vector<bool> taken(before.items.size(), false);
    for (int i : itemOf) {
        if (i >= 0) taken[static_cast<std::size_t>(i)] = true;
    }
    std::unordered_map<SyncId, int> byId;
    std::map<std::tuple<int, bool, std::string, std::string>, std::vector<int>> byPlace;
    for (int i = before.Size() - 1; i >= 1; --i) {
        if (taken[static_cast<std::size_t>(i)]) continue;
        const SyncItem& item = before[i];
        if (item.id > 0) byId[item.id] = i;
        byPlace[{item.parent, item.folder, item.title, item.url}].push_back(i);
    }
    const auto take = [&](int k, int i) {
        itemOf[static_cast<std::size_t>(k)] = i;
        taken[static_cast<std::size_t>(i)] = true;
    };
    // Parents come before their children: a returned folder's entries are matched inside it.
    for (int k = 1; k < now.Size(); ++k) {
        if (itemOf[static_cast<std::size_t>(k)] >= 0) continue;
        const SyncItem& item = now[k];
        const auto id = item.id > 0 ? byId.find(item.id) : byId.end();
        if (id != byId.end() && !taken[static_cast<std::size_t>(id->second)] &&
            before[id->second].folder == item.folder) {
            take(k, id->second);
            continue;
        }
        const int parent = itemOf[static_cast<std::size_t>(item.parent)];
        if (parent < 0) continue;
        auto place = byPlace.find({parent, item.folder, item.title, item.url});
        if (place == byPlace.end()) continue;
        while (!place->second.empty() && taken[static_cast<std::size_t>(place->second.back())]) {
            place->second.pop_back();
        }
        if (!place->second.empty()) take(k, place->second.back());
    }
}

MergeResult RebaseOnEdits(const LocalTree& before, const MergeResult& result, const LocalTree& now,
                          const std::vector<int>& itemOfNowItem) {
    // The ids the run gave the items it read: the base of the edits, as the server has them.
    std::vector<SyncId> idOf(before.tree.items.size(), kNoId);
    for (int i = 0; i < before.tree.Size(); ++i) idOf[static_cast<std::size_t>(i)] = before.tree[i].id;
    for (int k = 1; k < result.merged.Size(); ++k) {
        const int i = result.localOf[static_cast<std::size_t>(k)];
        if (i >= 0 && !result.merged[k].localOnly) idOf[static_cast<std::size_t>(i)] = result.merged[k].id;
    }
    // Local-only items have no id on any side, and the merge never matches them: for it they
    // would be one item deleted (the base's) and two new ones. Each read local-only item takes
    // part under a number above every id instead, the same on all three sides, as an ordinary
    // item; it is local-only again, without id, once merged.
    SyncId highest = result.merged.highestId;
    for (const SyncItem& item : result.merged.items) highest = std::max(highest, item.id);
    for (int i = 1; i < before.tree.Size(); ++i) {
        if (before.tree[i].localOnly) idOf[static_cast<std::size_t>(i)] = highest + i;
    }
    SyncTree remote = result.merged;
    for (int k = 1; k < remote.Size(); ++k) {
        const int i = result.localOf[static_cast<std::size_t>(k)];
        SyncItem& item = remote.items[static_cast<std::size_t>(k)];
        if (i >= 0 && item.localOnly && before.tree[i].localOnly) {
            item.id = idOf[static_cast<std::size_t>(i)];
            item.localOnly = false;
        }
    }
    SyncTree base = before.tree;
    for (int i = 1; i < base.Size(); ++i) {
        base.items[static_cast<std::size_t>(i)].id = idOf[static_cast<std::size_t>(i)];
        base.items[static_cast<std::size_t>(i)].localOnly = false;
    }
    SyncTree edited = now.tree;
    for (int k = 1; k < edited.Size(); ++k) {
        const int i = itemOfNowItem[static_cast<std::size_t>(k)];
        SyncItem& item = edited.items[static_cast<std::size_t>(k)];
        item.id = i > 0 ? idOf[static_cast<std::size_t>(i)] : kNoId;
        if (i > 0 && before.tree[i].localOnly) item.localOnly = false;
    }
    MergeResult rebased = MergeTrees(&base, edited, remote);
    // What the server does not hold yet gets its id from the server's side of the next run;
    // an id made up here could be one another writer gives to something else meanwhile.
    for (int k = 1; k < rebased.merged.Size(); ++k) {
        const int l = rebased.localOf[static_cast<std::size_t>(k)];
        const int r = rebased.remoteOf[static_cast<std::size_t>(k)];
        SyncItem& item = rebased.merged.items[static_cast<std::size_t>(k)];
        item.localOnly = l >= 0 ? now.tree[l].localOnly : r >= 0 && result.merged[r].localOnly;
        if (r < 0 || item.localOnly || item.id > highest) item.id = kNoId;
    }
    // A conflict of an entry that has no id now is listed, but its other side cannot be taken.
    std::unordered_set<SyncId> ids;
    for (const SyncItem& item : rebased.merged.items) ids.insert(item.id);
    for (Conflict& conflict : rebased.conflicts) {
        if (ids.count(conflict.id) == 0) conflict.id = kNoId;
    }
    rebased.merged.highestId = result.merged.highestId;
    return rebased;
}

EditMark MarkOf(const BmLogic& model, const NodeRef& root) {
    return EditMark{root, model.HistoryPushCount(), model.History().ToUndo(), model.glCT,
                    model.Tree().TopLevelCount()};
}

bool LiveRootReplica::Read(LocalTree& tree, std::string& error) {
    const int root = RootRow();
    if (root < 0) {
        error = "同期するルートがありません";
        return false;
    }
    BookmarkFileReplica file(model_, root);
    if (!file.Read(tree, error)) return false;
    itemNodes_.clear();
    itemNodes_.reserve(tree.rowOf.size());
    for (int row : tree.rowOf) itemNodes_.push_back(model_.RefOf(row));
    leftAt_ = MarkOf(model_, root_);
    return true;
}

bool LiveRootReplica::Write(const LocalTree& before, const MergeResult& result, std::string& error) {
    editedMeanwhile_ = false;
    meanwhileConflicts_.clear();
    const int root = RootRow();
    if (root < 0 || itemNodes_.size() != before.rowOf.size()) {
        error = "同期するルートがありません";
        return false;
    }
    const LocalTree now = ReadLocalRoot(model_, root);
    std::unordered_map<int, int> itemOfRow;
    itemOfRow.reserve(itemNodes_.size());
    for (std::size_t i = 0; i < itemNodes_.size(); ++i) {
        const int row = model_.IndexOf(itemNodes_[i]);
        if (row >= 0) itemOfRow.emplace(row, static_cast<int>(i));
    }
    std::vector<int> itemOf(now.rowOf.size(), -1);
    for (std::size_t k = 0; k < now.rowOf.size(); ++k) {
        const auto found = itemOfRow.find(now.rowOf[k]);
        if (found != itemOfRow.end()) itemOf[k] = found->second;
    }
    MatchReturnedEntries(before.tree, now.tree, itemOf);
    BookmarkFileReplica file(model_, root);
    // The result's items refer to the items read; the rows they were read from may have moved.
    if (Unchanged(before, now, itemOf)) {
        const bool written = file.Write(now, result, error);
        leftAt_ = written ? std::optional(MarkOf(model_, root_)) : std::nullopt;
        return written;
    }
    editedMeanwhile_ = true;
    leftAt_ = std::nullopt;
    MergeResult rebased = RebaseOnEdits(before, result, now, itemOf);
    meanwhileConflicts_ = rebased.conflicts;
    return file.Write(now, rebased, error);
}

}  // namespace pernard::sync
