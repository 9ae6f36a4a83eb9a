// Whether a root holds changes: a hash of its rows, taken when it was read or saved and compared
// with the rows as they are now. The hash is a sum of one term per row (its place, its texts)
// and one per row's extras, so that a load can sum it while it appends the rows, and an extras
// set later in the read (a folder's separators at its end) replaces only its own term.

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "model/BmLogic.h"

namespace pernard {

namespace {

// Spreads every bit of `x` over the whole word.
std::uint64_t Scramble(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

std::uint64_t Combine(std::uint64_t hash, std::uint64_t value) {
    return Scramble(hash + value + 0x9e3779b97f4a7c15ULL);
}

// Folds the text's bytes into `hash`, eight at a time, and its length after them, so that
// texts next to each other cannot trade bytes unseen.
std::uint64_t FoldText(std::uint64_t hash, std::string_view text) {
    constexpr std::uint64_t kOdd = 0x9e3779b97f4a7c15ULL;
    const char* at = text.data();
    std::size_t left = text.size();
    for (; left >= 8; at += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        hash = (hash ^ word) * kOdd;
        hash ^= hash >> 29;
    }
    std::uint64_t tail = 0;
    if (left > 0) std::memcpy(&tail, at, left);  // an empty text may have no bytes at all
    hash = (hash ^ tail) * kOdd;
    hash ^= hash >> 29;
    return (hash ^ text.size()) * kOdd;
}

}  // namespace

std::uint64_t BmLogic::RowHash(int index, int root) const {
    const std::size_t k = static_cast<std::size_t>(index);
    // Positions relative to the root: rows added before it change nothing of it.
    std::uint64_t hash = Combine(0, static_cast<std::uint64_t>(index - root));
    hash = Combine(hash, static_cast<std::uint64_t>(index == root ? 0 : index - parents_[k]));
    for (const TextColumn* column : TextColumns()) hash = FoldText(hash, (*column)[k]);
    return Scramble(hash);
}

std::uint64_t BmLogic::ExtrasHash(int offset, std::string_view extras) {
    // No extras, no term: a row's term is complete when it is appended.
    if (extras.empty()) return 0;
    return Scramble(FoldText(Combine(0x45787472ULL, static_cast<std::uint64_t>(offset)), extras));
}

std::uint64_t BmLogic::RootHash(int root) const {
    std::uint64_t hash = 0;
    const int end = root + SubtreeWidth(root);
    for (int i = root; i < end; ++i) {
        // Tags, a description, separators: an edit of them alone is a change of the root.
        hash += RowHash(i, root) + ExtrasHash(i - root, ExtrasOf(i));
    }
    return hash;
}

void BmLogic::BeginReadHashes() {
    readHashes_.clear();
    hashingRead_ = true;
    readHashesValid_ = true;
}

void BmLogic::AddReadRow(int index) {
    if (parents_[static_cast<std::size_t>(index)] < 0) readHashes_.push_back({index, 0});
    // Rows are appended at the end, below the root appended last.
    if (readHashes_.empty()) {
        readHashesValid_ = false;
        return;
    }
    ReadHash& read = readHashes_.back();
    read.sum += RowHash(index, read.root);
}

void BmLogic::ReplaceReadExtras(int index, std::string_view before, std::string_view after) {
    const auto above =
        std::upper_bound(readHashes_.begin(), readHashes_.end(), index,
                         [](int row, const ReadHash& read) { return row < read.root; });
    if (above == readHashes_.begin()) return;  // a row of an earlier read: not this read's
    ReadHash& read = *(above - 1);
    const int offset = index - read.root;
    read.sum += ExtrasHash(offset, after) - ExtrasHash(offset, before);
}

void BmLogic::EndReadHashes(bool rowsKept) {
    hashingRead_ = false;
    if (rowsKept && readHashesValid_) {
        for (const ReadHash& read : readHashes_) {
            RootInfo* info = MutableRootInfo(read.root);
            if (info == nullptr || info->hasSavedHash) continue;
            info->savedHash = read.sum;
            info->hasSavedHash = true;
        }
    }
    readHashes_.clear();
    // Roots the sums did not cover (rows removed after they were summed) are hashed whole.
    RememberRootsAsRead();
}

template <typename Visit>
void BmLogic::ForEachSourceRoot(Visit visit) const {
    const int count = std::min(glCT, tree_.Count());
    for (int i = 0; i < count; i += SubtreeWidth(i)) {
        const auto found = roots_.find(nodes_[static_cast<std::size_t>(i)]->Serial());
        if (found != roots_.end()) visit(i, found->second);
    }
}

void BmLogic::RememberRootsAsRead() {
    ForEachSourceRoot([this](int root, const RootInfo&) {
        RootInfo& info = roots_[nodes_[static_cast<std::size_t>(root)]->Serial()];
        if (info.hasSavedHash) return;
        info.savedHash = RootHash(root);
        info.hasSavedHash = true;
    });
}

std::vector<int> BmLogic::ChangedRoots() const {
    std::vector<int> changed;
    ForEachSourceRoot([this, &changed](int root, const RootInfo& info) {
        if (info.hasSavedHash && info.savedHash != RootHash(root)) changed.push_back(root);
    });
    return changed;
}

void BmLogic::MarkRootsSaved(const std::vector<int>& roots) {
    // One pass, each root hashed once: the saved ones take their hash now, the others are
    // compared with theirs.
    const std::unordered_set<int> saved(roots.begin(), roots.end());
    bool othersChanged = false;
    ForEachSourceRoot([&](int root, const RootInfo&) {
        RootInfo& info = roots_[nodes_[static_cast<std::size_t>(root)]->Serial()];
        if (saved.count(root) > 0) {
            info.savedHash = RootHash(root);
            info.hasSavedHash = true;
        } else if (info.hasSavedHash && info.savedHash != RootHash(root)) {
            othersChanged = true;
        }
    });
    // The collection counts as saved once no root holds changes any more; every hash is
    // current already.
    if (othersChanged) return;
    changed_ = false;
    history_.MarkSaved();
}

}  // namespace pernard
