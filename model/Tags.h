#pragma once
// A bookmark's tags and an entry's description as a user edits them: the tags are the
// comma-separated list of the TAGS attribute among the entry's extras, the description the text
// after <DD> (model/EntryExtras.h).

#include <string>
#include <string_view>
#include <vector>

namespace pernard {

// The tags of the attributes' TAGS list, decoded and trimmed, in order; empty ones dropped.
std::vector<std::string> TagList(std::string_view attributes);
// The attributes with TAGS holding `tags` joined by commas: in the place of the attribute when
// there was one, at the end otherwise, and without it when `tags` is empty. The other
// attributes stay as they were written.
std::string WithTags(std::string_view attributes, const std::vector<std::string>& tags);
// The tags a user typed: split at commas (half-width or full-width), trimmed of half-width and
// full-width blanks, empty ones and repeats dropped, in the order typed.
std::vector<std::string> TagsFromInput(std::string_view text);
// The list with each of `more` that it lacks appended, in order.
std::vector<std::string> TagsAdded(std::vector<std::string> tags,
                                   const std::vector<std::string>& more);
// The list without any of `gone`; the others keep their order.
std::vector<std::string> TagsRemoved(std::vector<std::string> tags,
                                     const std::vector<std::string>& gone);
// A description typed as plain text, as the extras hold one: each line's markup characters
// escaped, lines joined by "\n", trailing blanks and blank lines dropped. Empty for a text of
// blanks only.
std::string DescriptionFromText(std::string_view text);

}  // namespace pernard
