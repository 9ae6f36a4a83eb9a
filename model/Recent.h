#pragma once
// The bookmarks most recently added or visited across every root: what the 最近追加 and 最近訪問
// views list, newest first, each with the path of the folder it is in.

#include <cstddef>
#include <string>
#include <vector>

namespace pernard {

class BmLogic;

enum class RecentBy { Added, Visited };

inline constexpr std::size_t kRecentLimit = 100;

// The bookmarks (no folders, no roots) with the newest dates of that kind, newest first, at
// most `limit`. A bookmark without that date, or with one that is no number of seconds, is not
// listed; of equal dates the earlier entry in the table comes first.
std::vector<int> RecentEntries(const BmLogic& model, RecentBy by, std::size_t limit = kRecentLimit);

}  // namespace pernard
