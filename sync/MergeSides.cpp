#include "sync/MergeSides.h"

#include <deque>
#include <unordered_set>

#include "util/WhatwgUrl.h"

namespace pernard::sync {

std::vector<Identity> MergeSide::ChildrenOf(Identity x) const {
    std::vector<Identity> children;
    const auto found = indexOf.find(x);
    if (found == indexOf.end()) return children;
    const SyncItem& item = (*tree)[found->second];
    children.reserve(item.children.size());
    for (int child : item.children) children.push_back(identityOf[static_cast<std::size_t>(child)]);
    return children;
}

bool SameUrlText(const std::string& a, const std::string& b) {
    return a == b || WhatwgNormalizedUrl(a) == WhatwgNormalizedUrl(b);
}

namespace {

MergeSide EmptySide(const SyncTree& tree) {
    MergeSide side;
    side.tree = &tree;
    side.identityOf.assign(tree.items.size(), kRootIdentity);
    side.indexOf.reserve(tree.items.size());
    side.indexOf.emplace(kRootIdentity, SyncTree::kRoot);
    return side;
}

void Assign(MergeSide& side, int index, Identity x) {
    side.identityOf[static_cast<std::size_t>(index)] = x;
    side.indexOf.emplace(x, index);
}

// Whether the base has id `id` for an item of the kind of `item`.
bool BaseHasKind(const MergeSide& base, SyncId id, const SyncItem& item) {
    const auto found = base.indexOf.find(id);
    return found != base.indexOf.end() && found->second != SyncTree::kRoot &&
           (*base.tree)[found->second].folder == item.folder;
}

// The role of a browser's own top folder from its title, in the browsers' English and Japanese
// names; empty for any other title.
std::string_view RoleOf(const std::string& title) {
    static const std::pair<std::string_view, std::string_view> kRoles[] = {
        {"Bookmarks Bar", "bar"},          {"Bookmarks bar", "bar"},
        {"Bookmarks Toolbar", "bar"},      {"Favorites bar", "bar"},
        {"ブックマーク バー", "bar"},      {"ブックマークバー", "bar"},
        {"ブックマーク ツールバー", "bar"}, {"ブックマークツールバー", "bar"},
        {"お気に入りバー", "bar"},         {"Other Bookmarks", "other"},
        {"Other bookmarks", "other"},      {"Other favorites", "other"},
        {"その他のブックマーク", "other"}, {"その他のお気に入り", "other"},
        {"Bookmarks Menu", "menu"},        {"ブックマークメニュー", "menu"},
        {"Mobile Bookmarks", "mobile"},    {"Mobile bookmarks", "mobile"},
        {"モバイル ブックマーク", "mobile"}, {"モバイルのブックマーク", "mobile"},
    };
    for (const auto& [name, role] : kRoles) {
        if (title == name) return role;
    }
    return {};
}

}  // namespace

bool IsBrowserTopFolder(const SyncItem& item) { return item.folder && !RoleOf(item.title).empty(); }

namespace {

// What a new local item and a new server item share when they are one: the kind, and the URL as
// a browser reads it, or the folder's title (a browser's own top folder: its role, whatever the
// browser and language named it).
std::string MatchKey(const SyncItem& item) {
    if (!item.folder) return "B" + WhatwgNormalizedUrl(item.url);
    const std::string_view role = RoleOf(item.title);
    return role.empty() ? "F" + item.title : "R" + std::string(role);
}

// Items of one side by folder and key, in order, to be matched with items of another side that
// have no identity in common with them; each is taken once.
class Candidates {
public:
    // Every item of `side` that `eligible` accepts, under the identity of its folder.
    template <typename Eligible>
    Candidates(const MergeSide& side, Eligible eligible) {
        for (int index = 1; index < side.tree->Size(); ++index) {
            const Identity x = side.identityOf[static_cast<std::size_t>(index)];
            if (!eligible(index, x)) continue;
            const SyncItem& item = (*side.tree)[index];
            const Identity parent = side.identityOf[static_cast<std::size_t>(item.parent)];
            byFolder_[parent][MatchKey(item)].push_back(index);
            if (!item.folder) anywhere_[MatchKey(item)].push_back(index);
        }
    }

    // The first item in the folder `parent` that `item` matches, taken; -1 when none.
    int TakeIn(Identity parent, const SyncItem& item) {
        const auto folder = byFolder_.find(parent);
        return folder == byFolder_.end() ? -1 : TakeFrom(folder->second, MatchKey(item));
    }
    // The first bookmark of the URL of `item` in any folder, taken; -1 when none.
    int TakeAnywhere(const SyncItem& item) {
        return item.folder ? -1 : TakeFrom(anywhere_, MatchKey(item));
    }
    void Claim(int index) { taken_.insert(index); }

private:
    int TakeFrom(std::unordered_map<std::string, std::deque<int>>& keys, const std::string& key) {
        const auto same = keys.find(key);
        if (same == keys.end()) return -1;
        while (!same->second.empty() && taken_.count(same->second.front()) != 0) {
            same->second.pop_front();
        }
        if (same->second.empty()) return -1;
        const int index = same->second.front();
        same->second.pop_front();
        taken_.insert(index);
        return index;
    }

