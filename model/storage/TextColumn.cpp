#include "model/storage/TextColumn.h"

#include <cstring>

namespace pernard {

namespace {
// Below this, dropped bytes are not worth a pass over the column.
constexpr std::size_t kCompactFloor = std::size_t{4} << 20;
}  // namespace

TextColumn::Cell TextColumn::Store(std::string_view text) { return arena_.StorePrefixed(text); }

void TextColumn::Drop(Cell cell) {
    if (cell == nullptr) return;
    dropped_ += TextArena::PrefixedBytes(TextOf(cell).size());
}

void TextColumn::Set(std::size_t index, std::string_view text) {
    // Stored before the old text is dropped: `text` may be a view of it.
    const Cell stored = Store(text);
    Drop(cells_[index]);
    cells_[index] = stored;
}

std::string TextColumn::Take(std::size_t index) {
    std::string text(TextOf(cells_[index]));
    Drop(cells_[index]);
    cells_[index] = nullptr;
    return text;
}

std::string_view TextColumn::Release(std::size_t index) {
    const std::string_view text = TextOf(cells_[index]);
    Drop(cells_[index]);
    cells_[index] = nullptr;
    return text;
}

void TextColumn::Clear() {
    cells_.clear();
    arena_.Clear();
    dropped_ = 0;
}

bool TextColumn::WorthCompacting() const {
    return dropped_ >= kCompactFloor && dropped_ * 2 >= arena_.UsedBytes();
}

void TextColumn::Compact() {
    TextArena old;
    old.Swap(arena_);
    dropped_ = 0;
    for (std::size_t k = 0; k < cells_.size(); ++k) cells_[k] = Store(TextOf(cells_[k]));
}

}  // namespace pernard
