#pragma once
// The children of a tree node, in order. Most nodes are bookmarks and have none, so the list is
// one pointer in the node: the count and the capacity are stored in front of the items, in the
// one allocation a node with children makes (a vector would cost three pointers in every node).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace pernard {

template <typename T>
class ChildList {
public:
    ChildList() = default;
    ~ChildList() { std::free(block_); }
    ChildList(const ChildList& other) { *this = other; }
    ChildList& operator=(const ChildList& other) {
        if (this == &other) return *this;
        clear();
        reserve(other.size());
        for (T item : other) push_back(item);
        return *this;
    }
    ChildList(ChildList&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    ChildList& operator=(ChildList&& other) noexcept {
        std::swap(block_, other.block_);
        return *this;
    }

    std::size_t size() const { return block_ == nullptr ? 0 : block_->size; }
    bool empty() const { return size() == 0; }
    T* begin() { return Items(); }
    T* end() { return Items() + size(); }
    const T* begin() const { return Items(); }
    const T* end() const { return Items() + size(); }
    T& operator[](std::size_t index) { return Items()[index]; }
    const T& operator[](std::size_t index) const { return Items()[index]; }

    void reserve(std::size_t capacity) {
        if (capacity <= Capacity()) return;
        const std::size_t count = size();
        auto* grown = static_cast<Header*>(std::malloc(sizeof(Header) + capacity * sizeof(T)));
        if (grown == nullptr) throw std::bad_alloc();
        grown->size = static_cast<std::uint32_t>(count);
        grown->capacity = static_cast<std::uint32_t>(capacity);
        if (count > 0) std::memcpy(ItemsOf(grown), Items(), count * sizeof(T));
        std::free(block_);
        block_ = grown;
    }
    void push_back(T item) { insert(end(), item); }
    // Inserts `item` before `at` (a position of this list, or end()).
    void insert(T* at, T item) {
        const std::size_t index = static_cast<std::size_t>(at - begin());
        const std::size_t count = size();
        if (count == Capacity()) reserve(count < 4 ? 4 : count * 2);
        T* items = Items();
        std::memmove(items + index + 1, items + index, (count - index) * sizeof(T));
        items[index] = item;
        ++block_->size;
    }
    void erase(T* at) {
        const std::size_t index = static_cast<std::size_t>(at - begin());
        T* items = Items();
        std::memmove(items + index, items + index + 1, (size() - index - 1) * sizeof(T));
        --block_->size;
    }
    // Keeps the first `count` items (never more than there are).
    void resize(std::size_t count) {
        if (block_ != nullptr && count < block_->size)
            block_->size = static_cast<std::uint32_t>(count);
    }
    void clear() { resize(0); }
    void shrink_to_fit() {
        if (!empty()) return;
        std::free(block_);
        block_ = nullptr;
    }

private:
    static_assert(std::is_trivially_copyable_v<T>, "items are moved as bytes");
    struct Header {
        std::uint32_t size;
        std::uint32_t capacity;
    };
    static T* ItemsOf(Header* header) { return reinterpret_cast<T*>(header + 1); }
    T* Items() const { return block_ == nullptr ? nullptr : ItemsOf(block_); }
    std::size_t Capacity() const { return block_ == nullptr ? 0 : block_->capacity; }

    Header* block_ = nullptr;
};

}  // namespace pernard
