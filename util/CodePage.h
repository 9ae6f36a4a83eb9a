#pragma once
// Conversion between UTF-8 (the program's inside) and the code pages of files, at the edge.
// Built on the platform's converter (util/CodePageConverter.h): iconv, or Windows' code pages.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/CharsetNames.h"

namespace pernard {

// A bookmark file that starts with a UTF-16 byte order mark is read, and written back, in it.
inline constexpr const char* kUtf16Le = "UTF-16LE";
inline constexpr const char* kUtf16Be = "UTF-16BE";
inline bool IsUtf16Charset(std::string_view charset) {
    return charset == kUtf16Le || charset == kUtf16Be;
}

// The converter's name for a charset label found in a file ("shift_jis", "x-mac-roman",
// "utf8", ...), or an empty text when the converter does not know it.
std::string CanonicalCharset(std::string_view label);

// A byte that does not decode is kept inside the UTF-8 text as the code point U+DC00 + byte,
// written as the three bytes ED B0..B3 xx. Those are lone surrogates, never valid UTF-8, so no
// real text ever looks like a kept byte. Written back in the encoding it was read in, a kept
// byte becomes that byte again; anywhere else (shown, or written in another encoding) it stands
// for U+FFFD.
// A CP932 character whose bytes decode but would be written back as other bytes (CP932 has
// two codes for some characters) is kept as its two bytes, the first marked as U+DB00 + byte:
// it is shown as the character and written back as the same bytes.
inline constexpr std::size_t kKeptByteSize = 3;
void AppendKeptByte(unsigned char byte, std::string& out, bool leadsCp932Character = false);
// True when a kept byte starts at `at`; `byte` is then the byte it keeps and
// `leadsCharacter`, when given, whether it leads a kept CP932 character.
bool KeptByteAt(std::string_view text, std::size_t at, unsigned char& byte,
                bool* leadsCharacter = nullptr);
bool HasKeptBytes(std::string_view text);
// Whether the text holds kept bytes that are no kept CP932 character: what writing it in
// another encoding turns into U+FFFD.
bool HasLostKeptBytes(std::string_view text);
// The text with every kept byte replaced by U+FFFD: what is shown.
std::string ShownText(std::string_view text);

// Decodes text of one code page into UTF-8. A byte that does not decode is kept (above) and
// counted; decoding then goes on with the next byte.
class TextDecoder {
public:
    // `charset` must be a name the converter knows (see CanonicalCharset).
    explicit TextDecoder(const std::string& charset);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // Appends the UTF-8 form of `bytes` to `out`.
    void Decode(std::string_view bytes, std::string& out);

    // Number of bytes that did not decode so far.
    std::size_t Replacements() const { return replacements_; }

private:
    // A CP932 run of characters that each decode alone and have one code only, decoded from
    // the table; false, with `out` as it was, for any other run.
    bool DecodeCp932Plainly(std::string_view bytes, std::string& out) const;
    // Decodes with the converter, keeping each byte it refuses.
    void DecodeRun(std::string_view bytes, std::string& out);
    // Character by character: each must encode back to its own bytes, or they are kept.
    void DecodeEachCharacter(std::string_view bytes, std::string& out);
    bool DecodeWhole(std::string_view bytes, std::string& out);
    bool MayNotRoundTrip(std::string_view bytes, bool keptSome) const;
    bool RoundTrips(std::string_view utf8, std::string_view bytes);

    std::string charset_;
    bool passThrough_ = false;  // UTF-8 input: only checked, never converted
    bool isCp932_ = false;
    void* handle_ = nullptr;
    void* encodeBack_ = nullptr;  // opened when first needed
    std::size_t replacements_ = 0;
};

// Encodes UTF-8 text into a code page. A character the code page cannot hold is handed to
// `fallback`, which appends what stands for it (in the target code page's bytes) to `out`.
// Kept bytes are written back as themselves when `keptBytesBelong` (the text was read in this
// code page), else as U+FFFD (through the fallback when the code page cannot hold it).
class TextEncoder {
public:
    using Fallback = void (*)(char32_t codePoint, std::string& out);
    TextEncoder(const std::string& charset, Fallback fallback, bool keptBytesBelong = false);
    ~TextEncoder();
    TextEncoder(const TextEncoder&) = delete;
    TextEncoder& operator=(const TextEncoder&) = delete;

    void Encode(std::string_view utf8, std::string& out);

private:
    // Converts a run of non-ASCII characters; one whose bytes would decode to another
    // character goes to the fallback.
    void EncodeRun(std::string_view utf8, std::string& out);
    void ConvertRun(std::string_view utf8, std::string& out);
    bool RunEncodesBack(std::string_view utf8);
    bool EncodesBack(char32_t codePoint);
    // A run of well-formed BMP characters, each as its own bytes kept from its first encoding:
    // for a code page whose bytes for a character do not depend on what came before it. False,
    // with nothing appended, for a run that needs the general way.
    bool EncodeCharacters(std::string_view utf8, std::string& out);

    // UTF-8 out: copied, but for the kept bytes.
    void EncodeUtf8(std::string_view utf8, std::string& out) const;
    void KeptByte(unsigned char byte, std::string& out) const;

    static constexpr char32_t kCachedCodePoints = 0x10000;
    enum : unsigned char { kUnknown, kGood, kBad };
    // What is known of a BMP code point, learnt when it is first met: whether it encodes back,
    // and then its bytes (size 0: not kept).
    struct CachedCharacter {
        unsigned char state = kUnknown;
        unsigned char size = 0;
        char bytes[4] = {};
    };
    std::string charset_;
    bool passThrough_ = false;
    bool characterWise_ = false;
    void* handle_ = nullptr;
    void* decodeBack_ = nullptr;               // opened when first needed
    std::vector<CachedCharacter> characters_;  // per BMP code point, filled as they are met
    Fallback fallback_;
    bool keptBytesBelong_ = false;
};

// One-shot conversions for short texts.
std::string DecodeText(std::string_view bytes, const std::string& charset);

}  // namespace pernard
