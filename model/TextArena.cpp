#include "model/TextArena.h"

#include <algorithm>
#include <cstring>

namespace pernard {

std::string_view TextArena::Store(std::string_view text) {
    if (text.empty()) return {};
    if (blocks_.empty() || used_ + text.size() > lastSize_) {
        // A text longer than a block gets a block of its own.
        lastSize_ = std::max(kBlockSize, text.size());
        blocks_.push_back(std::make_unique<char[]>(lastSize_));
        used_ = 0;
    }
    char* at = blocks_.back().get() + used_;
    std::memcpy(at, text.data(), text.size());
    used_ += text.size();
    return std::string_view(at, text.size());
}

void TextArena::Clear() {
    blocks_.clear();
    used_ = kBlockSize;
    lastSize_ = 0;
}

}  // namespace pernard
