#pragma once
// The texts of rows held out of the table (the rows of a block taken out for an undo): every
// row's five texts one after another in one buffer, each after its length. A million rows held
// cost a handful of allocations and their bytes, not a string or more per text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pernard {

class HeldTexts {
public:
    // The texts of a row, in the order of EntryTexts: name, url, added, visited, modified.
    using Row = std::array<std::string_view, 5>;

    // Room for `rows` rows holding `textBytes` bytes of text in all.
    void Reserve(std::size_t rows, std::size_t textBytes);
    void Append(const Row& texts);
    // Views of a row's texts; valid while the held texts are neither appended to nor cleared.
    Row At(std::size_t row) const;
    std::size_t size() const { return starts_.size(); }
    // The bytes of the texts themselves.
    std::size_t TextBytes() const { return bytes_.size() - starts_.size() * kLengthsPerRow; }

private:
    static constexpr std::size_t kLengthsPerRow = 5 * sizeof(std::uint32_t);

    std::string bytes_;
    std::vector<std::size_t> starts_;  // where each row's first length is
};

}  // namespace pernard
