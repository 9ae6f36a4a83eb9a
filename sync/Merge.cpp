#include "sync/Merge.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "sync/ChildOrder.h"
#include "sync/MergeSides.h"

namespace pernard::sync {

bool SameUrl(const std::string& a, const std::string& b) { return SameUrlText(a, b); }

SyncTree RemoteView(const SyncTree& merged) {
    SyncTree view;
    view.highestId = merged.highestId;
    std::vector<std::pair<int, int>> pending{{SyncTree::kRoot, SyncTree::kRoot}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        for (int child : merged[from].children) {
            if (merged[child].localOnly) continue;
            SyncItem item = merged[child];
            pending.emplace_back(child, view.Add(to, std::move(item)));
        }
    }
    return view;
}

namespace {

bool SameSubtree(const SyncTree& base, int b, const SyncTree& local, int l) {
    const SyncItem& x = base[b];
    const SyncItem& y = local[l];
    if (x.id != y.id || x.folder != y.folder || x.title != y.title || !SameUrlText(x.url, y.url)) {
        return false;
    }
    std::size_t k = 0;
    for (int child : y.children) {
        if (local[child].localOnly) continue;
        if (k >= x.children.size() || !SameSubtree(base, x.children[k], local, child)) return false;
        ++k;
    }
    return k == x.children.size();
}

}  // namespace

bool LocalUnchanged(const SyncTree& base, const SyncTree& local) {
    return SameSubtree(base, SyncTree::kRoot, local, SyncTree::kRoot);
}

namespace {

// What the merge decided for one identity.
struct Decision {
    bool alive = false;
    const SyncItem* fields = nullptr;  // the item whose folder kind is taken
    std::string title, url;
    Identity parent = kRootIdentity;
    Side parentFrom = Side::Base;
};

class Merger {
public:
    Merger(const MergeSide& base, const MergeSide& local, const MergeSide& remote)
        : base_(base), local_(local), remote_(remote) {}

    MergeResult Run(SyncId highestGiven) {
        Decide();
        KeepFoldersOfSurvivors();
        BreakCycles();
        return Build(highestGiven);
    }

private:
    void Decide() {
        for (const MergeSide* side : {&base_, &local_, &remote_}) {
            for (Identity x : side->identityOf) {
                if (x != kRootIdentity && decisions_.count(x) == 0) DecideOne(x);
            }
        }
    }

    void DecideOne(Identity x) {
        Decision& d = decisions_[x];
        const bool inB = base_.Has(x), inL = local_.Has(x), inR = remote_.Has(x);
        if (inL && local_.Item(x).localOnly) {
            TakeWhole(d, x, local_, Side::Local);
            return;
        }
        if (!inB) {
            // New: on one side, or on both and matched (then the local title, and the server's
            // spelling of the URL both read the same).
            TakeWhole(d, x, inL ? local_ : remote_, inL ? Side::Local : Side::Remote);
            if (inL && inR) {
                // Matched in another folder: the server's is where it was moved to since.
                d.parent = remote_.ParentOf(x);
                d.parentFrom = Side::Remote;
                d.url = remote_.Item(x).url;
                // A browser's own folder keeps the name the browser gave it.
                if (IsBrowserTopFolder(remote_.Item(x))) d.title = remote_.Item(x).title;
            }
            return;
        }
        if (inL && inR) {
            MergeFields(x, d);
            return;
        }
        if (!inL && !inR) return;
        // Deleted on one side: kept only when the other side changed it.
        const MergeSide& kept = inL ? local_ : remote_;
        if (!ChangedFromBase(kept, x)) return;
        TakeWhole(d, x, kept, inL ? Side::Local : Side::Remote);
        Report(x, "削除", inL ? "" : "（削除）", inL ? "（削除）" : "",
               inL ? "サーバーで削除、ローカルの変更を残しました"
                   : "ローカルで削除、サーバーの変更を残しました");
    }

    static void TakeWhole(Decision& d, Identity x, const MergeSide& side, Side from) {
        d.alive = true;
        d.fields = &side.Item(x);
        d.title = d.fields->title;
        d.url = d.fields->url;
        d.parent = side.ParentOf(x);
        d.parentFrom = from;
    }

    bool ChangedFromBase(const MergeSide& side, Identity x) const {
        const SyncItem& now = side.Item(x);
        const SyncItem& was = base_.Item(x);
        return now.title != was.title || !SameUrlText(now.url, was.url) ||
               side.ParentOf(x) != base_.ParentOf(x);
    }

