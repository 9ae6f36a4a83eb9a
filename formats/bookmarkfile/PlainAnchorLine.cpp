#include "formats/bookmarkfile/PlainAnchorLine.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "util/CodePage.h"
#include "util/HtmlText.h"
#include "util/Text.h"

namespace pernard {

namespace {

bool IsIndent(char c) { return c == ' ' || c == '\t'; }
bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }
char Lower(char c) { return static_cast<char>(c | 0x20); }

// The bytes an attribute's name may hold in the plain shape: printable ASCII but for the
// characters that end a name or a tag.
constexpr std::array<bool, 256> kNameBytes = [] {
    std::array<bool, 256> bytes{};
    for (int c = '!'; c < 0x7F; ++c) bytes[static_cast<std::size_t>(c)] = true;
    for (const char c : std::string_view("=><\"'/")) bytes[static_cast<unsigned char>(c)] = false;
    return bytes;
}();
bool IsNameByte(char c) { return kNameBytes[static_cast<unsigned char>(c)]; }

// Past the blanks from `at`: eight at a time through deep indentation.
std::size_t SkipIndent(std::string_view raw, std::size_t at) {
    static constexpr char kEightBlanks[] = "        ";
    while (raw.size() - at >= 8 && std::memcmp(raw.data() + at, kEightBlanks, 8) == 0) at += 8;
    while (at < raw.size() && IsIndent(raw[at])) ++at;
    return at;
}

// Whether `text` is ASCII without a "<" in it: eight bytes at a time, a byte with its high bit
// set or a byte equal to "<" (zero once xored with it) found by the usual word tests.
bool PlainText(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    constexpr std::uint64_t kLessThans = kOnes * '<';
    const char* at = text.data();
    std::size_t left = text.size();
    for (; left >= 8; at += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        const std::uint64_t xored = word ^ kLessThans;
        if (((word | ((xored - kOnes) & ~xored)) & kHighBits) != 0) return false;
    }
    for (; left > 0; ++at, --left) {
        if (!IsAscii(*at) || *at == '<') return false;
    }
    return true;
}

// The slot of the attributes the table keeps in columns: 0 HREF, 1 ADD_DATE, 2 LAST_VISIT,
// 3 LAST_MODIFIED; -1 for any other.
int ColumnSlot(std::string_view name) {
    switch (name.size()) {
        case 4:
            return EqualsNoCase(name, "HREF") ? 0 : -1;
        case 8:
            return EqualsNoCase(name, "ADD_DATE") ? 1 : -1;
        case 10:
            return EqualsNoCase(name, "LAST_VISIT") ? 2 : -1;
        case 13:
            return EqualsNoCase(name, "LAST_MODIFIED") ? 3 : -1;
        default:
            return -1;
    }
}

}  // namespace

bool MarkupFoundInRawBytes(const std::string& charset) {
    // Not EUC-JP: Windows' converter for it takes a "<" after a lead byte as half a character.
    for (const char* known :
         {"UTF-8", "CP932", "SHIFT_JIS", "SHIFT-JIS", "SJIS", "WINDOWS-31J", "US-ASCII", "ASCII"}) {
        if (EqualsNoCase(charset, known)) return true;
    }
    for (const std::string_view family : {"ISO-8859-", "WINDOWS-125", "CP125"}) {
        if (EqualsNoCase(std::string_view(charset).substr(0, family.size()), family)) return true;
    }
    return false;
}

bool ScanPlainAnchorLine(std::string_view raw, TextDecoder* decoder, PlainAnchor& anchor) {
    const std::size_t n = raw.size();
    std::size_t at = SkipIndent(raw, 0);
    // "<DT><A" and a blank.
    if (n - at < 7 || raw[at] != '<' || Lower(raw[at + 1]) != 'd' || Lower(raw[at + 2]) != 't' ||
        raw[at + 3] != '>' || raw[at + 4] != '<' || Lower(raw[at + 5]) != 'a' ||
        !IsIndent(raw[at + 6])) {
        return false;
    }
    anchor.beforeAnchor = raw.substr(0, at + 4);
    at += 7;

    // The attributes: NAME="VALUE" each, apart by blanks, up to the tag's ">".
    std::array<std::string_view, 4> columns;
    std::array<bool, 4> seen{};
    anchor.otherAttributes.clear();
    for (;;) {
        while (at < n && IsIndent(raw[at])) ++at;
        if (at >= n) return false;
        if (raw[at] == '>') {
            ++at;
            break;
        }
        const std::size_t nameStart = at;
        while (at < n && IsNameByte(raw[at])) ++at;
        if (at == nameStart || at + 1 >= n || raw[at] != '=' || raw[at + 1] != '"') return false;
        const std::size_t valueStart = at + 2;
        const void* quote = std::memchr(raw.data() + valueStart, '"', n - valueStart);
        if (quote == nullptr) return false;
        const std::size_t close =
            static_cast<std::size_t>(static_cast<const char*>(quote) - raw.data());
        // The first quote ends the value only when a blank or the tag's end follows it.
        if (close + 1 >= n || (!IsIndent(raw[close + 1]) && raw[close + 1] != '>')) return false;
        const std::string_view value = raw.substr(valueStart, close - valueStart);
        if (!PlainText(value)) return false;
        const int slot = ColumnSlot(raw.substr(nameStart, at - nameStart));
        if (slot >= 0 && !seen[static_cast<std::size_t>(slot)]) {
            seen[static_cast<std::size_t>(slot)] = true;
            columns[static_cast<std::size_t>(slot)] = value;
        } else {
            anchor.otherAttributes += ' ';
            anchor.otherAttributes.append(raw.substr(nameStart, close + 1 - nameStart));
        }
        at = close + 1;
    }
    if (!seen[0]) return false;

    // The name runs to "</A>" (blanks may come before its ">"); after it, nothing that is
    // markup.
    const void* lt = std::memchr(raw.data() + at, '<', n - at);
    if (lt == nullptr) return false;
    const std::size_t nameEnd =
        static_cast<std::size_t>(static_cast<const char*>(lt) - raw.data());
    if (n - nameEnd < 4 || raw[nameEnd + 1] != '/' || Lower(raw[nameEnd + 2]) != 'a') return false;
    std::size_t endTag = nameEnd + 3;
    while (endTag < n && IsIndent(raw[endTag])) ++endTag;
    if (endTag >= n || raw[endTag] != '>' || !PlainText(raw.substr(endTag + 1))) return false;
    std::string_view name = raw.substr(at, nameEnd - at);
    if (decoder != nullptr) {
        anchor.decodedName.clear();
        decoder->Decode(name, anchor.decodedName);
        name = anchor.decodedName;
    } else if (HasHighBytes(name)) {
        return false;
    }
    // A text without "&" is its own decoded form: a view of it, no copy.
    auto decoded = [&anchor](std::string_view text, std::size_t slot) {
        if (text.find('&') == std::string_view::npos) return text;
        DecodeCharacterReferencesInto(text, anchor.referencesDecoded[slot]);
        return std::string_view(anchor.referencesDecoded[slot]);
    };
    anchor.texts.name = decoded(name, 0);
    anchor.texts.url = decoded(columns[0], 1);
    anchor.texts.added = decoded(columns[1], 2);
    anchor.texts.visited = decoded(columns[2], 3);
    anchor.texts.modified = decoded(columns[3], 4);
    return true;
}

}  // namespace pernard
