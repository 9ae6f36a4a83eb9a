#pragma once
// Which tags of a bookmark file's line decide how the reader takes it.

#include <cstddef>
#include <string_view>

namespace pernard {

// The tags of one line that decide how it is read. Only the line's own markup counts: the scan
// stops at the text of the first tag that carries one (a title, a heading, a folder or an
// anchor), so a name such as "<title>: The Document Title element" or "a <!-- b" is never
// taken for structure. After that tag's closing tag only list tags and a comment are looked at.
struct LineTags {
    bool commentOpen = false;  // "<!--" without its "-->" later on the line
    bool doctype = false;      // "<!DOCTYPE"
    bool title = false;        // "<TITLE>"
    bool heading = false;      // "<H1>" or "<H1 ...>"
    bool plainHeading = false;  // "<H1>" itself
    bool listStart = false;    // "<DL>"
    bool term = false;         // "<DT>"
    bool listEnd = false;      // "</DL>"
    bool folder = false;       // "<H3"
    bool anchor = false;       // "<A" followed by white space
    int separators = 0;        // "<HR>" tags
    // "<DD>" as the line's first tag: the description of the entry before it starts right
    // after it, at `descriptionAt`, and runs to `descriptionEnd`: the first list tag or comment
    // left open on the line, or npos when the lines after it go on with it. Tags in between are
    // the description's text, not structure.
    bool description = false;
    std::size_t descriptionAt = 0;
    // Where the end tag of the line's first tag with a text (a title, a heading, a folder or an
    // anchor) ends; npos when it has none.
    std::size_t textEnd = std::string_view::npos;
    std::size_t descriptionEnd = std::string_view::npos;
    // Lines that end a description that runs over several lines. A heading with attributes
    // does not: descriptions hold HTML such as <h1 class="...">, which they always kept.
    bool EndsDescription() const {
        return listStart || term || listEnd || title || plainHeading || doctype || separators > 0 ||
               description || commentOpen;
    }
};

LineTags ScanTags(std::string_view line);

// Where a line that holds a folder or a bookmark goes on with more structure after its end tag
// (another entry's <DT>, a list tag, a separator): from there on the line is read in parts, each
// as a line of its own. npos when nothing follows the entry.
std::size_t StructureAfterEntry(std::string_view line, const LineTags& tags);
// Where the part of such a line that starts at `from` ends: at the next <DT>, list tag or
// separator (an entry's text stepped over); npos when it runs to the line's end.
std::size_t NextPartOfLine(std::string_view line, std::size_t from);

}  // namespace pernard