    void MergeFields(Identity x, Decision& d) {
        const SyncItem& l = local_.Item(x);
        const SyncItem& r = remote_.Item(x);
        const SyncItem& b = base_.Item(x);
        d.alive = true;
        d.fields = &l;
        // Titles.
        const bool titleL = l.title != b.title, titleR = r.title != b.title;
        d.title = titleR && !titleL ? r.title : l.title;
        if (titleL && titleR && l.title != r.title) Report(x, "名前", l.title, r.title, "ローカル");
        // URLs, the same when a browser reads them so: a local spelling of the same URL is no
        // change, and the file keeps the server's (the local entry keeps its own).
        const bool urlL = !SameUrlText(l.url, b.url), urlR = !SameUrlText(r.url, b.url);
        d.url = urlL ? l.url : r.url;
        if (urlL && urlR && !SameUrlText(l.url, r.url)) Report(x, "URL", l.url, r.url, "ローカル");
        // The folder it is in.
        const Identity pl = local_.ParentOf(x), pr = remote_.ParentOf(x), pb = base_.ParentOf(x);
        const bool movedL = pl != pb, movedR = pr != pb;
        if (movedR && !movedL) {
            d.parent = pr;
            d.parentFrom = Side::Remote;
        } else {
            d.parent = pl;
            d.parentFrom = movedL ? Side::Local : Side::Base;
        }
        if (movedL && movedR && pl != pr) {
            Report(x, "場所", PathText(local_, pl), PathText(remote_, pr), "ローカル");
            reported_.back().serverFolder = pr;
        }
    }

    bool Alive(Identity x) const {
        if (x == kRootIdentity) return true;
        const auto found = decisions_.find(x);
        return found != decisions_.end() && found->second.alive;
    }

    // A surviving item whose folder was deleted keeps the folder: the folder comes back from the
    // side the item is in it on, with only what survived inside it.
    void KeepFoldersOfSurvivors() {
        std::vector<Identity> survivors;
        for (const auto& [x, d] : decisions_) {
            if (d.alive) survivors.push_back(x);
        }
        std::sort(survivors.begin(), survivors.end());
        for (Identity x : survivors) {
            Identity child = x;
            while (!Alive(decisions_[child].parent)) {
                const Identity folder = decisions_[child].parent;
                // The side the child is in the folder on holds the folder; the local one first.
                const bool onLocal = local_.Has(folder), onRemote = remote_.Has(folder);
                const MergeSide& side = onLocal ? local_ : onRemote ? remote_ : base_;
                TakeWhole(decisions_[folder], folder, side,
                          onLocal ? Side::Local : onRemote ? Side::Remote : Side::Base);
                Report(folder, "削除", local_.Has(folder) ? "" : "（削除）",
                       remote_.Has(folder) ? "" : "（削除）",
                       "中に追加・変更された項目があるため、フォルダーを残しました");
                child = folder;
            }
        }
    }

    // A move that closes a cycle (each side moved a folder into the other's) yields: the server's
    // move first, back to where the item was; then, should a cycle remain, the item goes to the
    // top.
    void BreakCycles() {
        std::unordered_map<Identity, int> state;  // 1: on the path walked now, 2: reaches the root
        std::vector<Identity> keys;
        for (const auto& [x, d] : decisions_) {
            if (d.alive) keys.push_back(x);
        }
        std::sort(keys.begin(), keys.end());
        for (Identity start : keys) {
            std::vector<Identity> path;
            Identity at = start;
            while (at != kRootIdentity && state[at] != 2) {
                if (state[at] == 1) {
                    Unloop(path, at);
                    for (Identity p : path) state[p] = 0;
                    path.clear();
                    at = start;
                    continue;
                }
                state[at] = 1;
                path.push_back(at);
                at = decisions_[at].parent;
            }
            for (Identity p : path) state[p] = 2;
        }
    }

    void Unloop(const std::vector<Identity>& path, Identity entry) {
        const auto first = std::find(path.begin(), path.end(), entry);
        const std::vector<Identity> cycle(first, path.end());
        for (Side yielding : {Side::Remote, Side::Base}) {
            for (Identity x : cycle) {
                Decision& d = decisions_[x];
                if (d.parentFrom != yielding) continue;
                const Identity back = yielding == Side::Remote && base_.Has(x) ? base_.ParentOf(x)
                                                                               : kRootIdentity;
                d.parent = Alive(back) && back != x ? back : kRootIdentity;
                d.parentFrom = Side::Base;
                if (yielding == Side::Base) d.parent = kRootIdentity;
                Report(x, "場所", "", "", "移動が循環するため、元の場所に戻しました");
                return;
            }
        }
    }

