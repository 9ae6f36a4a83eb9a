#include "util/CodePage.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "util/CodePageConverter.h"
#include "util/CodePageRuns.h"
#include "util/Cp932Table.h"
#include "util/Text.h"

namespace pernard {

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
    const bool compatible = ConvertWhole(probe, ascii, decoded) && decoded == ascii;
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

std::string DecodeText(std::string_view bytes, const std::string& charset) {
    TextDecoder decoder(charset);
    std::string out;
    decoder.Decode(bytes, out);
    return out;
}

}  // namespace pernard
