#pragma once
// What a merge changes on each side, counted and in lines for the user: entries added, removed,
// renamed, given another URL, moved, and folders whose order changed.

#include <string>
#include <vector>

#include "sync/Merge.h"

namespace pernard::sync {

struct SideChanges {
    int bookmarks = 0;  // the side's bookmarks before the sync
    int bookmarksAdded = 0, bookmarksRemoved = 0;
    int foldersAdded = 0, foldersRemoved = 0;
    int renamed = 0, urlsChanged = 0, moved = 0, reordered = 0;
    // One line per change: "追加 /Bar/Title", "削除 …", "名前 …", "URL …", "移動 …", "並べ替え …".
    std::vector<std::string> lines;

    bool Any() const {
        return bookmarksAdded + bookmarksRemoved + foldersAdded + foldersRemoved + renamed +
                   urlsChanged + moved + reordered >
               0;
    }
};

// The changes the merged tree makes to the local tree, and to the server's.
SideChanges LocalChanges(const MergeResult& result, const SyncTree& local);
SideChanges RemoteChanges(const MergeResult& result, const SyncTree& remote);

// "/Folder/Title" of an item of a tree.
std::string ItemPath(const SyncTree& tree, int index);

}  // namespace pernard::sync