    MergeResult Build(SyncId highestGiven) {
        std::unordered_map<Identity, std::vector<Identity>> childrenOf;
        for (const auto& [x, d] : decisions_) {
            if (d.alive) childrenOf[d.parent].push_back(x);
        }
        MergeResult result;
        SyncId highest = highestGiven;
        for (const auto& [x, d] : decisions_) {
            if (x > highest) highest = x;
        }
        std::vector<std::pair<Identity, int>> pending{{kRootIdentity, SyncTree::kRoot}};
        std::unordered_map<Identity, SyncId> idOfIdentity{{kRootIdentity, kNoId}};
        result.localOf.push_back(SyncTree::kRoot);
        result.remoteOf.push_back(SyncTree::kRoot);
        const ChildOrderInputs sides{&base_, &local_, &remote_};
        while (!pending.empty()) {
            const auto [folder, at] = pending.back();
            pending.pop_back();
            const auto found = childrenOf.find(folder);
            if (found == childrenOf.end()) continue;
            std::vector<Identity> order = OrderChildren(sides, folder, found->second);
            std::vector<std::pair<Identity, int>> added;
            for (Identity x : order) {
                const Decision& d = decisions_[x];
                SyncItem item;
                item.folder = d.fields->folder;
                item.localOnly = d.fields->localOnly;
                item.title = d.title;
                item.url = d.url;
                if (!item.localOnly) item.id = x > 0 ? x : ++highest;
                idOfIdentity.emplace(x, item.id);
                const int index = result.merged.Add(at, std::move(item));
                result.localOf.push_back(local_.Has(x) ? local_.indexOf.at(x) : -1);
                result.remoteOf.push_back(remote_.Has(x) ? remote_.indexOf.at(x) : -1);
                added.emplace_back(x, index);
            }
            for (auto it = added.rbegin(); it != added.rend(); ++it) pending.push_back(*it);
        }
        result.merged.highestId = highest;
        for (Reported& r : reported_) {
            r.conflict.path = PathOf(r.identity);
            if (r.identity > 0) r.conflict.id = r.identity;
            if (r.serverFolder) {
                const auto found = idOfIdentity.find(*r.serverFolder);
                if (found != idOfIdentity.end()) r.conflict.serverFolder = found->second;
            }
            result.conflicts.push_back(std::move(r.conflict));
        }
        return result;
    }

    void Report(Identity x, const char* field, std::string localValue, std::string remoteValue,
                std::string kept) {
        Conflict conflict;
        conflict.field = field;
        conflict.localValue = std::move(localValue);
        conflict.remoteValue = std::move(remoteValue);
        conflict.kept = std::move(kept);
        reported_.push_back(Reported{x, std::move(conflict), std::nullopt});
    }

    // The path of a folder on a side, for a report.
    static std::string PathText(const MergeSide& side, Identity folder) {
        std::string path;
        for (Identity at = folder; at != kRootIdentity && side.Has(at); at = side.ParentOf(at)) {
            path = "/" + side.Item(at).title + path;
        }
        return path.empty() ? "/" : path;
    }

    // The path of an item as the merge left it (or as it was, when it went).
    std::string PathOf(Identity x) const {
        const auto d = decisions_.find(x);
        if (d == decisions_.end()) return {};
        std::string path = "/" + d->second.title;
        for (Identity at = d->second.parent; at != kRootIdentity;) {
            const auto up = decisions_.find(at);
            if (up == decisions_.end()) break;
            path = "/" + up->second.title + path;
            at = up->second.parent;
        }
        return path;
    }

    struct Reported {
        Identity identity;
        Conflict conflict;
        std::optional<Identity> serverFolder;  // 場所: the folder the server put the item in
    };

    const MergeSide& base_;
    const MergeSide& local_;
    const MergeSide& remote_;
    std::unordered_map<Identity, Decision> decisions_;
    std::vector<Reported> reported_;
};

}  // namespace

MergeResult MergeTrees(const SyncTree* base, const SyncTree& local, const SyncTree& remote,
                       FirstSync first) {
    IdentityCounter counter;
    const SyncTree empty;
    const MergeSide baseSide = BaseSide(base != nullptr ? *base : empty, counter);
    const MergeSide remoteSide = RemoteSide(remote, baseSide, counter);
    const MergeSide localSide = LocalSide(local, baseSide, remoteSide, counter, base == nullptr);
    SyncId highest = std::max(remote.highestId, base != nullptr ? base->highestId : 0);
    if (base == nullptr && first != FirstSync::Merge) {
        // Taking one side's collection: that side as it is counts as the base, so every
        // difference is the other side's change.
        const MergeSide& starting = first == FirstSync::Pull ? localSide : remoteSide;
        return Merger(starting, localSide, remoteSide).Run(highest);
    }
    return Merger(baseSide, localSide, remoteSide).Run(highest);
}

}  // namespace pernard::sync
