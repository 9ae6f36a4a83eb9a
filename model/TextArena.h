#pragma once
// Storage for many short texts that live as long as their owner: texts are copied into large
// blocks and handed out as views, so that a million labels cost a few hundred allocations. A
// text that is replaced stays in its block until Clear.

#include <cstddef>
#include <string_view>
#include <vector>

namespace pernard {

class TextArena {
public:
    // Copies `text` into the arena; the view stays valid until Clear.
    std::string_view Store(std::string_view text);
    // `bytes` bytes of room (at least one), valid until Clear.
    char* Allocate(std::size_t bytes);
    void Clear();
    // Bytes handed out since the last Clear.
    std::size_t UsedBytes() const { return total_; }
    void Swap(TextArena& other) noexcept;

    TextArena() = default;
    ~TextArena() { Clear(); }
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

private:
    // Blocks double from 64 KiB up to 4 MiB.
    static constexpr std::size_t kFirstBlock = 64 * 1024;
    static constexpr std::size_t kLargestBlock = 4 * 1024 * 1024;
    std::vector<char*> blocks_;
    std::size_t used_ = 0;      // bytes used in the last block
    std::size_t lastSize_ = 0;  // size of the last block
    std::size_t total_ = 0;
};

}  // namespace pernard
