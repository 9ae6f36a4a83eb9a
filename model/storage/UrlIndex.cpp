#include "model/storage/UrlIndex.h"

#include <algorithm>
#include <functional>

#include "util/LargeBlocks.h"

namespace pernard {

std::uint64_t UrlIndex::Hash(std::string_view url) {
    return static_cast<std::uint64_t>(std::hash<std::string_view>()(url));
}

void UrlIndex::Clear() {
    FreeBlock(slots_);
    slots_ = nullptr;
    capacity_ = 0;
    size_ = 0;
    filed_ = false;
    keys_ = {};
    keyTexts_.Clear();
}

void UrlIndex::Reserve(std::size_t count) {
    std::size_t capacity = 16;
    while (capacity < count * 2) capacity *= 2;
    if (capacity <= capacity_) return;
    Slot* old = slots_;
    const std::size_t oldCapacity = capacity_;
    slots_ = static_cast<Slot*>(AllocateBlock(capacity * sizeof(Slot)));
    capacity_ = capacity;
    for (std::size_t k = 0; k < capacity; ++k) slots_[k] = Slot{};
    const std::size_t mask = capacity - 1;
    for (std::size_t k = 0; k < oldCapacity; ++k) {
        if (old[k].index < 0) continue;
        std::size_t at = static_cast<std::size_t>(old[k].hash) & mask;
        while (slots_[at].index >= 0) at = (at + 1) & mask;
        slots_[at] = old[k];
    }
    FreeBlock(old);
}

void UrlIndex::Grow() { Reserve(capacity_ == 0 ? 8 : capacity_); }

void UrlIndex::Add(int index) {
    if ((size_ + 1) * 2 > capacity_) Grow();
    const std::uint64_t hash = Hash(KeyOf(index));
    const std::size_t mask = capacity_ - 1;
    std::size_t at = static_cast<std::size_t>(hash) & mask;
    while (slots_[at].index >= 0) at = (at + 1) & mask;
    slots_[at] = Slot{hash, index};
    ++size_;
}

bool UrlIndex::Contains(std::string_view url) const {
    if (capacity_ == 0) return false;
    const std::uint64_t hash = Hash(url);
    const std::size_t mask = capacity_ - 1;
    for (std::size_t at = static_cast<std::size_t>(hash) & mask; slots_[at].index >= 0;
         at = (at + 1) & mask) {
        if (slots_[at].hash == hash && KeyOf(slots_[at].index) == url) return true;
    }
    return false;
}

int UrlIndex::FileUnder(int index, std::string_view key, bool borrowed) {
    filed_ = true;
    if ((size_ + 1) * 2 > capacity_) Grow();
    const std::uint64_t hash = Hash(key);
    const std::size_t mask = capacity_ - 1;
    std::size_t at = static_cast<std::size_t>(hash) & mask;
    for (; slots_[at].index >= 0; at = (at + 1) & mask) {
        if (slots_[at].hash == hash && KeyOf(slots_[at].index) == key) return slots_[at].index;
    }
    const auto k = static_cast<std::size_t>(index);
    if (keys_.size() <= k) keys_.resize(std::max(k + 1, keys_.size() * 2));
    keys_[k] = borrowed ? TextArena::PrefixOf(key) : keyTexts_.StorePrefixed(key);
    slots_[at] = Slot{hash, index};
    ++size_;
    return index;
}

}  // namespace pernard
