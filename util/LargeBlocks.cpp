#include "util/LargeBlocks.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pernard {

namespace {
constexpr std::size_t kHugePage = 2 * 1024 * 1024;
}  // namespace

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

}  // namespace pernard
