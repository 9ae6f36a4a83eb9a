#include "formats/LineJoiner.h"

#include <cstring>

#include "util/Text.h"

namespace pernard {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The end of the tag that starts at `open` (the position after its ">"), outside quotes;
// npos when the tag does not end in the text.
std::size_t TagEnd(const std::string& text, std::size_t open) {
    char quote = 0;
    for (std::size_t at = open + 1; at < text.size(); ++at) {
        const char c = text[at];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return at + 1;
        }
    }
    return std::string::npos;
}

// The last <A or <H3 tag of the text and the closing tag it needs; npos when there is none.
std::size_t LastEntryTag(const std::string& text, const char*& closing) {
    std::size_t found = std::string::npos;
    for (std::size_t at = FindNoCase(text, "<A"); at != std::string::npos;
         at = FindNoCase(text, "<A", at + 1)) {
        if (at + 2 == text.size() || IsBlank(text[at + 2])) {
            found = at;
            closing = "</A>";
        }
    }
    const std::size_t heading = FindNoCase(text, "<H3");
    if (heading != std::string::npos && (found == std::string::npos || heading > found)) {
        found = heading;
        closing = "</H3>";
    }
    return found;
}

// True when the text ends inside an <A> or <H3> tag.
bool EndsInsideTag(const std::string& text) {
    const char* closing = nullptr;
    const std::size_t open = LastEntryTag(text, closing);
    return open != std::string::npos && TagEnd(text, open) == std::string::npos;
}

// True when the text's last <A> or <H3> tag ends and is closed by its closing tag.
bool EntryComplete(const std::string& text) {
    const char* closing = nullptr;
    const std::size_t open = LastEntryTag(text, closing);
    if (open == std::string::npos) return true;
    const std::size_t end = TagEnd(text, open);
    return end != std::string::npos && FindNoCase(text, closing, end) != std::string::npos;
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

bool LineJoiner::Add(const std::string& line, std::string& out) {
    const std::string_view trimmed = TrimBlanksView(line);
    if (heldLines_ == 0) {
        // A <DT> alone waits for its entry; a tag that does not end waits for its end.
        if (EqualsNoCase(trimmed, "<DT>")) {
            held_ = line;
            heldLines_ = 1;
            afterTerm_ = true;
            return false;
        }
        if (!EndsInsideTag(line)) {
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
    if (EntryComplete(held_) || heldLines_ >= kMostLines || held_.size() >= kMostBytes) {
        return Ready(out);
    }
    return false;
}

bool LineJoiner::Flush(std::string& out) {
    if (heldLines_ == 0) return false;
    return Ready(out);
}

}  // namespace pernard
