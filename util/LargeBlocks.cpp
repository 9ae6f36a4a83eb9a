#include "util/LargeBlocks.h"

#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#elif defined(_WIN32)
#include <malloc.h>
#endif

namespace pernard {

namespace {
constexpr std::size_t kHugePage = 2 * 1024 * 1024;
}  // namespace

#ifdef _WIN32

// The Windows C runtime has no aligned_alloc, and its aligned blocks must be freed by their own
// call: every block comes from _aligned_malloc.
void* AllocateBlock(std::size_t bytes) {
    const std::size_t rounded = bytes < kHugePage ? (bytes == 0 ? 1 : bytes)
                                                  : (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* block =
        _aligned_malloc(rounded, bytes < kHugePage ? alignof(std::max_align_t) : kHugePage);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void FreeBlock(void* block) noexcept { _aligned_free(block); }

#else

void* AllocateBlock(std::size_t bytes) {
    if (bytes < kHugePage) {
        void* block = std::malloc(bytes == 0 ? 1 : bytes);
        if (block == nullptr) throw std::bad_alloc();
        return block;
    }
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (block == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(block, rounded, MADV_HUGEPAGE);  // a hint: failure changes nothing
#endif
    return block;
}

void FreeBlock(void* block) noexcept { std::free(block); }

#endif

}  // namespace pernard
