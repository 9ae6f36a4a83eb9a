#include "sync/SyncChanges.h"

#include <unordered_map>

#include "sync/MergeSides.h"

namespace pernard::sync {

std::string ItemPath(const SyncTree& tree, int index) {
    std::string path;
    for (int at = index; at > SyncTree::kRoot; at = tree[at].parent) path = "/" + tree[at].title + path;
    return path.empty() ? "/" : path;
}

namespace {

SideChanges ChangesTo(const MergeResult& result, const SyncTree& side,
                      const std::vector<int>& sideOf, bool serverSide) {
    SideChanges changes;
    const SyncTree& merged = result.merged;
    std::vector<int> mergedOf(side.items.size(), -1);
    for (int k = 0; k < merged.Size(); ++k) {
        const int s = sideOf[static_cast<std::size_t>(k)];
        if (s >= 0) mergedOf[static_cast<std::size_t>(s)] = k;
    }
    for (int s = 1; s < side.Size(); ++s) {
        if (!side[s].folder && !side[s].localOnly) ++changes.bookmarks;
    }
    for (int k = 1; k < merged.Size(); ++k) {
        const SyncItem& item = merged[k];
        if (serverSide && item.localOnly) continue;
        const int s = sideOf[static_cast<std::size_t>(k)];
        const std::string path = ItemPath(merged, k);
        if (s < 0) {
            ++(item.folder ? changes.foldersAdded : changes.bookmarksAdded);
            changes.lines.push_back("追加 " + path);
            continue;
        }
        const SyncItem& was = side[s];
        if (was.title != item.title) {
            ++changes.renamed;
            changes.lines.push_back("名前 " + ItemPath(side, s) + " → " + item.title);
        }
        if (!SameUrlText(was.url, item.url)) {
            ++changes.urlsChanged;
            changes.lines.push_back("URL " + path + " : " + was.url + " → " + item.url);
        }
        if (mergedOf[static_cast<std::size_t>(was.parent)] != item.parent) {
            ++changes.moved;
            changes.lines.push_back("移動 " + ItemPath(side, s) + " → " + path);
        }
    }
    for (int s = 1; s < side.Size(); ++s) {
        if (mergedOf[static_cast<std::size_t>(s)] >= 0) continue;
        // Only the top of a removed subtree is said; its entries are counted.
        const bool top = mergedOf[static_cast<std::size_t>(side[s].parent)] >= 0;
        if (side[s].folder) {
            ++changes.foldersRemoved;
        } else if (!side[s].localOnly) {
            ++changes.bookmarksRemoved;
        }
        if (top) changes.lines.push_back("削除 " + ItemPath(side, s));
    }
    // Folders whose entries, those they keep, stand in another order.
    for (int k = 0; k < merged.Size(); ++k) {
        const int s = sideOf[static_cast<std::size_t>(k)];
        if (!merged[k].folder || s < 0) continue;
        std::vector<int> before, after;
        for (int child : side[s].children) {
            const int m = mergedOf[static_cast<std::size_t>(child)];
            if (m >= 0 && merged[m].parent == k) before.push_back(m);
        }
        for (int child : merged[k].children) {
            const int c = sideOf[static_cast<std::size_t>(child)];
            if (c >= 0 && side[c].parent == s) after.push_back(child);
        }
        if (before != after) {
            ++changes.reordered;
            changes.lines.push_back("並べ替え " + ItemPath(merged, k));
        }
    }
    return changes;
}

}  // namespace

SideChanges LocalChanges(const MergeResult& result, const SyncTree& local) {
    return ChangesTo(result, local, result.localOf, false);
}

SideChanges RemoteChanges(const MergeResult& result, const SyncTree& remote) {
    return ChangesTo(result, remote, result.remoteOf, true);
}

}  // namespace pernard::sync
