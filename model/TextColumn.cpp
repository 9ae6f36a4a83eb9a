#include "model/TextColumn.h"

#include <cstring>

namespace pernard {

namespace {
// Below this, dropped bytes are not worth a pass over the column.
constexpr std::size_t kCompactFloor = std::size_t{4} << 20;
}  // namespace

TextColumn::Cell TextColumn::Store(std::string_view text) {
    if (text.empty()) return nullptr;
    char head[10];
    std::size_t headBytes = 0;
    for (std::size_t rest = text.size();; rest >>= 7) {
        const auto low = static_cast<unsigned char>(rest & 0x7F);
        if (rest < 0x80) {
            head[headBytes++] = static_cast<char>(low);
            break;
        }
        head[headBytes++] = static_cast<char>(low | 0x80);
    }
    char* at = arena_.Allocate(headBytes + text.size());
    std::memcpy(at, head, headBytes);
    std::memcpy(at + headBytes, text.data(), text.size());
    return at;
}

void TextColumn::Drop(Cell cell) {
    if (cell == nullptr) return;
    const std::string_view text = TextOf(cell);
    dropped_ += static_cast<std::size_t>(text.data() + text.size() - cell);
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
