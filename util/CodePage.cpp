#include "util/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "util/Text.h"

namespace pernard {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

iconv_t AsIconv(void* handle) { return static_cast<iconv_t>(handle); }

void* OpenConverter(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    return cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd;
}

bool IsUtf8Name(const std::string& charset) { return charset == kUtf8; }

// Length of the leading run of ASCII bytes, looked at eight bytes at a time.
std::size_t AsciiPrefixLength(std::string_view bytes) {
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

}  // namespace

std::string CanonicalCharset(std::string_view label) {
    const std::string name = LowerAscii(TrimBlanks(label));
    if (name.empty()) return {};
    if (name == "utf-8" || name == "utf8" || name == "unicode-1-1-utf-8") return kUtf8;
    if (name == "shift_jis" || name == "shift-jis" || name == "sjis" || name == "x-sjis" ||
        name == "ms_kanji" || name == "csshiftjis" || name == "windows-31j" || name == "ms932" ||
        name == "cp932" || name == "x-ms-cp932") {
        return kCp932;
    }
    if (name == "x-mac-roman" || name == "macintosh" || name == "mac" || name == "x-mac") {
        return "MACINTOSH";
    }
    if (name == "iso-8859-1" || name == "latin1" || name == "us-ascii" || name == "ascii") {
        // Browsers read these labels as windows-1252, which holds Latin-1 and more.
        return "WINDOWS-1252";
    }
    // Anything else: let the converter judge the label as it stands.
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    }
    void* probe = OpenConverter("UTF-8", upper.c_str());
    if (probe == nullptr) return {};
    iconv_close(AsIconv(probe));
    return upper;
}

TextDecoder::TextDecoder(const std::string& charset) {
    passThrough_ = IsUtf8Name(charset);
    if (!passThrough_) handle_ = OpenConverter("UTF-8", charset.c_str());
}

TextDecoder::~TextDecoder() {
    if (handle_ != nullptr) iconv_close(AsIconv(handle_));
}

void TextDecoder::Decode(std::string_view bytes, std::string& out) {
    // ASCII is the same in every code page read here: copy it without the converter.
    const std::size_t asciiEnd = AsciiPrefixLength(bytes);
    out.append(bytes.data(), asciiEnd);
    if (asciiEnd == bytes.size()) return;
    bytes.remove_prefix(asciiEnd);

    if (passThrough_) {
        std::size_t at = 0;
        while (at < bytes.size()) {
            // Copy the longest valid run, then replace one bad byte.
            std::size_t run = at;
            while (run < bytes.size()) {
                const int size = CharSize(bytes, run);
                if (size == 1 && static_cast<unsigned char>(bytes[run]) >= 0x80) break;
                if (size > 1 && !IsValidUtf8(bytes.substr(run, size))) break;
                run += size;
            }
            out.append(bytes.data() + at, run - at);
            if (run < bytes.size()) {
                out += kReplacementCharacter;
                ++replacements_;
                ++run;
            }
            at = run;
        }
        return;
    }

    if (handle_ == nullptr) {
        for (std::size_t k = 0; k < bytes.size(); ++k) out += kReplacementCharacter;
        replacements_ += bytes.size();
        return;
    }
    iconv(AsIconv(handle_), nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    const std::size_t start = out.size();
    out.resize(start + inLeft * 4 + 16);
    char* dest = out.data() + start;
    std::size_t destLeft = out.size() - start;
    while (inLeft > 0) {
        const std::size_t result = iconv(AsIconv(handle_), &in, &inLeft, &dest, &destLeft);
        if (result != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            const std::size_t used = static_cast<std::size_t>(dest - out.data());
            out.resize(out.size() + inLeft * 4 + 16);
            dest = out.data() + used;
            destLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: one undecodable byte becomes U+FFFD.
        if (destLeft < kReplacementCharacter.size()) {
            const std::size_t used = static_cast<std::size_t>(dest - out.data());
            out.resize(out.size() + 16);
            dest = out.data() + used;
            destLeft = out.size() - used;
        }
        for (char c : kReplacementCharacter) *dest++ = c;
        destLeft -= kReplacementCharacter.size();
        ++in;
        --inLeft;
        ++replacements_;
        iconv(AsIconv(handle_), nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<std::size_t>(dest - out.data()));
}

TextEncoder::TextEncoder(const std::string& charset, Fallback fallback)
    : fallback_(fallback) {
    passThrough_ = IsUtf8Name(charset);
    if (!passThrough_) handle_ = OpenConverter(charset.c_str(), "UTF-8");
}

TextEncoder::~TextEncoder() {
    if (handle_ != nullptr) iconv_close(AsIconv(handle_));
}

void TextEncoder::Encode(std::string_view utf8, std::string& out) {
    if (passThrough_ || handle_ == nullptr) {
        out.append(utf8);
        return;
    }
    // ASCII runs are copied as they are; only the runs between them go through the converter.
    while (!utf8.empty()) {
        const std::size_t ascii = AsciiPrefixLength(utf8);
        out.append(utf8.data(), ascii);
        utf8.remove_prefix(ascii);
        std::size_t run = 0;
        while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) >= 0x80) ++run;
        if (run == 0) break;
        EncodeRun(utf8.substr(0, run), out);
        utf8.remove_prefix(run);
    }
}

void TextEncoder::EncodeRun(std::string_view utf8, std::string& out) {
    iconv(AsIconv(handle_), nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    const std::size_t start = out.size();
    out.resize(start + inLeft * 2 + 16);
    char* dest = out.data() + start;
    std::size_t destLeft = out.size() - start;
    auto reserve = [&](std::size_t extra) {
        const std::size_t used = static_cast<std::size_t>(dest - out.data());
        out.resize(out.size() + extra);
        dest = out.data() + used;
        destLeft = out.size() - used;
    };
    while (inLeft > 0) {
        const std::size_t result = iconv(AsIconv(handle_), &in, &inLeft, &dest, &destLeft);
        if (result != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            reserve(inLeft * 2 + 16);
            continue;
        }
        // A character the code page cannot hold (or a malformed byte): hand it to the fallback.
        const std::string_view rest(in, inLeft);
        const int size = CharSize(rest, 0);
        char32_t codePoint = 0xFFFD;
        if (size > 1) {
            codePoint = static_cast<unsigned char>(rest[0]) & (0xFF >> (size + 1));
            for (int k = 1; k < size; ++k) {
                codePoint = (codePoint << 6) | (static_cast<unsigned char>(rest[k]) & 0x3F);
            }
        }
        std::string replacement;
        if (fallback_ != nullptr) fallback_(codePoint, replacement);
        if (destLeft < replacement.size()) reserve(replacement.size() + 16);
        for (char c : replacement) *dest++ = c;
        destLeft -= replacement.size();
        in += size;
        inLeft -= static_cast<std::size_t>(size);
        iconv(AsIconv(handle_), nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<std::size_t>(dest - out.data()));
}

std::string DecodeText(std::string_view bytes, const std::string& charset) {
    TextDecoder decoder(charset);
    std::string out;
    decoder.Decode(bytes, out);
    return out;
}

}  // namespace pernard
