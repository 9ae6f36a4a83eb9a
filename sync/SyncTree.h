#pragma once
// A collection as the shared file holds it: folders and bookmarks with their titles, URLs, order
// and ids, nothing else. The sync reads the shared file into one, turns the local root into one,
// merges three of them and writes one back.

#include <cstdint>
#include <string>
#include <vector>

namespace pernard::sync {

// The shared file's id of an item: a positive decimal number, one counter for folders and
// bookmarks. 0 is "none": an item the file gave no id (or one no file has seen yet).
using SyncId = std::int64_t;
inline constexpr SyncId kNoId = 0;
// The largest id: the largest integer a browser's script holds exactly (2^53 - 1). A larger
// number is no id, and a highestId beyond it is none either.
inline constexpr SyncId kMaxSyncId = (SyncId{1} << 53) - 1;

struct SyncItem {
    SyncId id = kNoId;
    bool folder = false;
    std::string title;
    std::string url;            // empty for a folder
    int parent = -1;            // the index of the parent in SyncTree::items; -1 for the root
    std::vector<int> children;  // indices in SyncTree::items, in order
    // An entry of the local collection that no browser can hold (a mailto: or place: URL, no
    // URL): it takes part in the merge so that its folder stays, but never reaches the file.
    bool localOnly = false;
};

// items[0] is the root: the file's top list, a folder without id or title. Every other item is
// reachable from it exactly once.
struct SyncTree {
    std::vector<SyncItem> items;
    // The largest id the file ever gave (its highestId comment): a new item gets the next one.
    SyncId highestId = 0;

    SyncTree() { items.push_back(SyncItem{kNoId, true, {}, {}, -1, {}, false}); }
    static constexpr int kRoot = 0;
    // Appends an item as the last child of `parent`; its index.
    int Add(int parent, SyncItem item) {
        item.parent = parent;
        item.children.clear();
        items.push_back(std::move(item));
        const int index = static_cast<int>(items.size()) - 1;
        items[static_cast<std::size_t>(parent)].children.push_back(index);
        return index;
    }
    const SyncItem& operator[](int index) const { return items[static_cast<std::size_t>(index)]; }
    SyncItem& operator[](int index) { return items[static_cast<std::size_t>(index)]; }
    int Size() const { return static_cast<int>(items.size()); }
};

// Two trees are the same collection: the same items in the same order with the same ids,
// titles and URLs (highestId aside).
bool SameTree(const SyncTree& a, const SyncTree& b);

}  // namespace pernard::sync
