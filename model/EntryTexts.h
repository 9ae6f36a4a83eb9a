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

}  // namespace pernard
