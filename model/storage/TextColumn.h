#pragma once
// A text column of the entry table. Each row is one pointer into large shared blocks (a
// TextArena), where its bytes follow their length: a million rows cost a few hundred
// allocations and eight bytes each beyond their text, and rows move by moving pointers.
// A replaced text stays in its block until the column is compacted.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/storage/Column.h"
#include "model/storage/TextArena.h"

namespace pernard {

class TextColumn {
public:
    // A row: where its text is stored, its length first (TextArena::StorePrefixed); nullptr for
    // the empty text.
    using Cell = const char*;

    TextColumn() = default;
    TextColumn(const TextColumn&) = delete;
    TextColumn& operator=(const TextColumn&) = delete;

    std::size_t size() const { return cells_.size(); }
    // Const, so that an assignment to a row does not compile (it would change nothing).
    const std::string_view operator[](std::size_t index) const { return TextOf(cells_[index]); }

    void PushBack(std::string_view text) { cells_.push_back(Store(text)); }
    void Set(std::size_t index, std::string_view text);
    // The row's text moved out; the row is left empty.
    std::string Take(std::size_t index);
    // The row's text, left in its block, and the row emptied: the view stays valid until the
    // column is compacted (never in the middle of an editing step).
    std::string_view Release(std::size_t index);

    // The rows themselves, for the row primitives that open, move and drop rows.
    Column<Cell>& Cells() { return cells_; }

    void Clear();
    // Copies the texts still in use into fresh blocks when most of the stored bytes belong to
    // texts replaced or taken since. Every view handed out before is invalid afterwards.
    void CompactIfWorthwhile() {
        if (WorthCompacting()) Compact();
    }
    bool WorthCompacting() const;
    void Compact();
    // Bytes held in blocks, and the part of them no row uses any more.
    std::size_t StoredBytes() const { return arena_.UsedBytes(); }
    std::size_t DroppedBytes() const { return dropped_; }

    static std::string_view TextOf(Cell cell) { return TextArena::PrefixedText(cell); }

private:
    Cell Store(std::string_view text);
    void Drop(Cell cell);

    Column<Cell> cells_;
    TextArena arena_;
    std::size_t dropped_ = 0;
};

}  // namespace pernard
