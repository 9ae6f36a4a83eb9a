#pragma once
// A set of entry indices keyed by their URL text, for the duplicate test of the readers; or, for
// the duplicate check, keyed by texts the caller files them under (their match keys). Open
// addressing over (hash, index) pairs: no allocation per entry, and a probe that misses looks
// at no text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/storage/TextArena.h"
#include "model/storage/TextColumn.h"

namespace pernard {

class UrlIndex {
public:
    // Keyed by the URLs of the column.
    explicit UrlIndex(const TextColumn& urls) : urls_(&urls) {}
    // Keyed only by what FileUnder is given.
    UrlIndex() = default;
    ~UrlIndex() { Clear(); }
    UrlIndex(const UrlIndex&) = delete;
    UrlIndex& operator=(const UrlIndex&) = delete;

    void Clear();
    void Reserve(std::size_t count);
    // Adds entry `index` (its URL is urls[index]).
    void Add(int index);
    bool Contains(std::string_view url) const;
    std::size_t Size() const { return size_; }

    // Files entry `index` under `key` unless an entry is filed under it already; returns the
    // entry filed under it first. The key is copied into the index, or with `borrowed` stays the
    // caller's: a view the URL column handed out, valid while the table does not change.
    int FileUnder(int index, std::string_view key, bool borrowed = false);

private:
    struct Slot {
        std::uint64_t hash = 0;
        int index = -1;  // -1: empty
    };
    static std::uint64_t Hash(std::string_view url);
    void Grow();
    std::string_view KeyOf(int index) const {
        const auto k = static_cast<std::size_t>(index);
        return filed_ ? TextArena::PrefixedText(keys_[k]) : (*urls_)[k];
    }

    const TextColumn* urls_ = nullptr;
    // Keys filed by the caller: per entry index, where the key's length and bytes are (the
    // format of TextArena::StorePrefixed, which the text columns share).
    bool filed_ = false;
    std::vector<const char*> keys_;
    TextArena keyTexts_;
    Slot* slots_ = nullptr;  // a power of two of them, from AllocateBlock
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
};

}  // namespace pernard
