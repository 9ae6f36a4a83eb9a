#include "formats/favorites/ShortcutText.h"

#include <algorithm>
#include <cstdio>

#include "model/EntryTexts.h"
#include "util/CodePage.h"
#include "util/Text.h"

namespace pernard {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// What a shortcut file is written in: CP932 (the ANSI code page), UTF-8, or UTF-16 in either
// byte order after its byte order mark (as some programs write it).
enum class ShortcutEncoding { Cp932, Utf8, Utf16Le, Utf16Be };

ShortcutEncoding EncodingOf(std::string_view bytes) {
    if (bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) return ShortcutEncoding::Utf16Le;
    if (bytes.substr(0, kUtf16BeBom.size()) == kUtf16BeBom) return ShortcutEncoding::Utf16Be;
    if (HasHighBytes(bytes) && IsValidUtf8(bytes)) return ShortcutEncoding::Utf8;
    return ShortcutEncoding::Cp932;
}

bool IsUtf16(ShortcutEncoding encoding) {
    return encoding == ShortcutEncoding::Utf16Le || encoding == ShortcutEncoding::Utf16Be;
}

// The bytes in a one-byte encoding of a shortcut (its lines, its text) are ASCII where they
// are structure; in UTF-16 a unit is two bytes.
std::size_t UnitSize(ShortcutEncoding encoding) { return IsUtf16(encoding) ? 2 : 1; }

// Where the low byte of a UTF-16 unit is: first in LE, second in BE.
std::size_t LowByte(ShortcutEncoding encoding) {
    return encoding == ShortcutEncoding::Utf16Be ? 1 : 0;
}

// ASCII text (the file's own structure: section names, keys, line ends) in its encoding.
void AppendStructure(std::string_view ascii, ShortcutEncoding encoding, std::string& out) {
    if (IsUtf16(encoding)) {
        AppendUtf16(ascii, encoding == ShortcutEncoding::Utf16Be, out);
    } else {
        out += ascii;
    }
}

// The text of a line of a shortcut file in `encoding` (without its byte order mark), as UTF-8.
std::string LineText(std::string_view line, ShortcutEncoding encoding) {
    switch (encoding) {
        case ShortcutEncoding::Utf16Le:
        case ShortcutEncoding::Utf16Be:
            return DecodeUtf16(line, encoding == ShortcutEncoding::Utf16Be);
        case ShortcutEncoding::Cp932:
            return HasHighBytes(line) ? DecodeText(line, kCp932) : std::string(line);
        default:
            return DecodeText(line, kUtf8);
    }
}

void PercentEncodeUtf8(char32_t codePoint, std::string& out) {
    std::string utf8;
    if (!AppendUtf8(utf8, codePoint)) AppendUtf8(utf8, 0xFFFD);
    char hex[4];
    for (unsigned char byte : utf8) {
        std::snprintf(hex, sizeof hex, "%%%02X", byte);
        out += hex;
    }
}

// Appends the URL as a shortcut file in `encoding` holds it, a CR or LF percent-encoded so
// that it cannot start a line of its own.
void AppendShortcutUrl(std::string_view url, ShortcutEncoding encoding, std::string& out) {
    std::string safeUrl;
    for (char c : url) {
        if (c == '\r' || c == '\n') {
            PercentEncodeUtf8(static_cast<unsigned char>(c), safeUrl);
        } else {
            safeUrl += c;
        }
    }
    if (IsUtf16(encoding)) {
        AppendUtf16(safeUrl, encoding == ShortcutEncoding::Utf16Be, out);
        return;
    }
    if (encoding == ShortcutEncoding::Utf8) {
        static thread_local TextEncoder utf8Encoder(kUtf8, &PercentEncodeUtf8);
        utf8Encoder.Encode(safeUrl, out);
        return;
    }
    // One encoder for every shortcut of a save: opening a converter (and its table of what
    // converts back) per file would cost more than the file.
    static thread_local TextEncoder encoder(kCp932, &PercentEncodeUtf8);
    encoder.Encode(safeUrl, out);
}

// Whether the unit at `at` is the ASCII character `c`.
bool UnitIs(std::string_view bytes, std::size_t at, char c, ShortcutEncoding encoding) {
    if (!IsUtf16(encoding)) return at < bytes.size() && bytes[at] == c;
    const std::size_t low = LowByte(encoding);
    return at + 2 <= bytes.size() && bytes[at + low] == c && bytes[at + 1 - low] == '\0';
}

// Where the line starting at `at` ends: the offset of its CR or LF unit, or the end.
std::size_t LineEnd(std::string_view bytes, std::size_t at, ShortcutEncoding encoding) {
    if (!IsUtf16(encoding)) return std::min(bytes.find_first_of("\r\n", at), bytes.size());
    for (; at + 1 < bytes.size(); at += 2) {
        if (UnitIs(bytes, at, '\r', encoding) || UnitIs(bytes, at, '\n', encoding)) return at;
    }
    return bytes.size();
}

// Where the first "=" of a line is, in its bytes; npos when it has none.
std::size_t EqualsIn(std::string_view line, ShortcutEncoding encoding) {
    for (std::size_t at = 0; at + UnitSize(encoding) <= line.size(); at += UnitSize(encoding)) {
        if (UnitIs(line, at, '=', encoding)) return at;
    }
    return std::string_view::npos;
}

// Whether a trimmed line opens an INI section, and which.
bool SectionOf(std::string_view line, std::string& section) {
    if (line.empty() || line.front() != '[') return false;
    const std::size_t close = line.find(']');
    section =
        close == std::string_view::npos ? std::string() : TrimBlanks(line.substr(1, close - 1));
    return true;
}

}  // namespace

