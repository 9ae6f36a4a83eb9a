#include "formats/bookmarkfile/LineJoiner.h"

#include <cstring>

#include "util/HtmlText.h"
#include "util/Text.h"

namespace pernard {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The first <A or <H3 tag of the text, the length of its name and the name of its end tag;
// npos when there is none. Tags after it are in its text: a name may hold "<a " or "<h3".
std::size_t FirstEntryTag(const std::string& text, std::size_t& nameLength, const char*& closing) {
    for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        const std::string_view rest = std::string_view(text).substr(at + 1);
        if (!rest.empty() && (rest[0] | 0x20) == 'a' && (rest.size() == 1 || IsBlank(rest[1]))) {
            nameLength = 2;
            closing = "A";
            return at;
        }
        if (rest.size() >= 2 && (rest[0] | 0x20) == 'h' && rest[1] == '3') {
            nameLength = 3;
            closing = "H3";
            return at;
        }
    }
    return std::string::npos;
}

// Whether the text's entry tag ends inside it (and, with `closed`, is followed by its closing
// tag). A text that holds the closing tag after the entry tag is whole: a stray quote in a
// value must not make the entry swallow the lines after it.
bool EntryEnds(const std::string& text, bool closed) {
    std::size_t nameLength = 0;
    const char* closing = nullptr;
    const std::size_t open = FirstEntryTag(text, nameLength, closing);
    if (open == std::string::npos) return true;
    if (FindEndTag(text, closing, open) != std::string::npos) return true;
    if (closed) return false;
    // The quotes of the tag are those the attribute parser takes as quotes.
    TagAttributes attributes;
    return ParseTagAttributes(text, open + nameLength, attributes) != std::string::npos;
}

std::string WithoutLeadingBlanks(const std::string& line) {
    std::size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) ++at;
    return line.substr(at);
}

}  // namespace

bool LineJoiner::Ready(std::string& out) {
    out.swap(held_);
    held_.clear();
    heldLines_ = 0;
    afterTerm_ = false;
    return true;
}

bool LineJoiner::Add(const std::string& line, std::string& out, bool asItIs, bool cut) {
    const std::string_view trimmed = TrimBlanksView(line);
    if (heldLines_ == 0) {
        if (asItIs || cut) {
            out = line;
            return true;
        }
        // A <DT> alone waits for its entry; a tag that does not end waits for its end.
        if (EqualsNoCase(trimmed, "<DT>")) {
            held_ = line;
            heldLines_ = 1;
            afterTerm_ = true;
            return false;
        }
        // A description is never joined: the lines after it go on with it only up to a list
        // tag (the reader's rule), so that an unclosed tag in it cannot take the list's end.
        if (EntryEnds(line, false) || EqualsNoCase(trimmed.substr(0, 4), "<DD>")) {
            out = line;
            return true;
        }
        held_ = line;
        heldLines_ = 1;
        return false;
    }
    if (trimmed.empty()) return false;
    if (afterTerm_) {
        afterTerm_ = false;
        held_ += WithoutLeadingBlanks(line);
    } else {
        held_ += " " + WithoutLeadingBlanks(line);
    }
    ++heldLines_;
    // An entry spread over lines is whole once its tag ends and its closing tag follows.
    if (cut || EntryEnds(held_, true) || heldLines_ >= kMostLines || held_.size() >= kMostBytes) {
        return Ready(out);
    }
    return false;
}

bool LineJoiner::Flush(std::string& out) {
    if (heldLines_ == 0) return false;
    return Ready(out);
}

}  // namespace pernard
