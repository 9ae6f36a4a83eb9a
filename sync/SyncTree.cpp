#include "sync/SyncTree.h"

namespace pernard::sync {

namespace {

bool SameSubtree(const SyncTree& a, int i, const SyncTree& b, int j) {
    const SyncItem& x = a[i];
    const SyncItem& y = b[j];
    if (x.id != y.id || x.folder != y.folder || x.title != y.title || x.url != y.url ||
        x.children.size() != y.children.size()) {
        return false;
    }
    for (std::size_t k = 0; k < x.children.size(); ++k) {
        if (!SameSubtree(a, x.children[k], b, y.children[k])) return false;
    }
    return true;
}

}  // namespace

bool SameTree(const SyncTree& a, const SyncTree& b) {
    return SameSubtree(a, SyncTree::kRoot, b, SyncTree::kRoot);
}

}  // namespace pernard::sync
