#pragma once
// Storage for many short texts that live as long as their owner: texts are copied into large
// blocks and handed out as views, so that a million labels cost a few hundred allocations. A
// text that is replaced stays in its block until Clear.

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace pernard {

class TextArena {
public:
    // Copies `text` into the arena; the view stays valid until Clear.
    std::string_view Store(std::string_view text);
    void Clear();

private:
    static constexpr std::size_t kBlockSize = 256 * 1024;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = kBlockSize;  // bytes used in the last block
    std::size_t lastSize_ = 0;       // size of the last block
};

}  // namespace pernard
