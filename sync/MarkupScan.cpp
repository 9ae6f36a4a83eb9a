#include "sync/MarkupScan.h"

#include "util/Text.h"

namespace pernard::sync {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsNameChar(char c) {
    return IsAsciiAlpha(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':' ||
           c == '.';
}

bool SameName(std::string_view a, std::string_view b, bool ignoreCase) {
    return ignoreCase ? EqualsNoCase(a, b) : a == b;
}

}  // namespace

bool MarkupTag::Is(std::string_view tag, bool ignoreCase) const {
    return SameName(name, tag, ignoreCase);
}

bool MarkupTag::Find(std::string_view attribute, bool ignoreCase, std::string_view& value) const {
    for (const MarkupAttribute& item : attributes) {
        if (SameName(item.name, attribute, ignoreCase)) {
            value = item.value;
            return true;
        }
    }
    return false;
}

// Where the next tag starts: a "<" followed by a letter, "/", "!" or "?"; any other "<" is
// text.
std::size_t MarkupScanner::FindTagStart(std::size_t from) const {
    for (std::size_t at = text_.find('<', from); at != std::string_view::npos;
         at = text_.find('<', at + 1)) {
        if (at + 1 >= text_.size()) return std::string_view::npos;
        const char next = text_[at + 1];
        if (IsAsciiAlpha(next) || next == '/' || next == '!' || next == '?') return at;
    }
    return std::string_view::npos;
}

std::string_view MarkupScanner::TextBeforeTag() {
    const std::size_t start = std::min(at_, text_.size());
    const std::size_t end = std::min(FindTagStart(start), text_.size());
    at_ = end;
    return text_.substr(start, end - start);
}

// The attributes from `at` to the tag's ">", which `at` is left after; false when the input
// ends first.
bool MarkupScanner::ReadAttributes(std::size_t& at) {
    const std::size_t n = text_.size();
    while (true) {
        while (at < n && IsBlank(text_[at])) ++at;
        if (at >= n) return false;
        if (text_[at] == '>') {
            ++at;
            return true;
        }
        if (text_[at] == '/') {
            tag_.selfClosing = at + 1 < n && text_[at + 1] == '>';
            ++at;
            continue;
        }
        const std::size_t nameStart = at;
        while (at < n && !IsBlank(text_[at]) && text_[at] != '=' && text_[at] != '>' &&
               text_[at] != '/') {
            ++at;
        }
        MarkupAttribute attribute{text_.substr(nameStart, at - nameStart), {}};
        while (at < n && IsBlank(text_[at])) ++at;
        if (at < n && text_[at] == '=') {
            ++at;
            while (at < n && IsBlank(text_[at])) ++at;
            if (at >= n) return false;
            if (text_[at] == '"' || text_[at] == '\'') {
                const std::size_t close = text_.find(text_[at], at + 1);
                if (close == std::string_view::npos) return false;
                attribute.value = text_.substr(at + 1, close - at - 1);
                at = close + 1;
            } else {
                const std::size_t valueStart = at;
                while (at < n && !IsBlank(text_[at]) && text_[at] != '>') ++at;
                attribute.value = text_.substr(valueStart, at - valueStart);
            }
        }
        if (!attribute.name.empty()) tag_.attributes.push_back(attribute);
    }
}

const MarkupTag& MarkupScanner::Next() {
    tag_.kind = TagKind::None;
    tag_.name = {};
    tag_.selfClosing = false;
    tag_.attributes.clear();
    const std::size_t start = FindTagStart(std::min(at_, text_.size()));
    if (start == std::string_view::npos) {
        at_ = text_.size();
        return tag_;
    }
    const std::string_view rest = text_.substr(start);
    std::size_t close = std::string_view::npos;
    if (rest.substr(0, 4) == "<!--") {
        close = text_.find("-->", start + 4);
        if (close != std::string_view::npos) close += 3;
        tag_.kind = TagKind::Other;
    } else if (rest[1] == '!' || rest[1] == '?') {
        close = text_.find('>', start);
        if (close != std::string_view::npos) ++close;
        tag_.kind = TagKind::Other;
    } else {
        const bool end = rest[1] == '/';
        std::size_t at = start + (end ? 2 : 1);
        const std::size_t nameStart = at;
        while (at < text_.size() && IsNameChar(text_[at])) ++at;
        tag_.name = text_.substr(nameStart, at - nameStart);
        tag_.kind = end ? TagKind::End : TagKind::Start;
        if (ReadAttributes(at)) close = at;
        if (end) tag_.attributes.clear();
    }
    if (close == std::string_view::npos) {
        tag_ = MarkupTag{};
        at_ = text_.size();
        return tag_;
    }
    at_ = close;
    return tag_;
}

bool MarkupScanner::SkipElement(std::string_view name, bool ignoreCase) {
    std::size_t depth = 1;
    while (depth > 0) {
        const MarkupTag& tag = Next();
        if (tag.kind == TagKind::None) return false;
        if (!tag.Is(name, ignoreCase)) continue;
        if (tag.kind == TagKind::Start && !tag.selfClosing) ++depth;
        if (tag.kind == TagKind::End) --depth;
    }
    return true;
}

}  // namespace pernard::sync
