#pragma once
// A set of entry indices keyed by their URL text, for the duplicate test of the readers. Open
// addressing over (hash, index) pairs: no allocation per entry, and a probe that misses looks
// at no URL text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/TextColumn.h"

namespace pernard {

class UrlIndex {
public:
    explicit UrlIndex(const TextColumn& urls) : urls_(urls) {}
    ~UrlIndex() { Clear(); }
    UrlIndex(const UrlIndex&) = delete;
    UrlIndex& operator=(const UrlIndex&) = delete;

    void Clear();
    void Reserve(std::size_t count);
    // Adds entry `index` (its URL is urls[index]).
    void Add(int index);
    bool Contains(std::string_view url) const;
    std::size_t Size() const { return size_; }

private:
    struct Slot {
        std::uint64_t hash = 0;
        int index = -1;  // -1: empty
    };
    static std::uint64_t Hash(std::string_view url);
    void Grow();

    const TextColumn& urls_;
    Slot* slots_ = nullptr;  // a power of two of them, from AllocateBlock
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
};

}  // namespace pernard
