#include "util/Text.h"

#include <algorithm>
#include <cstring>

namespace pernard {

namespace {

unsigned char LowerByte(unsigned char byte) {
    return (byte >= 0x41 && byte <= 0x5A) ? static_cast<unsigned char>(byte + 0x20) : byte;
}

// Compares `needle` with `text` at byte offset `at` character by character: both texts must
// have the same character sizes and bytes. `foldCase` lowers ASCII letters on both sides.
bool MatchesAt(std::string_view text, std::size_t at, std::string_view needle, bool foldCase) {
    std::size_t n = 0;
    std::size_t t = at;
    while (n < needle.size()) {
        if (t >= text.size()) return false;
        const int needleSize = CharSize(needle, n);
        const int textSize = CharSize(text, t);
        if (needleSize != textSize) return false;
        for (int k = 0; k < needleSize; ++k) {
            unsigned char a = static_cast<unsigned char>(needle[n + k]);
            unsigned char b = static_cast<unsigned char>(text[t + k]);
            if (foldCase) {
                a = LowerByte(a);
                b = LowerByte(b);
            }
            if (a != b) return false;
        }
        n += needleSize;
        t += textSize;
    }
    return true;
}

}  // namespace

int CharSize(std::string_view text, std::size_t position) {
    if (position >= text.size()) return 0;
    const unsigned char lead = static_cast<unsigned char>(text[position]);
    int size = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
    }
    if (position + size > text.size()) return 1;
    for (int k = 1; k < size; ++k) {
        if (!IsContinuationByte(text[position + k])) return 1;
    }
    return size;
}

int NextChar(std::string_view text, std::size_t& position) {
    const int size = CharSize(text, position);
    position += size;
    return size;
}

int MbLength(std::string_view text) {
    int count = 0;
    std::size_t position = 0;
    while (NextChar(text, position) > 0) ++count;
    return count;
}

int MbPos(std::string_view needle, std::string_view text) {
    if (needle.empty() || text.empty()) return 0;
    int index = 1;
    for (std::size_t at = 0; at < text.size(); at += CharSize(text, at), ++index) {
        if (MatchesAt(text, at, needle, false)) return index;
    }
    return 0;
}

