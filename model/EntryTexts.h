#pragma once

#include <string>

namespace pernard {

// The five texts of an entry, as the table stores them and the URL dialog edits them. Dates are
// seconds texts. For a folder `visited` is its save URL; for a root `added` is the kind of its
// source and `visited` the source's path.
struct EntryTexts {
    std::string name, url, added, visited, modified;
};

}  // namespace pernard
