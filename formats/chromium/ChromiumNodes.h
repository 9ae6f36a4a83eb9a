#pragma once
// What a node of a Chromium `Bookmarks` file says, as its writer sees it in the parsed document.
// The reader reads the same members the same way straight from the text
// (formats/chromium/ChromiumReader.cpp): of every member given twice, the last.

#include <simdjson.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

namespace pernard {

// The member `key` of an object as the browser reads it: the last of that name. False when
// there is none (or `node` is no object).
bool LastMember(const simdjson::dom::element& node, std::string_view key,
                simdjson::dom::element& value);

// The text of `key` (the last of that name, as the browser reads it); empty when there is none,
// or it is no text.
std::string TextOf(const simdjson::dom::element& node, const char* key);

// The keys that tie the entries read from a store to its nodes (EntryExtras::storeKey), given
// in the order a read meets the nodes: the shown top folders in kShownRoots' order, each node
// before what it holds, every object of a folder's `children` list (the last list, as the
// browser reads it). A node is known by its id and guid ("5\t0b5e…") when its id is a text and
// no node met before gave the same pair, else by its place in that order ("#17"): so that every
// entry finds its own node again, even in a file whose nodes lack ids or repeat them. The writer
// gives the nodes of the file as read the same keys, and a file it wrote the keys a read of that
// file would give.
class ChromiumNodeKeys {
public:
    std::string Next(std::string_view id, std::string_view guid);

private:
    std::size_t count_ = 0;
    // The pairs met so far, by hash: a clash of two pairs counts as met, which costs the later
    // node only its key by id.
    std::unordered_set<std::size_t> seen_;
};
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
