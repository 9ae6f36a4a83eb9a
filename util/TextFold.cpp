#include "util/TextFold.h"

#include <utf8proc.h>

#include <vector>

namespace pernard {

namespace {

// Characters that compatibility normalization and case folding leave as they are, whatever
// stands around them: hiragana, katakana (without the half-width forms and the combining
// sound marks), the long vowel mark and the unified CJK ideographs.
bool IsStableUnderFolding(char32_t c) {
    return (c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC ||
           (c >= 0x4E00 && c <= 0x9FFF);
}

// Whether every character is ASCII or stable under folding: then only the ASCII letters
// change. Three-byte sequences are all the stable characters need.
bool FoldsByAsciiAlone(std::string_view text) {
    for (std::size_t k = 0; k < text.size();) {
        const auto lead = static_cast<unsigned char>(text[k]);
        if (lead < 0x80) {
            ++k;
            continue;
        }
        if ((lead & 0xF0) != 0xE0 || k + 2 >= text.size()) return false;
        const auto second = static_cast<unsigned char>(text[k + 1]);
        const auto third = static_cast<unsigned char>(text[k + 2]);
        if ((second & 0xC0) != 0x80 || (third & 0xC0) != 0x80) return false;
        const char32_t c = (static_cast<char32_t>(lead & 0x0F) << 12) |
                           (static_cast<char32_t>(second & 0x3F) << 6) | (third & 0x3F);
        if (!IsStableUnderFolding(c)) return false;
        k += 3;
    }
    return true;
}

}  // namespace

void LowerAsciiInto(std::string_view text, std::string& out) {
    out.resize(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        out[k] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
    }
}

void FoldCaseAndWidth(std::string_view text, std::string& out) {
    // ASCII text is its own normal form but for the letter case; so is text of kana and
    // ideographs besides it: the common cases, made cheap.
    if (FoldsByAsciiAlone(text)) {
        LowerAsciiInto(text, out);
        return;
    }
    constexpr auto kOptions = static_cast<utf8proc_option_t>(
        UTF8PROC_STABLE | UTF8PROC_COMPAT | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD | UTF8PROC_IGNORE);
    // One buffer per thread, grown as needed: no allocation per text.
    thread_local std::vector<utf8proc_int32_t> codePoints(256);
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    const auto length = static_cast<utf8proc_ssize_t>(text.size());
    utf8proc_ssize_t count =
        utf8proc_decompose(bytes, length, codePoints.data(),
                           static_cast<utf8proc_ssize_t>(codePoints.size()), kOptions);
    if (count > static_cast<utf8proc_ssize_t>(codePoints.size())) {
        codePoints.resize(static_cast<std::size_t>(count));
        count = utf8proc_decompose(bytes, length, codePoints.data(), count, kOptions);
    }
    if (count >= 0) count = utf8proc_normalize_utf32(codePoints.data(), count, kOptions);
    if (count < 0) {
        LowerAsciiInto(text, out);
        return;
    }
    out.clear();
    utf8proc_uint8_t encoded[4];
    for (utf8proc_ssize_t k = 0; k < count; ++k) {
        const utf8proc_ssize_t size =
            utf8proc_encode_char(codePoints[static_cast<std::size_t>(k)], encoded);
        out.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(size));
    }
}

std::string FileNameCaseKey(std::string_view name) {
    std::string key;
    key.reserve(name.size());
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(name.data());
    for (std::size_t at = 0; at < name.size();) {
        utf8proc_int32_t codePoint = 0;
        const utf8proc_ssize_t size = utf8proc_iterate(
            bytes + at, static_cast<utf8proc_ssize_t>(name.size() - at), &codePoint);
        if (size <= 0) {
            key += name[at++];
            continue;
        }
        utf8proc_uint8_t upper[4];
        const utf8proc_ssize_t written = utf8proc_encode_char(utf8proc_toupper(codePoint), upper);
        key.append(reinterpret_cast<const char*>(upper), static_cast<std::size_t>(written));
        at += static_cast<std::size_t>(size);
    }
    return key;
}

}  // namespace pernard
