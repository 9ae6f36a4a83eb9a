// The converter on Windows: the system's code pages, through MultiByteToWideChar and
// WideCharToMultiByte, one character at a time, so that it stops where iconv stops: on a byte
// sequence the code page does not define, on a character it cannot hold, and at the end of the
// input inside a character.

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "util/CodePageConverter.h"

namespace pernard {

namespace {

struct WindowsConverter {
    UINT codePage = 0;
    bool decodes = false;  // from the code page into UTF-8; else the other way
};

// The code page of a charset name as iconv spells it (upper case), or 0.
UINT CodePageOf(const std::string& name) {
    struct Name {
        const char* name;
        UINT codePage;
    };
    static const Name kNames[] = {
        {"UTF-8", CP_UTF8},      {"UTF8", CP_UTF8},    {"CP932", 932},       {"SHIFT_JIS", 932},
        {"SJIS", 932},           {"MS_KANJI", 932},    {"WINDOWS-31J", 932}, {"EUC-JP", 20932},
        {"EUCJP", 20932},        {"GBK", 936},         {"CP936", 936},       {"GB2312", 936},
        {"EUC-CN", 936},         {"GB18030", 54936},   {"BIG5", 950},        {"BIG-5", 950},
        {"CP950", 950},          {"EUC-KR", 949},      {"CP949", 949},       {"UHC", 949},
        {"KS_C_5601-1987", 949}, {"WINDOWS-874", 874}, {"CP874", 874},       {"MACINTOSH", 10000},
        {"MAC", 10000},          {"KOI8-R", 20866},    {"KOI8-U", 21866},    {"US-ASCII", 20127},
        {"ASCII", 20127},
    };
    for (const Name& known : kNames) {
        if (name == known.name) return known.codePage;
    }
    // WINDOWS-1250 .. WINDOWS-1258 (also CP1250 ..), ISO-8859-1 .. ISO-8859-15.
    const auto number = [&](std::size_t from) -> UINT {
        if (from >= name.size() || name.size() - from > 2) return 0;
        UINT value = 0;
        for (std::size_t at = from; at < name.size(); ++at) {
            if (name[at] < '0' || name[at] > '9') return 0;
            value = value * 10 + static_cast<UINT>(name[at] - '0');
        }
        return value;
    };
    for (const char* prefix : {"WINDOWS-125", "CP125"}) {
        const std::size_t length = std::strlen(prefix);
        if (name.compare(0, length, prefix) == 0 && name.size() == length + 1) {
            const UINT digit = number(length);
            if (digit <= 8) return 1250 + digit;
        }
    }
    if (name.compare(0, 9, "ISO-8859-") == 0) {
        const UINT part = number(9);
        if (part >= 1 && part <= 15 && part != 12) return 28590 + part;
    }
    return 0;
}

std::string Upper(const char* name) {
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
    }
    return upper;
}

// Single-byte Windows code pages leave a few bytes undefined and turn them into the C1
// control of the same value; iconv refuses them, and so does this converter.
bool LeavesC1Undefined(UINT codePage) {
    return codePage == 874 || (codePage >= 1250 && codePage <= 1258);
}

// Size in bytes of the character that starts with `lead` in the code page.
std::size_t CharacterSize(UINT codePage, const unsigned char* bytes, std::size_t left) {
    const unsigned char lead = bytes[0];
    if (lead < 0x80) return 1;
    switch (codePage) {
        case CP_UTF8:
            if (lead >= 0xC2 && lead <= 0xDF) return 2;
            if (lead >= 0xE0 && lead <= 0xEF) return 3;
            if (lead >= 0xF0 && lead <= 0xF4) return 4;
            return 1;
        case 20932:  // EUC-JP: SS2 (half-width katakana), SS3 (JIS X 0212), JIS X 0208
            if (lead == 0x8F) return 3;
            if (lead == 0x8E || (lead >= 0xA1 && lead <= 0xFE)) return 2;
            return 1;
        case 54936:  // GB18030: two bytes, or four with a digit second
            if (lead >= 0x81 && lead <= 0xFE) {
                return left >= 2 && bytes[1] >= 0x30 && bytes[1] <= 0x39 ? 4 : 2;
            }
            return 1;
        default:
            return IsDBCSLeadByteEx(codePage, lead) ? 2 : 1;
    }
}

void AppendUtf8(char32_t codePoint, char* out, std::size_t& size) {
    if (codePoint < 0x80) {
        out[size++] = static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out[size++] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[size++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out[size++] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[size++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[size++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out[size++] = static_cast<char>(0xF0 | (codePoint >> 18));
        out[size++] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out[size++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[size++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// One character of the code page into UTF-8 (at most 8 bytes); 0 when it does not decode.
std::size_t DecodeCharacter(UINT codePage, const char* bytes, std::size_t size, char* utf8) {
    wchar_t units[4];
    const int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes,
                                          static_cast<int>(size), units, 4);
    if (count <= 0) return 0;
    std::size_t written = 0;
    for (int at = 0; at < count; ++at) {
        char32_t codePoint = static_cast<char16_t>(units[at]);
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && at + 1 < count) {
            const char32_t low = static_cast<char16_t>(units[at + 1]);
            if (low < 0xDC00 || low > 0xDFFF) return 0;
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
            ++at;
        } else if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            return 0;
        }
        if (LeavesC1Undefined(codePage) && codePoint >= 0x80 && codePoint <= 0x9F) return 0;
        AppendUtf8(codePoint, utf8, written);
    }
    return written;
}

// The code point of the UTF-8 character at `bytes` and its size; 0 for a malformed character
// (an overlong form, a surrogate, past U+10FFFF), and `incomplete` when the input ends inside
// one that could still be whole.
std::size_t Utf8Character(const unsigned char* bytes, std::size_t left, char32_t& codePoint,
                          bool& incomplete) {
    incomplete = false;
    const unsigned char lead = bytes[0];
    std::size_t size = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    for (std::size_t at = 1; at < size; ++at) {
        if (at >= left) {
            incomplete = true;
            return 0;
        }
        if ((bytes[at] & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (bytes[at] & 0x3F);
    }
    const char32_t least = size == 2 ? 0x80 : size == 3 ? 0x800 : 0x10000;
    if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return size;
}

// One character into the code page (at most 8 bytes); 0 when the code page cannot hold it as
// itself (no best fit: "é" never becomes "e").
std::size_t EncodeCharacter(UINT codePage, char32_t codePoint, char* bytes) {
    wchar_t units[2];
    int count = 1;
    if (codePoint >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<wchar_t>(codePoint);
    }
    if (codePage == CP_UTF8 || codePage == 54936) {
        const int written =
            WideCharToMultiByte(codePage, 0, units, count, bytes, 8, nullptr, nullptr);
        return written > 0 ? static_cast<std::size_t>(written) : 0;
    }
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units, count, bytes, 8,
                                            nullptr, &usedDefault);
    return written > 0 && !usedDefault ? static_cast<std::size_t>(written) : 0;
}

std::size_t Fail(int error) {
    errno = error;
    return static_cast<std::size_t>(-1);
}

}  // namespace

void* OpenConverter(const char* to, const char* from) {
    const std::string target = Upper(to);
    const std::string source = Upper(from);
    auto* converter = new WindowsConverter;
    if (CodePageOf(target) == CP_UTF8) {
        converter->codePage = CodePageOf(source);
        converter->decodes = true;
    } else if (CodePageOf(source) == CP_UTF8) {
        converter->codePage = CodePageOf(target);
    }
    if (converter->codePage == 0 || !IsValidCodePage(converter->codePage)) {
        delete converter;
        return nullptr;
    }
    return converter;
}

void CloseConverter(void* handle) { delete static_cast<WindowsConverter*>(handle); }

std::size_t RunConverter(void* handle, char** in, std::size_t* inLeft, char** out,
                         std::size_t* outLeft) {
    // Every code page read here is stateless: a reset has nothing to do.
    if (in == nullptr || *in == nullptr || inLeft == nullptr) return 0;
    const auto& converter = *static_cast<const WindowsConverter*>(handle);
    char converted[16];
    while (*inLeft > 0) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(*in);
        std::size_t taken = 0;
        std::size_t size = 0;
        if (bytes[0] < 0x80) {  // the same in every code page read here
            converted[0] = static_cast<char>(bytes[0]);
            taken = size = 1;
        } else if (converter.decodes) {
            taken = CharacterSize(converter.codePage, bytes, *inLeft);
            if (taken > *inLeft) return Fail(EINVAL);
            size = DecodeCharacter(converter.codePage, *in, taken, converted);
            if (size == 0) return Fail(EILSEQ);
        } else {
            char32_t codePoint = 0;
            bool incomplete = false;
            taken = Utf8Character(bytes, *inLeft, codePoint, incomplete);
            if (incomplete) return Fail(EINVAL);
            if (taken == 0) return Fail(EILSEQ);
            size = EncodeCharacter(converter.codePage, codePoint, converted);
            if (size == 0) return Fail(EILSEQ);
        }
        if (size > *outLeft) return Fail(E2BIG);
        std::memcpy(*out, converted, size);
        *out += size;
        *outLeft -= size;
        *in += taken;
        *inLeft -= taken;
    }
    return 0;
}

}  // namespace pernard