std::string ShortcutFileText(std::string_view url) {
    std::string bytes = "[InternetShortcut]\r\nURL=";
    AppendShortcutUrl(url, ShortcutEncoding::Cp932, bytes);
    bytes += "\r\n";
    return bytes;
}

std::string ShortcutTextOf(std::string_view bytes) {
    switch (EncodingOf(bytes)) {
        case ShortcutEncoding::Utf16Le:
        case ShortcutEncoding::Utf16Be:
            return DecodeUtf16(bytes.substr(kUtf16LeBom.size()), EncodingOf(bytes) == ShortcutEncoding::Utf16Be);
        case ShortcutEncoding::Utf8:
            return DecodeText(bytes, kUtf8);
        default:
            return LineText(bytes, ShortcutEncoding::Cp932);
    }
}

std::string ShortcutUrlFromText(std::string_view text) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    bool inSection = false;
    std::size_t at = 0;
    std::string section;
    while (at <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        const std::string line = TrimBlanks(text.substr(at, end - at));
        at = end + 1;
        if (SectionOf(line, section)) {
            inSection = EqualsNoCase(section, "InternetShortcut");
            continue;
        }
        if (!inSection) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        if (EqualsNoCase(TrimBlanks(line.substr(0, equals)), "URL")) {
            return TrimBlanks(line.substr(equals + 1));
        }
    }
    return std::string(kNoUrl);
}

std::string ShortcutWithUrl(std::string_view original, std::string_view url) {
    const std::string oldUrl = ShortcutUrlFromText(ShortcutTextOf(original));
    if (oldUrl == url) return std::string(original);
    const ShortcutEncoding encoding = EncodingOf(original);
    const std::size_t unit = UnitSize(encoding);
    // The byte order mark stays in front; the lines follow it.
    std::size_t at = IsUtf16(encoding) ? kUtf16LeBom.size() : 0;
    if (encoding == ShortcutEncoding::Utf8 && original.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        at = kUtf8Bom.size();
    }
    std::string out(original.substr(0, at));
    out.reserve(original.size() + url.size());
    std::string section;
    std::string current;  // the section the line is in
    bool urlWritten = false;
    bool atLineStart = true;
    while (at < original.size()) {
        const std::size_t end = LineEnd(original, at, encoding);
        const std::string_view line = original.substr(at, end - at);
        const std::string text = LineText(line, encoding);
        const std::string trimmed = TrimBlanks(text);
        const bool opensSection = SectionOf(trimmed, section);
        if (opensSection) current = section;
        const std::size_t equals = text.find('=');
        bool replace = false;
        if (equals != std::string::npos && !opensSection) {
            const std::string key = TrimBlanks(std::string_view(text).substr(0, equals));
            const std::string value = TrimBlanks(std::string_view(text).substr(equals + 1));
            replace = (!urlWritten && EqualsNoCase(current, "InternetShortcut") &&
                       EqualsNoCase(key, "URL")) ||
                      (EqualsNoCase(current, "DEFAULT") && EqualsNoCase(key, "BASEURL") &&
                       value == oldUrl);
            if (replace && EqualsNoCase(key, "URL")) urlWritten = true;
        }
        if (replace) {
            out.append(line.substr(0, EqualsIn(line, encoding) + unit));
            AppendShortcutUrl(url, encoding, out);
        } else {
            out.append(line);
        }
        // The line's own end, as it was.
        std::size_t next = end;
        if (UnitIs(original, next, '\r', encoding)) next += unit;
        if (UnitIs(original, next, '\n', encoding)) next += unit;
        out.append(original.substr(end, next - end));
        atLineStart = next > end;
        at = next;
    }
    // A file without a URL line gets a section that holds one after what it had, in its own
    // encoding.
    if (!urlWritten) {
        if (!atLineStart) AppendStructure("\r\n", encoding, out);
        AppendStructure("[InternetShortcut]\r\nURL=", encoding, out);
        AppendShortcutUrl(url, encoding, out);
        AppendStructure("\r\n", encoding, out);
    }
    return out;
}

}  // namespace pernard
