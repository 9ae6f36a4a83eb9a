#pragma once
// What the decoder and the encoder of util/CodePage share: the platform's converter run over a
// whole text or a long run, and the steps over UTF-8 they both take.

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "util/CharsetNames.h"
#include "util/CodePageConverter.h"
#include "util/Text.h"

namespace pernard {

inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

inline bool IsUtf8Name(const std::string& charset) { return charset == kUtf8; }

// Converts a whole short text; false when any of it does not convert.
inline bool ConvertWhole(void* handle, std::string_view text, std::string& out) {
    RunConverter(handle, nullptr, nullptr, nullptr, nullptr);
    out.assign(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* dest = out.data();
    std::size_t destLeft = out.size();
    const bool ok =
        RunConverter(handle, &in, &inLeft, &dest, &destLeft) != static_cast<std::size_t>(-1) &&
        inLeft == 0 &&
        RunConverter(handle, nullptr, nullptr, &dest, &destLeft) != static_cast<std::size_t>(-1);
    out.resize(static_cast<std::size_t>(dest - out.data()));
    return ok;
}

// Runs the converter over the whole of `input`, appending what it makes to `out`. The room it
// converts into grows by `roomPerByte` bytes for each byte of input left (and 16 more) whenever
// the converter runs out of it. Where the converter stops on input it cannot convert,
// `standIn(rest, replacement)` puts what stands for it into `replacement` and returns how many
// bytes of `rest` that was; the converter then starts afresh after them.
template <typename StandIn>
void ConvertGrowing(void* handle, std::string_view input, std::size_t roomPerByte, std::string& out,
                    StandIn&& standIn) {
    RunConverter(handle, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    const std::size_t start = out.size();
    out.resize(start + inLeft * roomPerByte + 16);
    char* dest = out.data() + start;
    std::size_t destLeft = out.size() - start;
    const auto grow = [&](std::size_t extra) {
        const std::size_t used = static_cast<std::size_t>(dest - out.data());
        out.resize(out.size() + extra);
        dest = out.data() + used;
        destLeft = out.size() - used;
    };
    std::string replacement;
    while (inLeft > 0) {
        const std::size_t result = RunConverter(handle, &in, &inLeft, &dest, &destLeft);
        if (result != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            grow(inLeft * roomPerByte + 16);
            continue;
        }
        // EILSEQ or EINVAL: the caller says what stands for the input the converter stopped on.
        replacement.clear();
        const std::size_t taken = standIn(std::string_view(in, inLeft), replacement);
        if (destLeft < replacement.size()) grow(replacement.size() + 16);
        dest += replacement.copy(dest, replacement.size());
        destLeft -= replacement.size();
        in += taken;
        inLeft -= taken;
        RunConverter(handle, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<std::size_t>(dest - out.data()));
}

// The code point of the UTF-8 character at `at` and its size in bytes (1 with U+FFFD for a
// malformed byte).
inline int CodePointAt(std::string_view utf8, std::size_t at, char32_t& codePoint) {
    const int size = CharSize(utf8, at);
    codePoint = 0xFFFD;
    if (size > 1) {
        codePoint = static_cast<unsigned char>(utf8[at]) & (0xFF >> (size + 1));
        for (int k = 1; k < size; ++k) {
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[at + k]) & 0x3F);
        }
    } else if (size == 1) {
        codePoint = static_cast<unsigned char>(utf8[at]);
    }
    return size;
}

// Length of the leading run of ASCII bytes, looked at eight bytes at a time.
inline std::size_t AsciiPrefixLength(std::string_view bytes) {
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        if (word & 0x8080808080808080ULL) break;
        at += 8;
    }
    while (at < bytes.size() && static_cast<unsigned char>(bytes[at]) < 0x80) ++at;
    return at;
}

// The character two kept bytes of a CP932 text stand for.
inline bool KeptCp932Character(unsigned char lead, unsigned char trail, std::string& out) {
    void* handle = OpenConverter("UTF-8", kCp932);
    if (handle == nullptr) return false;
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    std::string character;
    const bool ok = ConvertWhole(handle, std::string_view(bytes, 2), character);
    CloseConverter(handle);
    if (ok) out += character;
    return ok;
}

}  // namespace pernard
