// Times the sync's own work on large collections: the three-way merge of a base of N entries
// with a local and a server's tree that each changed one entry in a hundred (renamed, moved,
// deleted, new), and a run that finds nothing changed — the shared file read, parsed and written
// back to compare — set beside two reads of the file, the floor such a run cannot go below — and
// the window's share of a run, on its user-interface thread: the root read as the sync sees it,
// and the merged collection put in place of it (one undo step).
//
//   bench-sync [SIZE...]        (default: 100000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "model/LoadTransaction.h"
#include "model/NullPorts.h"
#include "sync/ApplyMerge.h"
#include "sync/LocalTree.h"
#include "sync/Merge.h"
#include "sync/SharedFile.h"

namespace {

using pernard::sync::SyncItem;
using pernard::sync::SyncTree;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Folders of a hundred entries, each entry with its id.
SyncTree Base(int size) {
    SyncTree tree;
    int folder = SyncTree::kRoot;
    for (int k = 1; k <= size; ++k) {
        if (k % 101 == 1) {
            folder = tree.Add(SyncTree::kRoot, SyncItem{k, true, "フォルダー " + std::to_string(k), {}, -1, {}, false});
            continue;
        }
        tree.Add(folder, SyncItem{k, false, "ブックマーク " + std::to_string(k),
                                  "https://example.jp/page/" + std::to_string(k), -1, {}, false});
    }
    tree.highestId = size;
    return tree;
}

// The base with one entry in a hundred changed; `local` drops ids of the new ones.
SyncTree Changed(const SyncTree& base, unsigned seed, bool local) {
    SyncTree tree = base;
    std::mt19937 random(seed);
    const int size = tree.Size();
    for (int k = 0; k < size / 100; ++k) {
        const int item = 1 + static_cast<int>(random() % static_cast<unsigned>(size - 1));
        if (tree[item].folder) continue;
        switch (random() % 4) {
            case 0: tree[item].title += " 改"; break;
            case 1: tree[item].url += "?v=2"; break;
            case 2: {
                auto& siblings = tree[tree[item].parent].children;
                std::erase(siblings, item);
                break;
            }
            default: {
                SyncItem added{local ? 0 : ++tree.highestId, false, "新規 " + std::to_string(k),
                               "https://new.example.jp/" + std::to_string(seed) + "/" + std::to_string(k), -1, {}, false};
                tree.Add(tree[item].parent, added);
            }
        }
    }
    return tree;
}

// The window's share of a run of `size` entries: the seconds of the read and of the put in place.
std::pair<double, double> WindowShare(const SyncTree& base, const SyncTree& remote) {
    using namespace pernard;
    NullModel m;
    m.settings.maxUrl = "20000000";
    {
        LoadTransaction load(m.model, true, "");
        load.Builder().AddRoot("bench", SourceKind::BookmarkFile, "");
        load.End(true);
    }
    // The collection as the base has it, ids included.
    sync::MergeResult fill;
    fill.merged = base;
    fill.localOf.assign(base.items.size(), -1);
    fill.localOf[0] = 0;
    fill.remoteOf = fill.localOf;
    std::string error;
    if (!sync::ApplyMerge(m.model, 0, sync::ReadLocalRoot(m.model, 0), fill, error)) std::exit(1);
    auto start = std::chrono::steady_clock::now();
    const sync::LocalTree local = sync::ReadLocalRoot(m.model, 0);
    const double read = Seconds(start);
    const sync::MergeResult merged = sync::MergeTrees(&base, local.tree, remote);
    start = std::chrono::steady_clock::now();
    if (!sync::ApplyMerge(m.model, 0, local, merged, error)) std::exit(1);
    return {read, Seconds(start)};
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int k = 1; k < argc; ++k) sizes.push_back(std::atoi(argv[k]));
    if (sizes.empty()) sizes.push_back(100000);
    using pernard::sync::SharedFormat;
    for (int size : sizes) {
        const SyncTree base = Base(size);
        const SyncTree local = Changed(base, 1, true);
        const SyncTree remote = Changed(base, 2, false);
        auto start = std::chrono::steady_clock::now();
        const pernard::sync::MergeResult merged = pernard::sync::MergeTrees(&base, local, remote);
        const double merge = Seconds(start);

        const std::string file = pernard::sync::WriteSharedFile(base, SharedFormat::Xbel);
        start = std::chrono::steady_clock::now();
        for (int k = 0; k < 2; ++k) {
            if (!pernard::sync::ReadSharedFile(file, SharedFormat::Xbel).ok) return 1;
        }
        const double twoReads = Seconds(start);
        // Nothing changed: the agreed file read, the server's found the same bytes, the local
        // tree compared with it.
        start = std::chrono::steady_clock::now();
        const SyncTree agreed = pernard::sync::ReadSharedFile(file, SharedFormat::Xbel).tree;
        const std::string server = file;
        const bool same = server == file && pernard::sync::LocalUnchanged(agreed, base);
        const double unchanged = Seconds(start);
        std::printf("%d entries: merge of three trees %.3f s (%d merged, %zu conflicts); "
                    "nothing changed %.3f s (%s) against two reads of the file %.3f s (%.1f MB)\n",
                    size, merge, merged.merged.Size() - 1, merged.conflicts.size(), unchanged,
                    same ? "no write" : "WRITE", twoReads, file.size() / 1e6);
        const auto [read, apply] = WindowShare(base, remote);
        std::printf("%d entries: the window reads the root in %.3f s and puts the merged one in "
                    "place in %.3f s\n",
                    size, read, apply);
    }
    return 0;
}
