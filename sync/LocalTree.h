#pragma once
// The local root as the sync sees it: its folders and bookmarks with titles, URLs, order and
// ids, each tied to its row in the table. Bookmarks no browser can hold take part as local-only
// items; everything else an entry has (tags, description, dates, icons, separators) stays on the
// entry and is never compared.

#include <string_view>
#include <vector>

#include "model/BmLogic.h"
#include "sync/SyncTree.h"

namespace pernard::sync {

struct LocalTree {
    SyncTree tree;
    // The table row of each item (the root's row for item 0).
    std::vector<int> rowOf;
};

// The entries below root `root`. An id given twice keeps only its first entry; the others are
// new entries. Titles are as the window shows them (bytes that did not decode as U+FFFD), as
// the shared file carries them (sync/SharedFile.h: SharedTitle).
LocalTree ReadLocalRoot(const BmLogic& model, int root);

// Whether a browser can hold a bookmark of this URL (its scheme is one browsers keep).
bool BrowserCanHold(std::string_view url);

}  // namespace pernard::sync
