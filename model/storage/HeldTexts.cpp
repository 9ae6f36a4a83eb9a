#include "model/storage/HeldTexts.h"

#include <cstring>

namespace pernard {

void HeldTexts::Reserve(std::size_t rows, std::size_t textBytes) {
    starts_.reserve(starts_.size() + rows);
    bytes_.reserve(bytes_.size() + rows * kLengthsPerRow + textBytes);
}

void HeldTexts::Append(const Row& texts) {
    starts_.push_back(bytes_.size());
    for (std::string_view text : texts) {
        const auto length = static_cast<std::uint32_t>(text.size());
        bytes_.append(reinterpret_cast<const char*>(&length), sizeof length);
        bytes_.append(text);
    }
}

HeldTexts::Row HeldTexts::At(std::size_t row) const {
    Row texts;
    const char* at = bytes_.data() + starts_[row];
    for (std::string_view& text : texts) {
        std::uint32_t length = 0;
        std::memcpy(&length, at, sizeof length);
        at += sizeof length;
        text = std::string_view(at, length);
        at += length;
    }
    return texts;
}

}  // namespace pernard
