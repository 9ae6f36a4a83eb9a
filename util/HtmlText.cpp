#include "util/HtmlText.h"

#include <array>
#include <cstring>

#include "util/Text.h"

namespace pernard {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// Decodes the reference starting at `text[at]` == '&'. On success appends its text to `out`
// and returns the length of the reference; 0 when it is not one we decode.
std::size_t DecodeOneReference(std::string_view text, std::size_t at, std::string& out) {
    const std::size_t semicolon = text.find(';', at + 1);
    if (semicolon == std::string_view::npos || semicolon - at > 12) return 0;
    const std::string_view body = text.substr(at + 1, semicolon - at - 1);
    const std::size_t length = semicolon - at + 1;
    if (body == "amp") return out += '&', length;
    if (body == "lt") return out += '<', length;
    if (body == "gt") return out += '>', length;
    if (body == "quot") return out += '"', length;
    if (body == "apos") return out += '\'', length;
    if (body.size() < 2 || body[0] != '#') return 0;
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return 0;
    char32_t value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return 0;
        }
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        if (value > 0x10FFFF) return 0;
    }
    if (value == 0) return 0;
    return AppendUtf8(out, value) ? length : 0;
}

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == ':';
}

// Whether a quote at `at` can end a value: what follows it is the end of the tag, a blank, or
// the next attribute's name and "=".
bool EndsValue(std::string_view line, std::size_t at) {
    const std::size_t next = at + 1;
    if (next >= line.size() || IsBlank(line[next]) || line[next] == '>' || line[next] == '/') {
        return true;
    }
    std::size_t end = next;
    while (end < line.size() && IsNameCharacter(line[end])) ++end;
    return end > next && end < line.size() && line[end] == '=';
}

// The quote that closes the value opened at `open`. A quote inside the value (a search URL
// such as "...?q="exact") is passed over when a later one ends the value properly; without
// such a later one the first quote closes it.
std::size_t ClosingQuote(std::string_view line, std::size_t open, char quote) {
    const std::size_t first = line.find(quote, open + 1);
    std::size_t at = first;
    while (at != std::string_view::npos && !EndsValue(line, at)) {
        const std::size_t next = line.find(quote, at + 1);
        // A value is not taken past a ">": that is where the tag most likely ended.
        if (next == std::string_view::npos ||
            line.substr(at, next - at).find('>') != std::string_view::npos) {
            return first;
        }
        at = next;
    }
    return at;
}

}  // namespace

std::string DecodeCharacterReferences(std::string_view text) {
    std::string out;
    DecodeCharacterReferencesInto(text, out);
    return out;
}

void DecodeCharacterReferencesInto(std::string_view text, std::string& out) {
    std::size_t amp = text.find('&');
    if (amp == std::string_view::npos) {
        out.assign(text);
        return;
    }
    out.clear();
    out.reserve(text.size());
    std::size_t copied = 0;
    while (amp != std::string_view::npos) {
        out.append(text.data() + copied, amp - copied);
        const std::size_t used = DecodeOneReference(text, amp, out);
        if (used == 0) {
            out += '&';
            copied = amp + 1;
        } else {
            copied = amp + used;
        }
        amp = text.find('&', copied);
    }
    out.append(text.data() + copied, text.size() - copied);
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    AppendEscapedHtml(out, text);
    return out;
}

void AppendNumericReference(char32_t codePoint, std::string& out) {
    out += "&#" + std::to_string(static_cast<unsigned long>(codePoint)) + ";";
}

void AppendEscapedHtml(std::string& out, std::string_view text) {
    // The bytes that need a reference, looked up in one step: most bytes need none.
    static constexpr auto kSpecial = [] {
        std::array<bool, 256> special{};
        for (unsigned char c : {'&', '<', '>', '"', '\r', '\n'}) special[c] = true;
        return special;
    }();
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (!kSpecial[static_cast<unsigned char>(text[at])]) continue;
        const char* entity = nullptr;
        switch (text[at]) {
            case '&':
                entity = "&amp;";
                break;
            case '<':
                entity = "&lt;";
                break;
            case '>':
                entity = "&gt;";
                break;
            case '"':
                entity = "&quot;";
                break;
            case '\r':
                entity = "&#13;";
                break;
            case '\n':
                entity = "&#10;";
                break;
            default:
                continue;
        }
        out.append(text.data() + start, at - start);
        out += entity;
        start = at + 1;
    }
    out.append(text.data() + start, text.size() - start);
}

bool TagAttributes::Find(std::string_view name, std::string_view& value) const {
    for (const TagAttribute& item : items) {
        if (EqualsNoCase(item.name, name)) {
            value = item.value;
            return true;
        }
    }
    return false;
}

std::string TagAttributes::Get(std::string_view name) const {
    std::string_view raw;
    return Find(name, raw) ? DecodeCharacterReferences(raw) : std::string();
}

std::size_t ParseTagAttributes(std::string_view line, std::size_t from, TagAttributes& out) {
    out.items.clear();
    std::size_t at = from;
    const std::size_t n = line.size();
    while (at < n) {
        while (at < n && IsBlank(line[at])) ++at;
        if (at >= n) break;
        if (line[at] == '>') return at + 1;
        const std::size_t nameStart = at;
        while (at < n && !IsBlank(line[at]) && line[at] != '=' && line[at] != '>') ++at;
        const std::string_view name = line.substr(nameStart, at - nameStart);
        std::size_t look = at;
        while (look < n && IsBlank(line[look])) ++look;
        if (look >= n || line[look] != '=') {
            if (!name.empty()) out.items.push_back({name, std::string_view(), name});
            if (at == nameStart) ++at;  // a stray character such as "/" or a quote
            continue;
        }
        at = look + 1;
        while (at < n && IsBlank(line[at])) ++at;
        std::string_view value;
        if (at < n && (line[at] == '"' || line[at] == '\'')) {
            const char quote = line[at];
            const std::size_t close = ClosingQuote(line, at, quote);
            if (close == std::string_view::npos) {
                out.items.push_back({name, line.substr(at + 1), line.substr(nameStart), quote});
                return std::string_view::npos;
            }
            value = line.substr(at + 1, close - at - 1);
            at = close + 1;
        } else {
            const std::size_t valueStart = at;
            while (at < n && !IsBlank(line[at]) && line[at] != '>') ++at;
            value = line.substr(valueStart, at - valueStart);
        }
        out.items.push_back({name, value, line.substr(nameStart, at - nameStart)});
    }
    return std::string_view::npos;
}

std::size_t FindEndTag(std::string_view text, std::string_view name, std::size_t from,
                       std::size_t* length) {
    for (std::size_t at = text.find("</", from); at != std::string_view::npos;
         at = text.find("</", at + 2)) {
        std::size_t end = at + 2;
        if (text.size() - end < name.size() || !EqualsNoCase(text.substr(end, name.size()), name))
            continue;
        end += name.size();
        while (end < text.size() && (text[end] == ' ' || text[end] == '\t' || text[end] == '\r' ||
                                     text[end] == '\n' || text[end] == '\f')) {
            ++end;
        }
        if (end < text.size() && text[end] == '>') {
            if (length != nullptr) *length = end + 1 - at;
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace pernard