    std::unordered_map<Identity, std::unordered_map<std::string, std::deque<int>>> byFolder_;
    std::unordered_map<std::string, std::deque<int>> anywhere_;
    std::unordered_set<int> taken_;
};

// The items of a tree in pre-order (parents before children, siblings in order).
std::vector<int> PreOrder(const SyncTree& tree) {
    std::vector<int> order;
    order.reserve(tree.items.size());
    std::vector<int> pending{SyncTree::kRoot};
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        order.push_back(index);
        const std::vector<int>& children = tree[index].children;
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            pending.push_back(*child);
        }
    }
    return order;
}

// Whether the item is what the base holds under its id: of that kind, with that URL (a
// bookmark) or that title (a folder).
bool SameAsBase(const MergeSide& base, const SyncItem& item) {
    const auto found = base.indexOf.find(item.id);
    if (found == base.indexOf.end() || found->second == SyncTree::kRoot) return false;
    const SyncItem& known = (*base.tree)[found->second];
    return known.folder == item.folder &&
           (item.folder ? known.title == item.title : SameUrlText(known.url, item.url));
}

// Items of the server's that lost their id (a client that dropped or changed it) while the
// base's item of the same folder and the same URL or title is missing from the file: the same
// item, under the base's id again, so that what only the local side keeps of it stays.
void RestoreLostIds(MergeSide& side, const MergeSide& base, const std::vector<int>& order) {
    Candidates lost(base, [&side](int, Identity x) { return x > 0 && !side.Has(x); });
    for (int index : order) {
        const Identity x = side.identityOf[static_cast<std::size_t>(index)];
        if (index == SyncTree::kRoot || base.Has(x)) continue;
        const SyncItem& item = (*side.tree)[index];
        const Identity parent = side.identityOf[static_cast<std::size_t>(item.parent)];
        const int match = lost.TakeIn(parent, item);
        if (match < 0) continue;
        const Identity known = base.identityOf[static_cast<std::size_t>(match)];
        side.indexOf.erase(x);
        Assign(side, index, known);
    }
}

}  // namespace

MergeSide BaseSide(const SyncTree& base, IdentityCounter& counter) {
    MergeSide side = EmptySide(base);
    for (int index : PreOrder(base)) {
        if (index == SyncTree::kRoot) continue;
        const SyncId id = base[index].id;
        Assign(side, index, id > 0 && !side.Has(id) ? id : counter.Next());
    }
    return side;
}

MergeSide RemoteSide(const SyncTree& remote, const MergeSide& base, IdentityCounter& counter) {
    // An id the file gives twice goes to the item that is what the base knew under it (else the
    // first); the others are new.
    std::unordered_map<SyncId, int> owner;
    const std::vector<int> order = PreOrder(remote);
    for (int index : order) {
        const SyncItem& item = remote[index];
        if (index == SyncTree::kRoot || item.id <= 0) continue;
        const auto [found, first] = owner.emplace(item.id, index);
        if (!first && !SameAsBase(base, remote[found->second]) && SameAsBase(base, item)) {
            found->second = index;
        }
    }
    MergeSide side = EmptySide(remote);
    for (int index : order) {
        if (index == SyncTree::kRoot) continue;
        const SyncItem& item = remote[index];
        const bool usable = item.id > 0 && owner[item.id] == index &&
                            (!base.Has(item.id) || BaseHasKind(base, item.id, item));
        Assign(side, index, usable ? item.id : counter.Next());
    }
    RestoreLostIds(side, base, order);
    return side;
}

MergeSide LocalSide(const SyncTree& local, const MergeSide& base, const MergeSide& remote,
                    IdentityCounter& counter, bool firstSync) {
    MergeSide side = EmptySide(local);
    // The server's items the base does not know, to be matched with local items.
    Candidates unmatched(remote, [&base](int, Identity x) { return !base.Has(x); });
    const std::vector<int> order = PreOrder(local);
    // Ids first: one the base knows for an item of this kind; or one the server gave an item of
    // this kind that is new to the base (a run that wrote the file and this entry but died before
    // it kept the new base).
    for (int index : order) {
        const SyncItem& item = local[index];
        if (firstSync || index == SyncTree::kRoot || item.localOnly || item.id <= 0 ||
            side.Has(item.id)) {
            continue;
        }
        if (BaseHasKind(base, item.id, item)) {
            Assign(side, index, item.id);
        } else if (!base.Has(item.id) && remote.Has(item.id) &&
                   remote.Item(item.id).folder == item.folder) {
            Assign(side, index, item.id);
            unmatched.Claim(remote.indexOf.at(item.id));
        }
    }
    // Then every other item: the server's new item it matches in its folder's counterpart, else
    // (after a first sync) a new bookmark of the same URL anywhere (it was moved there), else a
    // new identity. Two collections meeting for the first time are matched folder by folder
    // only: a bookmark the user keeps in two places stays in both.
    for (int index : order) {
        if (index == SyncTree::kRoot || side.identityOf[static_cast<std::size_t>(index)] != kRootIdentity) {
            continue;
        }
        const SyncItem& item = local[index];
        if (item.localOnly) {
            Assign(side, index, counter.Next());
            continue;
        }
        const Identity parent = side.identityOf[static_cast<std::size_t>(item.parent)];
        int match = unmatched.TakeIn(parent, item);
        if (match < 0 && !firstSync) match = unmatched.TakeAnywhere(item);
        Assign(side, index,
               match >= 0 ? remote.identityOf[static_cast<std::size_t>(match)] : counter.Next());
    }
    return side;
}

}  // namespace pernard::sync
