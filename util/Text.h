#pragma once
// Character-wise text helpers. Every text inside the program is UTF-8; a "character" is one
// UTF-8 sequence (a malformed byte counts as a one-byte character). Positions are 1-based and
// 0 means "not found". A delimiter only ever matches at a character boundary, so a byte inside
// a multi-byte character never matches a one-byte delimiter.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pernard {

// Size in bytes of the character starting at `position`, or 0 at the end of the text.
int CharSize(std::string_view text, std::size_t position);
// A byte that continues a UTF-8 sequence (10xxxxxx), never starts a character.
inline bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Advances `position` past one character and returns its size in bytes; 0 at the end.
int NextChar(std::string_view text, std::size_t& position);

// Number of characters in `text`.
int MbLength(std::string_view text);

// 1-based character position of the first `needle` in `text`; 0 when absent or either is empty.
int MbPos(std::string_view needle, std::string_view text);

// Up to `count` characters of `text` from character `start` (1-based; 0 is taken as 1).
std::string MbCopy(std::string_view text, int start, int count);

// Lowers the ASCII letters A-Z and leaves every other byte alone.
std::string LowerAscii(std::string_view text);

// Byte offset of the first `needle` in `text` at or after `from`, ignoring the letter case of
// ASCII letters and matching only at character boundaries; npos when absent.
std::size_t FindNoCase(std::string_view text, std::string_view needle, std::size_t from = 0);

// Whether two texts are equal when ASCII letter case is ignored.
// Inline: the readers compare every attribute name with it.
inline bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const auto x = static_cast<unsigned char>(a[k]);
        const auto y = static_cast<unsigned char>(b[k]);
        if (x != y && ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z')) {
            return false;
        }
    }
    return true;
}

// Returns the part of `source` before the first `delimiter` (ASCII letter case ignored) and
// leaves the part after it in `source`. Without a delimiter the whole source is returned and
// `source` becomes empty.
std::string CutToken(std::string_view delimiter, std::string& source);

// Replaces every occurrence of the one-character `pattern` by `replacement`; true if any was.
bool ReplaceChar(std::string_view pattern, std::string_view replacement, std::string& text);

// Removes bytes up to 0x20 (blanks and control characters) from both ends.
std::string TrimBlanks(std::string_view text);
// The same, as a view into `text`.
std::string_view TrimBlanksView(std::string_view text);

// Where a text's lines end: at LF only (a description as an entry holds it, its lines joined by
// "\n"), or at CR LF, LF and CR alike (text typed in, or read from elsewhere).
enum class LineEnds { LfOnly, Any };

// Calls `eachLine` with each line of `text` in order, without its line end. A text with n line
// ends has n + 1 lines: an empty text is one empty line, and a text that ends with a line end
// ends with an empty line.
template <typename EachLine>
void ForEachLine(std::string_view text, LineEnds ends, EachLine&& eachLine) {
    std::size_t at = 0;
    while (true) {
        const std::size_t end =
            ends == LineEnds::LfOnly ? text.find('\n', at) : text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) {
            eachLine(text.substr(at));
            return;
        }
        eachLine(text.substr(at, end - at));
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}

// Splits a search text at single half-width spaces after trimming and lowering it. Stores at
// most `capacity` words (the rest of the text is ignored) and returns how many were stored.
int SplitWords(std::string_view text, std::vector<std::string>& words, int capacity);

// Whether `bytes` holds a byte beyond ASCII.
bool HasHighBytes(std::string_view bytes);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Appends the UTF-8 form of a code point; false (nothing appended) for an invalid one.
bool AppendUtf8(std::string& out, char32_t codePoint);

// UTF-16 bytes, little-endian or big-endian, as UTF-8 text: a lone surrogate becomes the three
// bytes its code point would take in UTF-8 (no valid UTF-8: a decoder of the text keeps them
// as bytes that did not decode), an odd last byte U+FFFD.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian);
// UTF-8 text appended to `out` as UTF-16 in the byte order asked for: those three bytes as the
// lone surrogate again; what else is not a character (a malformed or kept byte) U+FFFD.
void AppendUtf16(std::string_view utf8, bool bigEndian, std::string& out);

}  // namespace pernard
