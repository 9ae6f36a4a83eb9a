#pragma once
// What a node of a Chromium `Bookmarks` file says, as its writer sees it in the parsed document.
// The reader reads the same members the same way straight from the text
// (formats/ChromiumReader.cpp): the last text of a name, the first `children` and `meta_info`.

#include <simdjson.h>

#include <string>

namespace pernard {

// The text of `key` (the last of that name, as the browser reads it); empty when there is none,
// or it is no text.
std::string TextOf(const simdjson::dom::element& node, const char* key);
// A node's key for the entry read from it: its id and guid ("5\t0b5e…"), which together tell
// it apart even in a file that gives two nodes one id.
inline std::string NodeKey(const simdjson::dom::element& node) {
    return TextOf(node, "id") + '\t' + TextOf(node, "guid");
}
// The date of `key` (microseconds since 1601) in the table's seconds since 1970; empty for none.
std::string DateOf(const simdjson::dom::element& node, const char* key);
// The later of two dates in seconds; either may be empty.
std::string LaterOf(const std::string& a, const std::string& b);

// What a node's `meta_info` holds that the table or the extras have a place for (Vivaldi
// writes the first two; Chromium wrote the last visit there before `date_last_used`).
struct MetaInfo {
    std::string description;  // "Description"
    std::string nickname;     // "Nickname": typed in the address bar, it opens the bookmark
    std::string lastVisit;    // "last_visited_desktop", in seconds
};
MetaInfo MetaInfoOf(const simdjson::dom::element& node);

// The last visit the table holds for a bookmark node.
inline std::string VisitOf(const simdjson::dom::element& node, const MetaInfo& meta) {
    return LaterOf(DateOf(node, "date_last_used"), meta.lastVisit);
}

}  // namespace pernard
