#pragma once
// CP932's characters as UTF-8, looked up by their bytes: a Japanese text decodes without a
// converter call per run. The table is built once, from the platform's converter, so it gives
// exactly what the converter gives for each character on its own.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace pernard {

// The UTF-8 form of the character whose bytes are `lead` (alone) or `lead` `trail`; empty when
// those bytes are no character of CP932 on their own.
class Cp932Table {
public:
    static const Cp932Table& Get();

    std::string_view Single(unsigned char byte) const { return View(byte); }
    std::string_view Double(unsigned char lead, unsigned char trail) const {
        return lead < 0x80 ? std::string_view() : View(256 + (lead - 0x80) * 256u + trail);
    }

    // Writes the four bytes of the entry of `lead` (alone, `trail` unused) or `lead` `trail` to
    // `dest`: the character's UTF-8 form and a byte after it. Returns the form's length, 0 when
    // the bytes are no character. One fixed-size copy, cheaper than a copy of the form alone.
    std::size_t CopySingle(unsigned char byte, char* dest) const { return CopyEntry(byte, dest); }
    std::size_t CopyDouble(unsigned char lead, unsigned char trail, char* dest) const {
        return CopyEntry(256 + (lead - 0x80) * 256u + trail, dest);
    }

private:
    struct Character {
        char bytes[3];
        unsigned char size;
    };
    Cp932Table();
    std::string_view View(std::size_t slot) const {
        return std::string_view(characters_[slot].bytes, characters_[slot].size);
    }

    std::size_t CopyEntry(std::size_t slot, char* dest) const {
        static_assert(sizeof(Character) == 4);
        std::memcpy(dest, &characters_[slot], sizeof(Character));
        return characters_[slot].size;
    }

    // 256 single bytes, then 128 × 256 pairs led by 0x80..0xFF.
    Character characters_[256 + 128 * 256] = {};
};

}  // namespace pernard
