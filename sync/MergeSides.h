#pragma once
// The three trees of a merge as the merge reads them: every item under an identity that is the
// same on every side where the item is. An identity is the item's id where the base knows it,
// the id of the server's item a new local item was matched with, or a number below zero that
// stands for an item only one side made (it gets a real id once the merge is done). 0 is the root.

#include <string>
#include <unordered_map>
#include <vector>

#include "sync/SyncTree.h"

namespace pernard::sync {

using Identity = std::int64_t;
inline constexpr Identity kRootIdentity = 0;

// Where a decision of the merge came from.
enum class Side { Base, Local, Remote };

struct MergeSide {
    const SyncTree* tree = nullptr;
    std::vector<Identity> identityOf;          // per item
    std::unordered_map<Identity, int> indexOf;  // the item of an identity

    bool Has(Identity x) const { return indexOf.count(x) != 0; }
    const SyncItem& Item(Identity x) const { return (*tree)[indexOf.at(x)]; }
    Identity ParentOf(Identity x) const {
        const int parent = Item(x).parent;
        return parent < 0 ? kRootIdentity : identityOf[static_cast<std::size_t>(parent)];
    }
    // The identities of the children of `x` in order (none when the side lacks it).
    std::vector<Identity> ChildrenOf(Identity x) const;
};

// Hands out the identities of items that only one side made.
class IdentityCounter {
public:
    Identity Next() { return --last_; }

private:
    Identity last_ = 0;
};

// The base side: each item under its id; an item without one, or with one given before, under a
// new identity.
MergeSide BaseSide(const SyncTree& base, IdentityCounter& counter);
// The server's side: an item under its id unless an item before it had that id, or the base has
// that id for an item of the other kind (a folder for a bookmark): then a new identity.
MergeSide RemoteSide(const SyncTree& remote, const MergeSide& base, IdentityCounter& counter);
// The local side: an item under its id where the base has that id for an item of its kind, or
// (after a first sync) where the server gave that id to an item of its kind the base lacks.
// Every other item is matched, in tree order, with an item the server has new (not in the base)
// in the folder that is its own folder's counterpart — a bookmark of the same URL, a folder of
// the same title, each server item matched once — else (not in a first sync) with a new bookmark
// of its URL anywhere, else it gets a new identity. A first sync trusts no local id: they may be
// another file's.
MergeSide LocalSide(const SyncTree& local, const MergeSide& base, const MergeSide& remote,
                    IdentityCounter& counter, bool firstSync);

// Whether the item is a browser's own top folder (its bar, other bookmarks, menu, mobile), by
// its title in the browsers' English or Japanese: such folders are matched by that role.
bool IsBrowserTopFolder(const SyncItem& item);

// Whether two URLs are the same to a browser; `a` and `b` equal as texts first, cheaply.
bool SameUrlText(const std::string& a, const std::string& b);

}  // namespace pernard::sync
