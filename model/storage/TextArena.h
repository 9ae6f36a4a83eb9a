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
    // Copies `text` into the arena after its length (seven bits a byte, the low ones first, the
    // high bit set on every byte but the last: one byte below 128), so that one pointer tells
    // both; nullptr for the empty text. Valid until Clear.
    const char* StorePrefixed(std::string_view text);
    // The text stored at a pointer StorePrefixed returned.
    static std::string_view PrefixedText(const char* at) {
        if (at == nullptr) return {};
        std::size_t length = 0;
        int shift = 0;
        unsigned char byte = 0;
        do {
            byte = static_cast<unsigned char>(*at++);
            length |= static_cast<std::size_t>(byte & 0x7F) << shift;
            shift += 7;
        } while ((byte & 0x80) != 0);
        return {at, length};
    }
    // The bytes a text of `length` bytes takes with its length in front.
    static std::size_t PrefixedBytes(std::size_t length) {
        std::size_t bytes = length + 1;
        for (std::size_t rest = length; rest >= 0x80; rest >>= 7) ++bytes;
        return bytes;
    }
    // Where StorePrefixed put a text it handed out as `text` (the view PrefixedText gives).
    static const char* PrefixOf(std::string_view text) {
        return text.empty() ? nullptr : text.data() - (PrefixedBytes(text.size()) - text.size());
    }
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
