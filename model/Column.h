#pragma once
// One column of the entry table: random access like a vector, but stored in large fixed-size
// chunks, so that appending never moves an element and a million rows cost a few hundred
// allocations.

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <vector>

namespace pernard {

template <typename T>
class Column {
public:
    static constexpr std::size_t kChunkSize = 4096;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](std::size_t index) { return chunks_[index / kChunkSize][index % kChunkSize]; }
    const T& operator[](std::size_t index) const {
        return chunks_[index / kChunkSize][index % kChunkSize];
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
        if (size_ == chunks_.size() * kChunkSize) chunks_.push_back(std::make_unique<T[]>(kChunkSize));
        (*this)[size_++] = std::move(value);
    }
    void emplace_back() { push_back(T()); }

    // Grows with copies of `value`, or shrinks (the elements past the new size are reset).
    void resize(std::size_t newSize, const T& value = T()) {
        while (size_ < newSize) push_back(value);
        while (size_ > newSize) (*this)[--size_] = T();
    }

    // Releases every chunk.
    void clear() {
        chunks_.clear();
        size_ = 0;
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
    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
};

}  // namespace pernard
