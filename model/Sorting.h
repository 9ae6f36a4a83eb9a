#pragma once
// Sorting a folder's entries: by name (the Japanese collation of util/Collation.h), by URL (byte
// by byte), by date added, last visit or last modification; ascending or descending, folders
// first or mixed with the bookmarks. Entries whose keys are equal keep their order; entries
// without the key (no date, a folder's URL or last visit) come last in either direction.

#include <string_view>
#include <vector>

namespace pernard {

class BmLogic;

enum class SortField { Name, Url, Added, Visited, Modified };

struct SortOptions {
    SortField by = SortField::Name;
    bool descending = false;
    bool foldersFirst = false;
    // The entries of every folder below the sorted one too, each folder's among themselves.
    bool recursive = false;
};

// The field a command line names: name, url, added, visited; false for another word.
bool ParseSortField(std::string_view word, SortField& field);

// The entries in the order of `options` (foldersFirst and descending apply, recursive does
// not): one key per entry, made once.
std::vector<int> SortedEntries(const BmLogic& model, std::vector<int> entries,
                               const SortOptions& options);

// The order that undoes `order` (see OrderAction).
std::vector<int> InverseOrder(const std::vector<int>& order);

}  // namespace pernard
