#include "sync/MergeSides.h"

#include <deque>

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

// The server's new items by folder and key, in order, for the local side to be matched with.
class NewRemoteItems {
public:
    NewRemoteItems(const MergeSide& base, const MergeSide& remote) : base_(base), remote_(remote) {}

    // The first new server item in the folder `parent` that `item` matches, taken; -1 when none.
    int Take(Identity parent, const SyncItem& item) {
        auto folder = byFolder_.find(parent);
        if (folder == byFolder_.end()) folder = byFolder_.emplace(parent, Collect(parent)).first;
        const auto same = folder->second.find(MatchKey(item));
        if (same == folder->second.end() || same->second.empty()) return -1;
        const int index = same->second.front();
        same->second.pop_front();
        return index;
    }

private:
    std::unordered_map<std::string, std::deque<int>> Collect(Identity parent) const {
        std::unordered_map<std::string, std::deque<int>> keys;
        const auto found = remote_.indexOf.find(parent);
        if (found == remote_.indexOf.end()) return keys;
        for (int child : (*remote_.tree)[found->second].children) {
            const Identity x = remote_.identityOf[static_cast<std::size_t>(child)];
            if (!base_.Has(x)) keys[MatchKey((*remote_.tree)[child])].push_back(child);
        }
        return keys;
    }

    const MergeSide& base_;
    const MergeSide& remote_;
    std::unordered_map<Identity, std::unordered_map<std::string, std::deque<int>>> byFolder_;
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
    MergeSide side = EmptySide(remote);
    for (int index : PreOrder(remote)) {
        if (index == SyncTree::kRoot) continue;
        const SyncItem& item = remote[index];
        const bool usable = item.id > 0 && !side.Has(item.id) &&
                            (!base.Has(item.id) || BaseHasKind(base, item.id, item));
        Assign(side, index, usable ? item.id : counter.Next());
    }
    return side;
}

MergeSide LocalSide(const SyncTree& local, const MergeSide& base, const MergeSide& remote,
                    IdentityCounter& counter) {
    MergeSide side = EmptySide(local);
    NewRemoteItems unmatched(base, remote);
    for (int index : PreOrder(local)) {
        if (index == SyncTree::kRoot) continue;
        const SyncItem& item = local[index];
        if (item.localOnly) {
            Assign(side, index, counter.Next());
            continue;
        }
        if (item.id > 0 && !side.Has(item.id) && BaseHasKind(base, item.id, item)) {
            Assign(side, index, item.id);
            continue;
        }
        const Identity parent = side.identityOf[static_cast<std::size_t>(item.parent)];
        const int match = unmatched.Take(parent, item);
        Assign(side, index,
               match >= 0 ? remote.identityOf[static_cast<std::size_t>(match)] : counter.Next());
    }
    return side;
}

}  // namespace pernard::sync
