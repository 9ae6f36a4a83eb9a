// The row primitives every edit is built on. A subtree is always a contiguous block of rows, so
// opening and moving blocks (and taking them out, model/Undo.cpp) keeps the table in tree order;
// each primitive shifts the rows it must once and rewrites the parent indices in the same pass.

#include <type_traits>
#include <utility>
#include <vector>

#include "model/BmLogic.h"

namespace pernard {

void BmLogic::OpenRows(int at, int count) {
    const std::size_t to = static_cast<std::size_t>(at);
    const std::size_t width = static_cast<std::size_t>(count);
    const std::size_t end = static_cast<std::size_t>(glCT);
    ForEachColumn([&](auto& column) {
        column.resize(end);  // rows past glCT may be left over from an abandoned read
        column.resize(end + width);
        for (std::size_t r = end; r > to; --r) column[r - 1 + width] = std::move(column[r - 1]);
        for (std::size_t r = to; r < to + width; ++r) column[r] = {};
    });
    for (std::size_t r = to + width; r < end + width; ++r) {
        if (parents_[r] >= at) parents_[r] += count;
    }
    for (std::size_t r = to; r < to + width; ++r) parents_[r] = -1;
    count_ += count;
    InvalidateUrlIndex();
}

int BmLogic::MoveRowBlock(int first, int count, int before) {
    if (before >= first && before <= first + count) return first;  // already there
    const int end = glCT;
    // The rows that change place: [low, high). Rows outside keep their index.
    const int low = before < first ? before : first;
    const int high = before < first ? first + count : before;
    const int newFirst = before < first ? before : before - count;
    auto newIndex = [&](int old) {
        if (old < low || old >= high) return old;
        if (old >= first && old < first + count) return old - first + newFirst;
        return before < first ? old + count : old - count;
    };
    const std::size_t blockAt = static_cast<std::size_t>(first);
    const std::size_t width = static_cast<std::size_t>(count);
    ForEachColumn([&](auto& column) {
        using Value = std::decay_t<decltype(column[0])>;
        std::vector<Value> block;
        block.reserve(width);
        for (std::size_t k = 0; k < width; ++k) block.push_back(std::move(column[blockAt + k]));
        if (before < first) {
            for (int r = first - 1; r >= before; --r) {
                column[static_cast<std::size_t>(r + count)] =
                    std::move(column[static_cast<std::size_t>(r)]);
            }
        } else {
            for (int r = first + count; r < before; ++r) {
                column[static_cast<std::size_t>(r - count)] =
                    std::move(column[static_cast<std::size_t>(r)]);
            }
        }
        for (std::size_t k = 0; k < width; ++k) {
            column[static_cast<std::size_t>(newFirst) + k] = std::move(block[k]);
        }
    });
    // Parents of rows from `low` on may have moved; rows before `low` have parents before it.
    for (int r = low; r < end; ++r) {
        int& parent = parents_[static_cast<std::size_t>(r)];
        if (parent >= 0) parent = newIndex(parent);
    }
    InvalidateUrlIndex();
    return newFirst;
}

}  // namespace pernard
