#include "util/Cp932Table.h"

#include <cstring>

#include "util/CharsetNames.h"
#include "util/CodePageConverter.h"

namespace pernard {

namespace {

// The character the bytes decode to, as UTF-8 of at most three bytes (CP932 holds no character
// beyond U+FFFF); false when they decode to nothing, to more than one character or only in part.
bool DecodeAlone(void* converter, const char* bytes, std::size_t length, char* out,
                 unsigned char& size) {
    RunConverter(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes);
    std::size_t inLeft = length;
    char buffer[16];
    char* dest = buffer;
    std::size_t destLeft = sizeof buffer;
    if (RunConverter(converter, &in, &inLeft, &dest, &destLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0) {
        return false;
    }
    const std::size_t written = static_cast<std::size_t>(dest - buffer);
    if (written == 0 || written > 3) return false;
    // One character: a lead byte of UTF-8 and its continuation bytes only.
    for (std::size_t k = 1; k < written; ++k) {
        if ((static_cast<unsigned char>(buffer[k]) & 0xC0) != 0x80) return false;
    }
    std::memcpy(out, buffer, written);
    size = static_cast<unsigned char>(written);
    return true;
}

}  // namespace

const Cp932Table& Cp932Table::Get() {
    static const Cp932Table table;
    return table;
}

Cp932Table::Cp932Table() {
    void* converter = OpenConverter(kUtf8, kCp932);
    if (converter == nullptr) return;  // every entry empty: callers use the converter instead
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        const char bytes[1] = {static_cast<char>(byte)};
        Character& character = characters_[byte];
        DecodeAlone(converter, bytes, 1, character.bytes, character.size);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            Character& character = characters_[256 + (lead - 0x80) * 256 + trail];
            DecodeAlone(converter, bytes, 2, character.bytes, character.size);
        }
    }
    CloseConverter(converter);
}

}  // namespace pernard
