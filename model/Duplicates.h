#pragma once
// Duplicate bookmarks: groups of bookmarks whose URLs match at a chosen level
// (util/UrlMatchKey.h), which entry of each group stays, and the clean-up of the others as one
// undo step. The stored URLs are never rewritten: only their keys are compared.

#include <string>
#include <vector>

#include "model/BmLogic.h"
#include "util/UrlMatchKey.h"

namespace pernard {

// The folder the others of each group go into when they are moved, not deleted.
inline constexpr const char* kDuplicateFolderName = "重複";

// Per row, the earliest row whose URL matches its URL (the row itself when none before it
// does); -1 for a root or folder. One pass over the table, each key hashed once.
std::vector<int> EarliestMatches(const BmLogic& model, const UrlMatch& match);

// Bookmarks whose URLs match, in table order: the earliest first.
struct DuplicateGroup {
    std::vector<NodeRef> entries;
};
// Every group of two or more, in table order of their earliest entries.
std::vector<DuplicateGroup> FindDuplicateGroups(const BmLogic& model, const UrlMatch& match);

// The groups as they stand within root `root`: the entries of other roots left out, and the
// groups that keep fewer than two entries dropped. A write of one root resolves these, so that
// each group keeps an entry in what is written.
std::vector<DuplicateGroup> GroupsWithin(const BmLogic& model,
                                         const std::vector<DuplicateGroup>& groups, int root);

enum class KeepRule {
    First,   // the earliest in table order
    Oldest,  // the one added first (by its added date)
    Newest,  // the one added last
};
// The entry of each group that stays. Entries without an added date (none, or 0 or less: a
// browser's "never") count for Oldest and Newest only when no entry of the group has one; of
// equal dates the earliest in table order stays.
std::vector<NodeRef> KeptEntries(const BmLogic& model, const std::vector<DuplicateGroup>& groups,
                                 KeepRule rule);

struct DuplicateDisposal {
    bool intoFolder = false;  // move the others into `folder` instead of deleting them
    std::string folder = kDuplicateFolderName;
};
// Deletes the entries of each group but its kept one (kept[g] for groups[g], an entry of that
// group: what KeptEntries gives, or the user's choice), or moves them to the end of the folder
// `disposal.folder` of their root (made at the root's end when missing). One step; a group
// whose kept entry is not one of its entries, or no longer exists, is left as it is.
CleanupOutcome ResolveDuplicates(BmLogic& model, const std::vector<DuplicateGroup>& groups,
                                 const std::vector<NodeRef>& kept,
                                 const DuplicateDisposal& disposal);

}  // namespace pernard
