#include "model/UrlIndex.h"

#include <functional>

namespace pernard {

std::uint64_t UrlIndex::Hash(std::string_view url) {
    return static_cast<std::uint64_t>(std::hash<std::string_view>()(url));
}

void UrlIndex::Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    size_ = 0;
}

void UrlIndex::Reserve(std::size_t count) {
    std::size_t capacity = 16;
    while (capacity < count * 2) capacity *= 2;
    if (capacity <= slots_.size()) return;
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(capacity, Slot{});
    const std::size_t mask = capacity - 1;
    for (const Slot& slot : old) {
        if (slot.index < 0) continue;
        std::size_t at = static_cast<std::size_t>(slot.hash) & mask;
        while (slots_[at].index >= 0) at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

void UrlIndex::Grow() { Reserve(slots_.empty() ? 8 : slots_.size()); }

void UrlIndex::Add(int index) {
    if ((size_ + 1) * 2 > slots_.size()) Grow();
    const std::string& url = urls_[static_cast<std::size_t>(index)];
    const std::uint64_t hash = Hash(url);
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>(hash) & mask;
    while (slots_[at].index >= 0) at = (at + 1) & mask;
    slots_[at] = Slot{hash, index};
    ++size_;
}

bool UrlIndex::Contains(std::string_view url) const {
    if (slots_.empty()) return false;
    const std::uint64_t hash = Hash(url);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(hash) & mask; slots_[at].index >= 0;
         at = (at + 1) & mask) {
        if (slots_[at].hash == hash && urls_[static_cast<std::size_t>(slots_[at].index)] == url) {
            return true;
        }
    }
    return false;
}

}  // namespace pernard
