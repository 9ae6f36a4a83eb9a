#include "util/CodePage.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "util/CodePageConverter.h"
#include "util/Cp932Table.h"
#include "util/Text.h"

namespace pernard {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool IsUtf8Name(const std::string& charset) { return charset == kUtf8; }

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

// Converts a whole short text; false when any of it does not convert.
bool Convert(void* handle, std::string_view text, std::string& out) {
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
int CodePointAt(std::string_view utf8, std::size_t at, char32_t& codePoint) {
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

void AppendKeptByte(unsigned char byte, std::string& out, bool leadsCp932Character) {
    // U+DC00 + byte (U+DB00 + byte for the lead byte of a kept CP932 character) in UTF-8's
    // three-byte form.
    out += static_cast<char>(0xED);
    out += static_cast<char>((leadsCp932Character ? 0xAC : 0xB0) | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
}

bool KeptByteAt(std::string_view text, std::size_t at, unsigned char& byte, bool* leadsCharacter) {
    if (at + kKeptByteSize > text.size()) return false;
    const auto b0 = static_cast<unsigned char>(text[at]);
    const auto b1 = static_cast<unsigned char>(text[at + 1]);
    const auto b2 = static_cast<unsigned char>(text[at + 2]);
    const bool lead = (b1 & 0xFC) == 0xAC;
    if (b0 != 0xED || ((b1 & 0xFC) != 0xB0 && !lead) || (b2 & 0xC0) != 0x80) return false;
    byte = static_cast<unsigned char>(((b1 & 0x03) << 6) | (b2 & 0x3F));
    if (leadsCharacter != nullptr) *leadsCharacter = lead;
    return true;
}

bool HasKeptBytes(std::string_view text) {
    unsigned char byte = 0;
    for (std::size_t at = text.find('\xED'); at != std::string_view::npos;
         at = text.find('\xED', at + 1)) {
        if (KeptByteAt(text, at, byte)) return true;
    }
    return false;
}

namespace {

// A CP932 lead byte of the rows whose characters also have a second code (NEC and IBM
// extensions): such a character is kept as its two bytes when its file holds the other code.
bool IsDoubleCodedLead(unsigned char byte) {
    return byte == 0x87 || byte == 0xED || byte == 0xEE || byte >= 0xFA;
}

// The character two kept bytes of a CP932 text stand for.
bool KeptCp932Character(unsigned char lead, unsigned char trail, std::string& out) {
    void* handle = OpenConverter("UTF-8", kCp932);
    if (handle == nullptr) return false;
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    std::string character;
    const bool ok = Convert(handle, std::string_view(bytes, 2), character);
    CloseConverter(handle);
    if (ok) out += character;
    return ok;
}

}  // namespace

bool HasLostKeptBytes(std::string_view text) {
    unsigned char byte = 0;
    unsigned char trail = 0;
    for (std::size_t at = text.find('\xED'); at != std::string_view::npos;
         at = text.find('\xED', at)) {
        bool leadsCharacter = false;
        if (!KeptByteAt(text, at, byte, &leadsCharacter)) {
            ++at;
            continue;
        }
        if (!leadsCharacter || !KeptByteAt(text, at + kKeptByteSize, trail)) return true;
        at += 2 * kKeptByteSize;
    }
    return false;
}

std::string ShownText(std::string_view text) {
    if (!HasKeptBytes(text)) return std::string(text);
    std::string shown;
    shown.reserve(text.size());
    unsigned char byte = 0;
    unsigned char trail = 0;
    for (std::size_t at = 0; at < text.size();) {
        bool leadsCharacter = false;
        if (KeptByteAt(text, at, byte, &leadsCharacter)) {
            if (leadsCharacter && KeptByteAt(text, at + kKeptByteSize, trail) &&
                KeptCp932Character(byte, trail, shown)) {
                at += 2 * kKeptByteSize;
                continue;
            }
            shown += kReplacementCharacter;
            at += kKeptByteSize;
        } else {
            shown += text[at++];
        }
    }
    return shown;
}

std::string CanonicalCharset(std::string_view label) {
    const std::string name = LowerAscii(TrimBlanks(label));
    if (name.empty()) return {};
    // A label is made of ASCII letters, digits and a few marks; anything else is no label.
    for (const char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
              c == '.' || c == ':')) {
            return {};
        }
    }
    if (name == "utf-8" || name == "utf8" || name == "unicode-1-1-utf-8") return kUtf8;
    if (name == "shift_jis" || name == "shift-jis" || name == "sjis" || name == "x-sjis" ||
        name == "ms_kanji" || name == "csshiftjis" || name == "windows-31j" || name == "ms932" ||
        name == "cp932" || name == "x-ms-cp932") {
        return kCp932;
    }
    if (name == "x-mac-roman" || name == "macintosh" || name == "mac" || name == "x-mac" ||
        name == "x-mac-system") {
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
    // The reader copies ASCII bytes as they are and finds its tags by them: a charset in which
    // ASCII bytes mean something else (UTF-7, UTF-16, a stateful ISO-2022 code) is no charset
    // it can read a file in, nor write one back.
    std::string ascii = "\t\r\n\x1b(B";
    for (char c = 0x20; c < 0x7F; ++c) ascii += c;
    std::string decoded;
    const bool compatible = Convert(probe, ascii, decoded) && decoded == ascii;
    CloseConverter(probe);
    return compatible ? upper : std::string();
}

TextDecoder::TextDecoder(const std::string& charset) : charset_(charset) {
    passThrough_ = IsUtf8Name(charset);
    isCp932_ = charset == kCp932;
    if (!passThrough_) handle_ = OpenConverter("UTF-8", charset.c_str());
}

TextDecoder::~TextDecoder() {
    if (handle_ != nullptr) CloseConverter(handle_);
    if (encodeBack_ != nullptr) CloseConverter(encodeBack_);
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
                AppendKeptByte(static_cast<unsigned char>(bytes[run]), out);
                ++replacements_;
                ++run;
            }
            at = run;
        }
        return;
    }

