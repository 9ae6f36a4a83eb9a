#include "formats/ChromiumChecksum.h"

#include <utf8proc.h>

namespace pernard {

ChromiumChecksum::ChromiumChecksum() { md5_init(&state_); }

void ChromiumChecksum::AddBytes(std::string_view bytes) {
    md5_update(&state_, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
}

void ChromiumChecksum::AddUtf16(std::string_view utf8) {
    std::string units;
    units.reserve(utf8.size() * 2);
    auto addUnit = [&units](unsigned unit) {
        units += static_cast<char>(unit & 0xFF);
        units += static_cast<char>(unit >> 8);
    };
    const auto* at = reinterpret_cast<const utf8proc_uint8_t*>(utf8.data());
    utf8proc_ssize_t left = static_cast<utf8proc_ssize_t>(utf8.size());
    while (left > 0) {
        utf8proc_int32_t code = 0;
        utf8proc_ssize_t length = utf8proc_iterate(at, left, &code);
        if (length <= 0) {
            // The browser reads a byte that is no UTF-8 as U+FFFD.
            code = 0xFFFD;
            length = 1;
        }
        if (code >= 0x10000) {
            addUnit(0xD800 + ((code - 0x10000) >> 10));
            addUnit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            addUnit(static_cast<unsigned>(code));
        }
        at += length;
        left -= length;
    }
    AddBytes(units);
}

void ChromiumChecksum::AddUrl(std::string_view id, std::string_view name, std::string_view url) {
    AddBytes(id);
    AddUtf16(name);
    AddBytes("url");
    AddBytes(url);
}

void ChromiumChecksum::AddFolder(std::string_view id, std::string_view name) {
    AddBytes(id);
    AddUtf16(name);
    AddBytes("folder");
}

std::string ChromiumChecksum::Hex() {
    std::uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&state_, MD5_DIGEST_SIZE, digest);
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

}  // namespace pernard
