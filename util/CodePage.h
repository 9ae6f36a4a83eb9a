#pragma once
// Conversion between UTF-8 (the program's inside) and the code pages of files, at the edge.
// Built on the C library's iconv.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace pernard {

// Name of the code page Windows uses for Japanese (Shift_JIS with its Windows extensions).
inline constexpr const char* kCp932 = "CP932";
inline constexpr const char* kUtf8 = "UTF-8";

// The converter's name for a charset label found in a file ("shift_jis", "x-mac-roman",
// "utf8", ...), or an empty text when the converter does not know it.
std::string CanonicalCharset(std::string_view label);

// Decodes text of one code page into UTF-8. A byte sequence that does not decode becomes
// U+FFFD and is counted; decoding then goes on with the next byte.
class TextDecoder {
public:
    // `charset` must be a name the converter knows (see CanonicalCharset).
    explicit TextDecoder(const std::string& charset);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;


    // Appends the UTF-8 form of `bytes` to `out`.
    void Decode(std::string_view bytes, std::string& out);

    // Number of byte sequences replaced by U+FFFD so far.
    std::size_t Replacements() const { return replacements_; }

private:
    bool passThrough_ = false;  // UTF-8 input: only checked, never converted
    void* handle_ = nullptr;
    std::size_t replacements_ = 0;
};

// Encodes UTF-8 text into a code page. A character the code page cannot hold is handed to
// `fallback`, which appends what stands for it (in the target code page's bytes) to `out`.
class TextEncoder {
public:
    using Fallback = void (*)(char32_t codePoint, std::string& out);
    TextEncoder(const std::string& charset, Fallback fallback);
    ~TextEncoder();
    TextEncoder(const TextEncoder&) = delete;
    TextEncoder& operator=(const TextEncoder&) = delete;

    void Encode(std::string_view utf8, std::string& out);

private:
    // Converts a run of non-ASCII characters.
    void EncodeRun(std::string_view utf8, std::string& out);

    bool passThrough_ = false;
    void* handle_ = nullptr;
    Fallback fallback_;
};

// One-shot conversions for short texts.
std::string DecodeText(std::string_view bytes, const std::string& charset);

}  // namespace pernard
