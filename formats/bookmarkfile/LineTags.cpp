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

// Scans one line's tags from left to right for ScanTags.
class TagScanner {
public:
    explicit TagScanner(std::string_view line) : line_(line), firstTag_(IndentEnd(line)) {}

    LineTags Scan() {
        const char* base = line_.data();
        while (at_ < line_.size()) {
            const void* hit = std::memchr(base + at_, '<', line_.size() - at_);
            if (hit == nullptr) break;
            at_ = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
            const std::string_view rest = line_.substr(at_ + 1);
            const Taken taken = TakeTag(rest);
            if (taken == Taken::End) break;
            if (taken == Taken::Moved) continue;
            NoteListTags(rest);
            ++at_;
        }
        return tags_;
    }

private:
    // What a step made of the tag at `at_`: nothing, or it went on past what it took, or the
    // scan is over.
    enum class Taken { Nothing, Moved, End };

    // Where the indentation ends (a loop: find_first_not_of searches its set once per byte).
    static std::size_t IndentEnd(std::string_view line) {
        std::size_t end = 0;
        while (end < line.size() && (line[end] == ' ' || line[end] == '\t')) ++end;
        return end;
    }

    // `rest` is the line after the tag's "<".
    Taken TakeTag(std::string_view rest) {
        if (rest.substr(0, 3) == "!--") return StepOverComment();
        if (textSeen_ || descriptionText_) return Taken::Nothing;
        return TakeTagBeforeText(rest);
    }

    // A comment is stepped over whole; one left open ends the scan (and a description).
    Taken StepOverComment() {
        const std::size_t close = line_.find("-->", at_ + 4);
        if (close == std::string_view::npos) {
            tags_.commentOpen = true;
            if (descriptionText_) tags_.descriptionEnd = at_;
            return Taken::End;
        }
        at_ = close + 3;
        return Taken::Moved;
    }

    // A tag before the first tag that carries a text.
    Taken TakeTagBeforeText(std::string_view rest) {
        if (const char* name = TextTag(rest, tags_)) return StepOverText(name);
        if (StartsNoCase(rest, 0, "!DOCTYPE")) tags_.doctype = true;
        if (StartsNoCase(rest, 0, "HR") &&
            (rest.size() == 2 || rest[2] == '>' || rest[2] == '/' || IsBlank(rest[2]))) {
            ++tags_.separators;
        }
        if (at_ == firstTag_ && StartsNoCase(rest, 0, "DD>")) {
            tags_.description = true;
            tags_.descriptionAt = at_ + 4;
            descriptionText_ = true;
            at_ += 4;
            return Taken::Moved;
        }
        return Taken::Nothing;
    }

    // The tag's text is not markup: the scan goes on after its end tag, if it has one.
    Taken StepOverText(const char* name) {
        textSeen_ = true;
        std::size_t length = 0;
        const std::size_t end = FindEndTag(line_, name, at_ + 1, &length);
        if (end == std::string_view::npos) return Taken::End;
        at_ = end + length;
        tags_.textEnd = at_;
        return Taken::Moved;
    }

    void NoteListTags(std::string_view rest) {
        const bool listStart = StartsNoCase(rest, 0, "DL>");
        const bool term = StartsNoCase(rest, 0, "DT>");
        const bool listEnd = StartsNoCase(rest, 0, "/DL>");
        if (descriptionText_ && (listStart || term || listEnd)) {
            // The description ends here; what follows on the line is read as usual.
            tags_.descriptionEnd = at_;
            descriptionText_ = false;
        }
        tags_.listStart = tags_.listStart || listStart;
        tags_.term = tags_.term || term;
        tags_.listEnd = tags_.listEnd || listEnd;
    }

    const std::string_view line_;
    const std::size_t firstTag_;
    std::size_t at_ = 0;
    LineTags tags_;
    bool textSeen_ = false;         // past the first tag that carries a text
    bool descriptionText_ = false;  // inside the text of a "<DD>"
};

}  // namespace

LineTags ScanTags(std::string_view line) { return TagScanner(line).Scan(); }

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
