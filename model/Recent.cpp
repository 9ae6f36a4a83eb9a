#include "model/Recent.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <queue>

#include "model/BmLogic.h"

namespace pernard {

namespace {

// Seconds since 1970 from a date text; false for an empty text or one that is no number.
bool SecondsOf(std::string_view text, std::int64_t& seconds) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    return error == std::errc() && end == text.data() + text.size();
}

struct Dated {
    std::int64_t seconds;
    int entry;
};

// Newer first; of equal dates the earlier entry.
bool Newer(const Dated& a, const Dated& b) {
    return a.seconds != b.seconds ? a.seconds > b.seconds : a.entry < b.entry;
}

}  // namespace

std::vector<int> RecentEntries(const BmLogic& model, RecentBy by, std::size_t limit) {
    // The `limit` newest kept in a heap whose top is the oldest of them: one pass over the
    // table, whatever its size.
    std::priority_queue<Dated, std::vector<Dated>, decltype(&Newer)> newest(Newer);
    if (limit == 0) return {};
    for (int i = 0; i < model.glCT; ++i) {
        if (model.IsFolder(i)) continue;
        std::int64_t seconds = 0;
        const std::string_view date = by == RecentBy::Added ? model.glAdd[i] : model.glVisit[i];
        if (!SecondsOf(date, seconds)) continue;
        const Dated dated{seconds, i};
        if (newest.size() < limit) {
            newest.push(dated);
        } else if (Newer(dated, newest.top())) {
            newest.pop();
            newest.push(dated);
        }
    }
    std::vector<int> entries(newest.size());
    for (std::size_t k = entries.size(); k-- > 0;) {
        entries[k] = newest.top().entry;
        newest.pop();
    }
    return entries;
}

}  // namespace pernard
