#pragma once

#include <string>
#include <string_view>

namespace pernard {

// The five texts of an entry, as the table stores them and the URL dialog edits them. Dates are
// seconds texts. For a folder `visited` is its save URL; for a root `added` is the kind of its
// source and `visited` the source's path.
struct EntryTexts {
    std::string name, url, added, visited, modified;
};

// The same five texts as views, appended to the table without a copy of their own.
struct EntryViews {
    std::string_view name, url, added, visited, modified;
    EntryViews() = default;
    EntryViews(const EntryTexts& texts)  // NOLINT: every EntryTexts is also a view of itself
        : name(texts.name),
          url(texts.url),
          added(texts.added),
          visited(texts.visited),
          modified(texts.modified) {}
};

// The URL the table holds for a bookmark whose source gave none that could be read (a shortcut
// file without a URL line, or one that cannot be read).
inline constexpr std::string_view kNoUrl = "N/A";

// Whether `url` names no page: empty (a placeholder, a note) or kNoUrl. Such a bookmark is the
// same page as no other: never a duplicate, at any match level.
inline bool IsNoUrl(std::string_view url) { return url.empty() || url == kNoUrl; }

}  // namespace pernard