std::string MbCopy(std::string_view text, int start, int count) {
    if (text.empty() || start < 0 || count <= 0) return {};
    if (start == 0) start = 1;
    std::size_t begin = 0;
    for (int skipped = 0; skipped < start - 1; ++skipped) {
        if (NextChar(text, begin) == 0) return {};
    }
    if (begin >= text.size()) return {};
    std::size_t end = begin;
    for (int taken = 0; taken < count; ++taken) {
        if (NextChar(text, end) == 0) break;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string LowerAscii(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
    return lowered;
}

std::size_t FindNoCase(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty() || from >= text.size()) return std::string_view::npos;
    const unsigned char first = LowerByte(static_cast<unsigned char>(needle[0]));
    if (first >= 0x80) {
        // A needle that starts with a multi-byte character: walk the text character by character.
        for (std::size_t at = from; at < text.size(); at += CharSize(text, at)) {
            if (MatchesAt(text, at, needle, true)) return at;
        }
        return std::string_view::npos;
    }
    // An ASCII first byte never occurs inside a multi-byte character, so every hit of it is a
    // character boundary. Search for both letter cases with memchr.
    const unsigned char upper =
        (first >= 0x61 && first <= 0x7A) ? static_cast<unsigned char>(first - 0x20) : first;
    bool asciiNeedle = true;
    for (char c : needle) asciiNeedle = asciiNeedle && static_cast<unsigned char>(c) < 0x80;
    const char* base = text.data();
    std::size_t at = from;
    while (at < text.size()) {
        const char* hit = static_cast<const char*>(std::memchr(base + at, first, text.size() - at));
        if (upper != first) {
            const std::size_t limit = hit ? static_cast<std::size_t>(hit - base) : text.size();
            const void* hitUpper = std::memchr(base + at, upper, limit - at);
            if (hitUpper != nullptr) hit = static_cast<const char*>(hitUpper);
        }
        if (hit == nullptr) return std::string_view::npos;
        const std::size_t candidate = static_cast<std::size_t>(hit - base);
        // An ASCII needle can only match ASCII bytes, so a byte-wise comparison is exact.
        const bool matches = asciiNeedle
                                 ? EqualsNoCase(text.substr(candidate, needle.size()), needle)
                                 : MatchesAt(text, candidate, needle, true);
        if (matches) return candidate;
        at = candidate + 1;
    }
    return std::string_view::npos;
}

std::string CutToken(std::string_view delimiter, std::string& source) {
    if (source.empty()) return {};
    const std::size_t at = FindNoCase(source, delimiter);
    if (at == std::string_view::npos) {
        std::string head = std::move(source);
        source.clear();
        return head;
    }
    std::string head = source.substr(0, at);
    source.erase(0, at + delimiter.size());
    return head;
}

bool ReplaceChar(std::string_view pattern, std::string_view replacement, std::string& text) {
    if (pattern.empty()) return false;
    std::string result;
    bool replaced = false;
    std::size_t at = 0;
    while (at < text.size()) {
        if (MatchesAt(text, at, pattern, false)) {
            result += replacement;
            at += pattern.size();
            replaced = true;
        } else {
            const int size = CharSize(text, at);
            result.append(text, at, size);
            at += size;
        }
    }
    if (replaced) text = std::move(result);
    return replaced;
}

std::string_view TrimBlanksView(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
    return text.substr(begin, end - begin);
}

std::string TrimBlanks(std::string_view text) { return std::string(TrimBlanksView(text)); }

int SplitWords(std::string_view text, std::vector<std::string>& words, int capacity) {
    words.clear();
    if (capacity <= 0) return 0;
    std::string rest = LowerAscii(TrimBlanks(text));
    while (static_cast<int>(words.size()) < capacity) {
        if (rest.find(' ') == std::string::npos) {
            words.push_back(rest);
            break;
        }
        words.push_back(CutToken(" ", rest));
    }
    return static_cast<int>(words.size());
}

bool HasHighBytes(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int size;
        char32_t value;
        if (c >= 0xC2 && c <= 0xDF) {
            size = 2;
            value = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            size = 3;
            value = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            size = 4;
            value = c & 0x07;
        } else {
            return false;
        }
        if (i + size > n) return false;
        for (int k = 1; k < size; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if (!IsContinuationByte(next)) return false;
            value = (value << 6) | (next & 0x3F);
        }
        if ((size == 3 && value < 0x800) || (size == 4 && value < 0x10000) || value > 0x10FFFF ||
            (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += size;
    }
    return true;
}

bool AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return true;
}

namespace {

// The code point of one UTF-8 character, or U+FFFD for what is none (a kept byte).
char32_t CodePointOf(std::string_view character) {
    if (!IsValidUtf8(character)) return 0xFFFD;
    const auto byte = [&character](std::size_t k) {
        return static_cast<char32_t>(static_cast<unsigned char>(character[k]));
    };
    switch (character.size()) {
        case 1:
            return byte(0);
        case 2:
            return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
        case 3:
            return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        default:
            return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 |
                   (byte(3) & 0x3F);
    }
}

// A UTF-16 unit that is half of no pair (a lone surrogate) is no character, but a file may hold
// one: it is kept as the three bytes its code point would take in UTF-8 (ED A0..BF xx), which
// no valid UTF-8 holds, so that the text's decoder keeps them as bytes that did not decode (the
// read says so, and no two texts that differ there are taken for one) and a write in UTF-16
// gives the unit back.
void AppendLoneSurrogate(std::string& text, char32_t unit) {
    text += static_cast<char>(0xE0 | (unit >> 12));
    text += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (unit & 0x3F));
}
char32_t LoneSurrogateAt(std::string_view text, std::size_t at) {
    if (at + 2 >= text.size() || static_cast<unsigned char>(text[at]) != 0xED) return 0;
    const auto second = static_cast<unsigned char>(text[at + 1]);
    const auto third = static_cast<unsigned char>(text[at + 2]);
    if (second < 0xA0 || second > 0xBF || (third & 0xC0) != 0x80) return 0;
    return 0xD000 | static_cast<char32_t>((second & 0x3F) << 6) | (third & 0x3F);
}

void AppendUtf16Unit(char32_t unit, bool bigEndian, std::string& out) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

}  // namespace

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string text;
    const std::size_t low = bigEndian ? 1 : 0;
    const auto unitAt = [&bytes, low](std::size_t at) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[at + low]) |
                                     static_cast<unsigned char>(bytes[at + 1 - low]) << 8);
    };
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        char32_t unit = unitAt(at);
        if (unit >= 0xD800 && unit < 0xDC00 && at + 3 < bytes.size() && unitAt(at + 2) >= 0xDC00 &&
            unitAt(at + 2) < 0xE000) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00);
            at += 2;
        }
        if (unit >= 0xD800 && unit < 0xE000) {
            AppendLoneSurrogate(text, unit);
        } else if (!AppendUtf8(text, unit)) {
            AppendUtf8(text, 0xFFFD);
        }
    }
    if (at < bytes.size()) AppendUtf8(text, 0xFFFD);
    return text;
}

void AppendUtf16(std::string_view utf8, bool bigEndian, std::string& out) {
    std::size_t at = 0;
    while (at < utf8.size()) {
        if (const char32_t unit = LoneSurrogateAt(utf8, at)) {
            AppendUtf16Unit(unit, bigEndian, out);
            at += 3;
            continue;
        }
        const std::size_t start = at;
        NextChar(utf8, at);
        const char32_t codePoint = CodePointOf(utf8.substr(start, at - start));
        if (codePoint >= 0x10000) {
            AppendUtf16Unit(0xD800 + ((codePoint - 0x10000) >> 10), bigEndian, out);
            AppendUtf16Unit(0xDC00 + ((codePoint - 0x10000) & 0x3FF), bigEndian, out);
        } else {
            AppendUtf16Unit(codePoint, bigEndian, out);
        }
    }
}

}  // namespace pernard
