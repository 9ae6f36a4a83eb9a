#include "formats/ShortcutText.h"

#include <cstdio>

#include "util/CodePage.h"
#include "util/Text.h"

namespace pernard {

namespace {

constexpr const char* kNotAvailable = "N/A";

void PercentEncodeUtf8(char32_t codePoint, std::string& out) {
    std::string utf8;
    if (!AppendUtf8(utf8, codePoint)) AppendUtf8(utf8, 0xFFFD);
    char hex[4];
    for (unsigned char byte : utf8) {
        std::snprintf(hex, sizeof hex, "%%%02X", byte);
        out += hex;
    }
}

// Appends the URL as a shortcut file holds it: in UTF-8 or CP932, a CR or LF percent-encoded
// so that it cannot start a line of its own.
void AppendShortcutUrl(std::string_view url, bool utf8, std::string& out) {
    std::string safeUrl;
    for (char c : url) {
        if (c == '\r' || c == '\n') {
            PercentEncodeUtf8(static_cast<unsigned char>(c), safeUrl);
        } else {
            safeUrl += c;
        }
    }
    if (utf8) {
        static thread_local TextEncoder utf8Encoder(kUtf8, &PercentEncodeUtf8);
        utf8Encoder.Encode(safeUrl, out);
        return;
    }
    // One encoder for every shortcut of a save: opening a converter (and its table of what
    // converts back) per file would cost more than the file.
    static thread_local TextEncoder encoder(kCp932, &PercentEncodeUtf8);
    encoder.Encode(safeUrl, out);
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
    AppendShortcutUrl(url, false, bytes);
    bytes += "\r\n";
    return bytes;
}

std::string ShortcutTextOf(std::string_view bytes) {
    if (!HasHighBytes(bytes)) return std::string(bytes);
    return DecodeText(bytes, IsValidUtf8(bytes) ? kUtf8 : kCp932);
}

std::string ShortcutUrlFromText(std::string_view text) {
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
    return kNotAvailable;
}

std::string ShortcutWithUrl(std::string_view original, std::string_view url) {
    const std::string oldUrl = ShortcutUrlFromText(ShortcutTextOf(original));
    if (oldUrl == url) return std::string(original);
    const bool utf8 = HasHighBytes(original) && IsValidUtf8(original);
    std::string out;
    out.reserve(original.size() + url.size());
    std::string section;
    std::string current;  // the section the line is in
    bool urlWritten = false;
    std::size_t at = 0;
    while (at < original.size()) {
        std::size_t end = original.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = original.size();
        const std::string_view line = original.substr(at, end - at);
        const std::string trimmed = TrimBlanks(line);
        const bool opensSection = SectionOf(trimmed, section);
        if (opensSection) current = section;
        const std::size_t equals = line.find('=');
        bool replace = false;
        if (equals != std::string_view::npos && !opensSection) {
            const std::string key = TrimBlanks(line.substr(0, equals));
            const std::string value = ShortcutTextOf(TrimBlanks(line.substr(equals + 1)));
            replace = (!urlWritten && EqualsNoCase(current, "InternetShortcut") &&
                       EqualsNoCase(key, "URL")) ||
                      (EqualsNoCase(current, "DEFAULT") && EqualsNoCase(key, "BASEURL") &&
                       value == oldUrl);
            if (replace && EqualsNoCase(key, "URL")) urlWritten = true;
        }
        if (replace) {
            out.append(line.substr(0, equals + 1));
            AppendShortcutUrl(url, utf8, out);
        } else {
            out.append(line);
        }
        // The line's own end, as it was.
        std::size_t next = end;
        if (next < original.size() && original[next] == '\r') ++next;
        if (next < original.size() && original[next] == '\n') ++next;
        out.append(original.substr(end, next - end));
        at = next;
    }
    // A file without a URL line gets a section that holds one after what it had.
    if (!urlWritten) {
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
        out += ShortcutFileText(url);
    }
    return out;
}

}  // namespace pernard
