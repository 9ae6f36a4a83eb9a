#include "model/storage/TextArena.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "util/LargeBlocks.h"

namespace pernard {

std::string_view TextArena::Store(std::string_view text) {
    if (text.empty()) return {};
    char* at = Allocate(text.size());
    std::memcpy(at, text.data(), text.size());
    return std::string_view(at, text.size());
}

const char* TextArena::StorePrefixed(std::string_view text) {
    if (text.empty()) return nullptr;
    char* const start = Allocate(PrefixedBytes(text.size()));
    char* at = start;
    for (std::size_t rest = text.size();; rest >>= 7) {
        const auto low = static_cast<unsigned char>(rest & 0x7F);
        if (rest < 0x80) {
            *at++ = static_cast<char>(low);
            break;
        }
        *at++ = static_cast<char>(low | 0x80);
    }
    std::memcpy(at, text.data(), text.size());
    return start;
}

char* TextArena::Allocate(std::size_t bytes) {
    if (blocks_.empty() || used_ + bytes > lastSize_) {
        // A text longer than a block gets a block of its own.
        const std::size_t next =
            lastSize_ == 0 ? kFirstBlock : std::min(lastSize_ * 2, kLargestBlock);
        lastSize_ = std::max(next, bytes);
        blocks_.push_back(static_cast<char*>(AllocateBlock(lastSize_)));
        used_ = 0;
    }
    char* at = blocks_.back() + used_;
    used_ += bytes;
    total_ += bytes;
    return at;
}

void TextArena::Clear() {
    for (char* block : blocks_) FreeBlock(block);
    blocks_.clear();
    used_ = 0;
    lastSize_ = 0;
    total_ = 0;
}

void TextArena::Swap(TextArena& other) noexcept {
    blocks_.swap(other.blocks_);
    std::swap(used_, other.used_);
    std::swap(lastSize_, other.lastSize_);
    std::swap(total_, other.total_);
}

}  // namespace pernard
