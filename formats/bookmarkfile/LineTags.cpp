#include "formats/bookmarkfile/LineTags.h"

#include <cstring>

#include "util/HtmlText.h"
#include "util/Text.h"

namespace pernard {

namespace {

bool StartsNoCase(std::string_view text, std::size_t at, std::string_view word) {
    return text.size() - at >= word.size() && EqualsNoCase(text.substr(at, word.size()), word);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The name of a tag that carries text, or nullptr when `rest` (the text after a "<") starts no
// such tag.
const char* TextTag(std::string_view rest, LineTags& tags) {
    switch (rest.empty() ? '\0' : rest[0] | 0x20) {
        case 't':
            if (StartsNoCase(rest, 0, "TITLE>")) return tags.title = true, "TITLE";
            break;
        case 'h':
            // "<H1>" or "<H1 " and its attributes.
            if (StartsNoCase(rest, 0, "H1") && rest.size() > 2 &&
                (rest[2] == '>' || IsBlank(rest[2]))) {
                tags.plainHeading = rest[2] == '>';
                return tags.heading = true, "H1";
            }
            if (StartsNoCase(rest, 0, "H3")) return tags.folder = true, "H3";
            break;
        case 'a':
            if (rest.size() >= 2 && IsBlank(rest[1])) return tags.anchor = true, "A";
            break;
        default:
            break;
    }
    return nullptr;
}

}  // namespace

LineTags ScanTags(std::string_view line) {
    LineTags tags;
    const char* base = line.data();
    bool textSeen = false;         // past the first tag that carries a text
    bool descriptionText = false;  // inside the text of a "<DD>"
    // Where the indentation ends (a loop: find_first_not_of searches its set once per byte).
    std::size_t firstTag = 0;
    while (firstTag < line.size() && (line[firstTag] == ' ' || line[firstTag] == '\t')) ++firstTag;
    std::size_t at = 0;
    while (at < line.size()) {
        const void* hit = std::memchr(base + at, '<', line.size() - at);
        if (hit == nullptr) break;
        at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        const std::string_view rest = line.substr(at + 1);
        if (rest.substr(0, 3) == "!--") {
            const std::size_t close = line.find("-->", at + 4);
            if (close == std::string_view::npos) {
                tags.commentOpen = true;
                if (descriptionText) tags.descriptionEnd = at;
                break;
            }
            at = close + 3;
            continue;
        }
        if (!textSeen && !descriptionText) {
            if (const char* name = TextTag(rest, tags)) {
                // The tag's text is not markup: go on after its end tag, if it has one.
                textSeen = true;
                std::size_t length = 0;
                const std::size_t end = FindEndTag(line, name, at + 1, &length);
                if (end == std::string_view::npos) break;
                at = end + length;
                tags.textEnd = at;
                continue;
            }
            if (StartsNoCase(rest, 0, "!DOCTYPE")) tags.doctype = true;
            if (StartsNoCase(rest, 0, "HR") &&
                (rest.size() == 2 || rest[2] == '>' || rest[2] == '/' || IsBlank(rest[2]))) {
                tags.separator = true;
            }
            if (at == firstTag && StartsNoCase(rest, 0, "DD>")) {
                tags.description = true;
                tags.descriptionAt = at + 4;
                descriptionText = true;
                at += 4;
                continue;
            }
        }
        const bool listStart = StartsNoCase(rest, 0, "DL>");
        const bool term = StartsNoCase(rest, 0, "DT>");
        const bool listEnd = StartsNoCase(rest, 0, "/DL>");
        if (descriptionText && (listStart || term || listEnd)) {
            // The description ends here; what follows on the line is read as usual.
            tags.descriptionEnd = at;
            descriptionText = false;
        }
        tags.listStart = tags.listStart || listStart;
        tags.term = tags.term || term;
        tags.listEnd = tags.listEnd || listEnd;
        ++at;
    }
    return tags;
}

namespace {

bool IsEntryTag(std::string_view line, std::size_t at) {
    return (StartsNoCase(line, at + 1, "A") && at + 2 < line.size() && IsBlank(line[at + 2])) ||
           StartsNoCase(line, at + 1, "H3");
}
bool IsBoundaryTag(std::string_view line, std::size_t at) {
    return StartsNoCase(line, at + 1, "DT") || StartsNoCase(line, at + 1, "DL") ||
           StartsNoCase(line, at + 1, "/DL") || StartsNoCase(line, at + 1, "HR");
}

// The next tag from `from` on that starts a part of its own (an entry's <DT>, a list tag, a
// separator), stepping over the text of an entry on the way (a name may hold "<DT>" as text);
// npos at a comment, at an entry without its end tag, or at the line's end.
std::size_t BoundaryFrom(std::string_view line, std::size_t from) {
    std::size_t at = line.find('<', from);
    while (at != std::string_view::npos) {
        if (StartsNoCase(line, at + 1, "!--")) return std::string_view::npos;
        if (IsBoundaryTag(line, at)) return at;
        if (IsEntryTag(line, at)) {
            std::size_t length = 0;
            const std::size_t end =
                FindEndTag(line, StartsNoCase(line, at + 1, "H3") ? "H3" : "A", at + 1, &length);
            if (end == std::string_view::npos) return end;
            at = line.find('<', end + length);
        } else {
            at = line.find('<', at + 1);
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::size_t StructureAfterEntry(std::string_view line, const LineTags& tags) {
    if ((!tags.anchor && !tags.folder) || tags.textEnd == std::string_view::npos) {
        return std::string_view::npos;
    }
    return BoundaryFrom(line, tags.textEnd);
}

std::size_t NextPartOfLine(std::string_view line, std::size_t from) {
    return BoundaryFrom(line, from + 1);
}

}  // namespace pernard