    if (handle_ == nullptr) {
        for (const char byte : bytes) {
            if (static_cast<unsigned char>(byte) < 0x80) {
                out += byte;
            } else {
                AppendKeptByte(static_cast<unsigned char>(byte), out);
                ++replacements_;
            }
        }
        return;
    }
    // Most Japanese text decodes character by character from a table; what holds a byte that
    // is no character, or a character with a second code, takes the converter's way below.
    if (isCp932_ && DecodeCp932Plainly(bytes, out)) return;
    const std::size_t start = out.size();
    const std::size_t keptBefore = replacements_;
    DecodeRun(bytes, out);
    // A character that would be written back as other bytes (CP932 maps some characters from
    // two places) must not be taken: its bytes are kept instead.
    if (MayNotRoundTrip(bytes, replacements_ != keptBefore) &&
        !RoundTrips(std::string_view(out).substr(start), bytes)) {
        // Decoded again character by character, which counts the kept bytes anew.
        out.resize(start);
        replacements_ = keptBefore;
        DecodeEachCharacter(bytes, out);
    }
}

bool TextDecoder::MayNotRoundTrip(std::string_view bytes, bool keptSome) const {
    if (!isCp932_) return true;
    // Only characters led by these bytes are also found elsewhere in CP932.
    auto suspect = IsDoubleCodedLead;
    if (keptSome) {
        // A byte that did not decode shifts where characters start: look at every byte.
        for (const char c : bytes) {
            if (suspect(static_cast<unsigned char>(c))) return true;
        }
        return false;
    }
    // Everything decoded, so the characters start where CP932's structure says.
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        if (suspect(lead)) return true;
        if ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ++at;
    }
    return false;
}

