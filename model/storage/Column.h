#pragma once
// One column of the entry table: random access like a vector, but stored in chunks that double
// in size (4096 elements, then 8192, ...), so that appending never moves an element and a
// million rows cost a handful of allocations. Elements are constructed only as they are
// appended, so unused capacity is never touched.

#include <bit>
#include <cstddef>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "util/LargeBlocks.h"

namespace pernard {

template <typename T>
class Column {
public:
    static constexpr std::size_t kFirstChunk = 4096;

    Column() = default;
    ~Column() { clear(); }
    Column(const Column&) = delete;
    Column& operator=(const Column&) = delete;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](std::size_t index) { return *Locate(index); }
    const T& operator[](std::size_t index) const {
        return *const_cast<Column*>(this)->Locate(index);
    }
    T& at(std::size_t index) {
        if (index >= size_) throw std::out_of_range("Column::at");
        return (*this)[index];
    }
    const T& at(std::size_t index) const {
        if (index >= size_) throw std::out_of_range("Column::at");
        return (*this)[index];
    }

    void push_back(T value) {
        if (size_ == Capacity(chunks_.size())) {
            const std::size_t elements = kFirstChunk << chunks_.size();
            chunks_.push_back(static_cast<T*>(AllocateBlock(elements * sizeof(T))));
        }
        new (Locate(size_)) T(std::move(value));
        ++size_;
    }
    void emplace_back() { push_back(T()); }

    // Grows with copies of `value`, or shrinks.
    void resize(std::size_t newSize, const T& value = T()) {
        while (size_ < newSize) push_back(value);
        while (size_ > newSize) std::destroy_at(Locate(--size_));
    }

    // Destroys every element and releases every chunk.
    void clear() {
        resize(0);
        for (T* chunk : chunks_) FreeBlock(chunk);
        chunks_.clear();
    }

    template <typename Element, typename Owner>
    class Iterator {
    public:
        Iterator(Owner* column, std::size_t index) : column_(column), index_(index) {}
        Element& operator*() const { return (*column_)[index_]; }
        Iterator& operator++() {
            ++index_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }

    private:
        Owner* column_;
        std::size_t index_;
    };
    Iterator<const T, const Column> begin() const { return {this, 0}; }
    Iterator<const T, const Column> end() const { return {this, size_}; }

private:
    // Elements held by the first `chunks` chunks.
    static std::size_t Capacity(std::size_t chunks) {
        return kFirstChunk * ((std::size_t{1} << chunks) - 1);
    }

    T* Locate(std::size_t index) {
        const std::size_t chunk =
            static_cast<std::size_t>(std::bit_width(index / kFirstChunk + 1)) - 1;
        return chunks_[chunk] + (index - Capacity(chunk));
    }

    std::vector<T*> chunks_;
    std::size_t size_ = 0;
};

// A column as code outside the model sees it: read only, indexed by a signed row number that is
// checked against the rows in use (std::out_of_range beyond them).
template <typename Storage>
class ReadOnlyColumn {
public:
    explicit ReadOnlyColumn(const Storage& column) : column_(column) {}
    ReadOnlyColumn(const ReadOnlyColumn&) = delete;
    ReadOnlyColumn& operator=(const ReadOnlyColumn&) = delete;

    decltype(auto) operator[](std::ptrdiff_t row) const {
        if (row < 0 || static_cast<std::size_t>(row) >= column_.size()) {
            throw std::out_of_range("entry table row out of range");
        }
        return column_[static_cast<std::size_t>(row)];
    }
    std::size_t size() const { return column_.size(); }

private:
    const Storage& column_;
};

}  // namespace pernard
