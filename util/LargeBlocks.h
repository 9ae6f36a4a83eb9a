#pragma once
// Raw memory for large, long-lived blocks (the table's columns, the node pool, the label
// arena). Blocks of 2 MiB and more are aligned to 2 MiB and, on Linux, offered to the kernel as
// candidates for huge pages: filling a table of a million rows then costs a few hundred page
// faults instead of a hundred thousand.

#include <cstddef>

namespace pernard {

// Memory for `bytes` bytes, suitably aligned for any type; throws std::bad_alloc on failure.
void* AllocateBlock(std::size_t bytes);
void FreeBlock(void* block) noexcept;

}  // namespace pernard