bool TextDecoder::RoundTrips(std::string_view utf8, std::string_view bytes) {
    if (encodeBack_ == nullptr) encodeBack_ = OpenConverter(charset_.c_str(), "UTF-8");
    if (encodeBack_ == nullptr) return true;
    std::string back(bytes.size() + 16, '\0');
    RunConverter(encodeBack_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* dest = back.data();
    std::size_t destLeft = back.size();
    if (RunConverter(encodeBack_, &in, &inLeft, &dest, &destLeft) == static_cast<std::size_t>(-1)) {
        return false;
    }
    RunConverter(encodeBack_, nullptr, nullptr, &dest, &destLeft);
    return std::string_view(back.data(), static_cast<std::size_t>(dest - back.data())) == bytes;
}

void TextDecoder::DecodeEachCharacter(std::string_view bytes, std::string& out) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            out += bytes[at++];
            continue;
        }
        // The shortest run of bytes that decodes to something that encodes back to it. A
        // character that decodes but would be written back as other bytes keeps all its bytes
        // together, so that its trail byte is never read as the start of the next character.
        std::size_t taken = 0;
        std::size_t decodedLength = 0;
        for (std::size_t length = 1; length <= 4 && at + length <= bytes.size(); ++length) {
            std::string character;
            if (!DecodeWhole(bytes.substr(at, length), character)) continue;
            if (RoundTrips(character, bytes.substr(at, length))) {
                out += character;
                taken = length;
                break;
            }
            if (decodedLength == 0) decodedLength = length;
        }
        if (taken == 0) {
            taken = decodedLength == 0 ? 1 : decodedLength;
            // Only bytes that did not decode are counted: a kept character is shown as itself.
            const bool keptCharacter = isCp932_ && taken == 2;
            for (std::size_t k = 0; k < taken; ++k) {
                AppendKeptByte(static_cast<unsigned char>(bytes[at + k]), out,
                               keptCharacter && k == 0);
            }
            if (!keptCharacter) ++replacements_;
        }
        at += taken;
    }
}

bool TextDecoder::DecodeCp932Plainly(std::string_view bytes, std::string& out) const {
    const Cp932Table& table = Cp932Table::Get();
    const std::size_t start = out.size();
    // A byte gives at most three bytes of UTF-8 (a half-width katakana); the table's entries
    // are copied four bytes at a time, so one more byte of room.
    out.resize(start + bytes.size() * 3 + 1);
    char* dest = out.data() + start;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = in + bytes.size();
    while (in < end) {
        const unsigned char lead = *in;
        if (lead < 0x80) {
            *dest++ = static_cast<char>(lead);
            ++in;
            continue;
        }
        std::size_t size = 0;
        std::size_t length = 1;
        if (!IsDoubleCodedLead(lead)) {
            if ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) {
                length = 2;
                if (in + 1 < end) size = table.CopyDouble(lead, in[1], dest);
            } else {
                size = table.CopySingle(lead, dest);
            }
        }
        if (size == 0) {
            out.resize(start);
            return false;
        }
        dest += size;
        in += length;
    }
    out.resize(static_cast<std::size_t>(dest - out.data()));
    return true;
}

bool TextDecoder::DecodeWhole(std::string_view bytes, std::string& out) {
    out.assign(bytes.size() * 4 + 16, '\0');
    RunConverter(handle_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* dest = out.data();
    std::size_t destLeft = out.size();
    const bool ok =
        RunConverter(handle_, &in, &inLeft, &dest, &destLeft) != static_cast<std::size_t>(-1);
    out.resize(static_cast<std::size_t>(dest - out.data()));
    return ok && inLeft == 0 && !out.empty();
}

void TextDecoder::DecodeRun(std::string_view bytes, std::string& out) {
    // A byte that does not decode is kept, and the converter goes on after it.
    ConvertGrowing(handle_, bytes, 4, out, [this](std::string_view rest, std::string& kept) {
        AppendKeptByte(static_cast<unsigned char>(rest[0]), kept);
        ++replacements_;
        return std::size_t{1};
    });
}

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
    bool good = AppendUtf8(character, codePoint) && Convert(handle_, character, bytes);
    if (good) {
        if (decodeBack_ == nullptr) decodeBack_ = OpenConverter("UTF-8", charset_.c_str());
        good = decodeBack_ != nullptr && Convert(decodeBack_, bytes, back) && back == character;
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

std::string DecodeText(std::string_view bytes, const std::string& charset) {
    TextDecoder decoder(charset);
    std::string out;
    decoder.Decode(bytes, out);
    return out;
}

}  // namespace pernard
