#pragma once
// CP932's characters as UTF-8, looked up by their bytes: a Japanese text decodes without a
// converter call per run. The table is built once, from the platform's converter, so it gives
// exactly what the converter gives for each character on its own.

#include <cstddef>
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

private:
    struct Character {
        char bytes[3];
        unsigned char size;
    };
    Cp932Table();
    std::string_view View(std::size_t slot) const {
        return std::string_view(characters_[slot].bytes, characters_[slot].size);
    }

    // 256 single bytes, then 128 × 256 pairs led by 0x80..0xFF.
    Character characters_[256 + 128 * 256] = {};
};

}  // namespace pernard
