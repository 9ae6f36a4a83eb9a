#pragma once
// The order of a folder's entries after a merge. The entries both sides kept in the folder take
// the order of the side that reordered them (both: the local one). Each other entry goes right
// after its nearest preceding sibling already placed, on the side it came from (else first): the
// server's first, then the local ones after those the server placed there. The same inputs give
// the same order on every replica.

#include <vector>

#include "sync/MergeSides.h"

namespace pernard::sync {

struct ChildOrderInputs {
    const MergeSide* base;
    const MergeSide* local;
    const MergeSide* remote;
};

// The order of `children` (every entry the merge keeps in `folder`, in any order).
std::vector<Identity> OrderChildren(const ChildOrderInputs& sides, Identity folder,
                                    std::vector<Identity> children);

}  // namespace pernard::sync
