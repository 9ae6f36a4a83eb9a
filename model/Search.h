#pragma once
// Finding entries whose title or URL contains any of the words of a keyword.

#include <string>
#include <string_view>
#include <vector>

#include "model/BmLogic.h"

namespace pernard {

enum class SearchField { Title, Url };

inline constexpr int kSearchWordLimit = 6;

struct SearchQuery {
    std::vector<std::string> words;  // already lowered (or folded); an empty word never matches
    SearchField field = SearchField::Title;
    bool fold = false;  // compare after NFKC_Casefold instead of ASCII lowering
    // Also look in what the entry's source said of it: its description and tags.
    bool notes = false;
};

// The words of a keyword: blanks around it removed, cut at every half-width space (two in a row
// give an empty word; a full-width space is no separator), at most six words. ASCII letters are
// lowered; with `fold` each word is normalized as FoldCaseAndWidth does.
SearchQuery MakeSearchQuery(std::string_view keyword, SearchField field, bool fold);

// The entries, in table order, whose text (or, with `notes`, description or tags) contains at
// least one word, matched at character boundaries.
std::vector<int> FindEntries(const BmLogic& model, const SearchQuery& query);

// How the window joins the names of a folder path ("Root › A › B").
inline constexpr std::string_view kFolderPathSeparator = " › ";

// The names of the folders above an entry, from its root down to its parent, joined by
// `separator`; empty for a top-level entry (or no entry).
std::string FolderPathOf(const BmLogic& model, int entry,
                         std::string_view separator = kFolderPathSeparator);

}  // namespace pernard
