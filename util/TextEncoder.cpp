#include "util/CodePage.h"

#include <cstring>

#include "util/CodePageConverter.h"
#include "util/CodePageRuns.h"

namespace pernard {

namespace {

// Whether a charset's bytes for a character are the same wherever the character stands: no
// shift states (as ISO-2022-JP has) and no byte order mark (as "UTF-16" writes).
bool IsStatelessCharset(const std::string& charset) {
    static constexpr std::string_view kStateless[] = {
        "CP932",  "SHIFT_JIS", "EUC-JP", "UTF-16LE", "UTF-16BE", "CP1250", "CP1251", "CP1252",
        "CP1253", "CP1254",    "CP1255", "CP1256",   "CP1257",   "CP1258", "GBK",    "GB18030",
        "BIG5",   "EUC-KR",    "CP936",  "CP949",    "CP950",    "KOI8-R", "KOI8-U", "MACINTOSH"};
    for (std::string_view name : kStateless) {
        if (EqualsNoCase(charset, name)) return true;
    }
    constexpr std::string_view kLatin = "ISO-8859-";
    return charset.size() > kLatin.size() &&
           EqualsNoCase(std::string_view(charset).substr(0, kLatin.size()), kLatin);
}

}  // namespace

TextEncoder::TextEncoder(const std::string& charset, Fallback fallback, bool keptBytesBelong)
    : charset_(charset), fallback_(fallback), keptBytesBelong_(keptBytesBelong) {
    passThrough_ = IsUtf8Name(charset);
    if (!passThrough_) handle_ = OpenConverter(charset.c_str(), "UTF-8");
    characterWise_ = handle_ != nullptr && IsStatelessCharset(charset);
}

TextEncoder::~TextEncoder() {
    if (handle_ != nullptr) CloseConverter(handle_);
    if (decodeBack_ != nullptr) CloseConverter(decodeBack_);
}

void TextEncoder::KeptByte(unsigned char byte, std::string& out) const {
    if (keptBytesBelong_) {
        out += static_cast<char>(byte);
    } else if (passThrough_ || handle_ == nullptr) {
        out += kReplacementCharacter;
    } else if (fallback_ != nullptr) {
        fallback_(0xFFFD, out);
    }
}

void TextEncoder::EncodeUtf8(std::string_view utf8, std::string& out) const {
    unsigned char byte = 0;
    unsigned char trail = 0;
    std::size_t copied = 0;
    for (std::size_t at = utf8.find('\xED'); at != std::string_view::npos;
         at = utf8.find('\xED', at)) {
        bool leadsCharacter = false;
        if (!KeptByteAt(utf8, at, byte, &leadsCharacter)) {
            ++at;
            continue;
        }
        out.append(utf8.data() + copied, at - copied);
        // A kept CP932 character goes into UTF-8 as the character it is.
        if (!keptBytesBelong_ && leadsCharacter && KeptByteAt(utf8, at + kKeptByteSize, trail) &&
            KeptCp932Character(byte, trail, out)) {
            at += 2 * kKeptByteSize;
        } else {
            KeptByte(byte, out);
            at += kKeptByteSize;
        }
        copied = at;
    }
    out.append(utf8.data() + copied, utf8.size() - copied);
}

void TextEncoder::Encode(std::string_view utf8, std::string& out) {
    if (passThrough_ || handle_ == nullptr) {
        EncodeUtf8(utf8, out);
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

bool TextEncoder::EncodesBack(char32_t codePoint) {
    const bool cached = codePoint < kCachedCodePoints;
    if (cached && characters_.empty()) characters_.resize(kCachedCodePoints);
    if (cached && characters_[codePoint].state != kUnknown) {
        return characters_[codePoint].state == kGood;
    }
    std::string character;
    std::string bytes;
    std::string back;
    bool good = AppendUtf8(character, codePoint) && ConvertWhole(handle_, character, bytes);
    if (good) {
        if (decodeBack_ == nullptr) decodeBack_ = OpenConverter("UTF-8", charset_.c_str());
        good =
            decodeBack_ != nullptr && ConvertWhole(decodeBack_, bytes, back) && back == character;
    }
    if (cached) {
        CachedCharacter& kept = characters_[codePoint];
        kept.state = good ? kGood : kBad;
        if (good && bytes.size() <= sizeof kept.bytes) {
            kept.size = static_cast<unsigned char>(bytes.size());
            std::memcpy(kept.bytes, bytes.data(), bytes.size());
        }
    }
    return good;
}

namespace {

// The code point of the well-formed two- or three-byte UTF-8 character at `at` (no surrogate,
// no longer form than needed) and its size; 0 for anything else.
int BmpCharacterAt(std::string_view utf8, std::size_t at, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const auto next = [&](std::size_t k) {
        return at + k < utf8.size() ? static_cast<unsigned char>(utf8[at + k]) : 0;
    };
    if (lead >= 0xC2 && lead <= 0xDF && (next(1) & 0xC0) == 0x80) {
        codePoint = (char32_t{lead} & 0x1F) << 6 | (next(1) & 0x3F);
        return 2;
    }
    if ((lead & 0xF0) == 0xE0 && (next(1) & 0xC0) == 0x80 && (next(2) & 0xC0) == 0x80) {
        codePoint =
            (char32_t{lead} & 0x0F) << 12 | char32_t{next(1) & 0x3Fu} << 6 | (next(2) & 0x3F);
        return codePoint >= 0x800 && (codePoint < 0xD800 || codePoint > 0xDFFF) ? 3 : 0;
    }
    return 0;
}

}  // namespace

bool TextEncoder::EncodeCharacters(std::string_view utf8, std::string& out) {
    if (characters_.empty()) characters_.resize(kCachedCodePoints);
    const std::size_t start = out.size();
    out.reserve(start + utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t codePoint = 0;
        const int size = BmpCharacterAt(utf8, at, codePoint);
        if (size == 0) {
            // A malformed byte, a kept byte, a character beyond the BMP: the run goes the
            // general way.
            out.resize(start);
            return false;
        }
        if (characters_[codePoint].state == kUnknown) EncodesBack(codePoint);
        const CachedCharacter& character = characters_[codePoint];
        if (character.state == kGood && character.size == 0) {
            out.resize(start);
            return false;
        }
        if (character.state == kGood) {
            out.append(character.bytes, character.size);
        } else if (fallback_ != nullptr) {
            fallback_(codePoint, out);
        }
        at += static_cast<std::size_t>(size);
    }
    return true;
}

bool TextEncoder::RunEncodesBack(std::string_view utf8) {
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t codePoint = 0;
        const int size = CodePointAt(utf8, at, codePoint);
        unsigned char kept = 0;
        if (size > 1 && !KeptByteAt(utf8, at, kept) && !EncodesBack(codePoint)) return false;
        at += static_cast<std::size_t>(size);
    }
    return true;
}

void TextEncoder::EncodeRun(std::string_view utf8, std::string& out) {
    if (characterWise_ && EncodeCharacters(utf8, out)) return;
    const std::size_t start = out.size();
    ConvertRun(utf8, out);
    // Some characters are converted one way only (〜 becomes ～ in CP932): those go through
    // the fallback like any character the code page cannot hold.
    if (RunEncodesBack(utf8)) return;
    out.resize(start);
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t codePoint = 0;
        const std::size_t size = static_cast<std::size_t>(CodePointAt(utf8, at, codePoint));
        unsigned char kept = 0;
        if (size > 1 && !KeptByteAt(utf8, at, kept) && !EncodesBack(codePoint)) {
            if (fallback_ != nullptr) fallback_(codePoint, out);
        } else {
            ConvertRun(utf8.substr(at, size), out);
        }
        at += size;
    }
}

void TextEncoder::ConvertRun(std::string_view utf8, std::string& out) {
    // A character the code page cannot hold (or a malformed byte) goes to the fallback.
    ConvertGrowing(handle_, utf8, 2, out, [this](std::string_view rest, std::string& written) {
        unsigned char keptByte = 0;
        if (KeptByteAt(rest, 0, keptByte)) {
            KeptByte(keptByte, written);
            return kKeptByteSize;
        }
        const int size = CharSize(rest, 0);
        char32_t codePoint = 0xFFFD;
        if (size > 1) CodePointAt(rest, 0, codePoint);
        if (fallback_ != nullptr) fallback_(codePoint, written);
        return static_cast<std::size_t>(size);
    });
}

}  // namespace pernard
