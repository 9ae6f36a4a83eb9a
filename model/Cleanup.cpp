// The clean-up of many entries at once: deleting them, moving them into a folder of their root,
// replacing their URLs, merging folders of the same name. Each is one undo step built on the
// row primitives, whatever the number of entries: one pass over the table to take them out,
// one to put them where they go.

#include <algorithm>
#include <functional>
#include <unordered_map>

#include "model/BmLogic.h"

namespace pernard {

namespace {

std::string Summary(const char* step, int entries) {
    return std::string(step) + " : " + std::to_string(entries) + " 件";
}

// A folder's parent and name, which make it one of a group of the same name.
struct FolderKey {
    int parent;
    std::string_view name;
    bool operator==(const FolderKey&) const = default;
};

struct FolderKeyHash {
    std::size_t operator()(const FolderKey& key) const {
        return std::hash<std::string_view>()(key.name) * 31 + static_cast<std::size_t>(key.parent);
    }
};

}  // namespace

// ---------------------------------------------------------------- places

std::vector<ScatteredMove> BmLogic::MovesToEnd(const std::vector<int>& tops,
                                               const std::vector<int>& folders) const {
    std::vector<ScatteredMove> moves(tops.size());
    // removedBefore[j]: the rows of the blocks before block j.
    std::vector<int> removedBefore(tops.size() + 1, 0);
    std::unordered_map<int, int> leavingChildren;  // by parent: its children among the blocks
    for (std::size_t j = 0; j < tops.size(); ++j) {
        const std::size_t k = static_cast<std::size_t>(tops[j]);
        moves[j].width = SubtreeWidth(tops[j]);
        moves[j].from = {tops[j], parents_[k], nodes_[k]->Row()};
        removedBefore[j + 1] = removedBefore[j] + moves[j].width;
        ++leavingChildren[parents_[k]];
    }
    // The index a row outside the blocks has once they are out.
    auto kept = [&](int row) {
        const auto after = std::lower_bound(tops.begin(), tops.end(), row);
        return row - removedBefore[static_cast<std::size_t>(after - tops.begin())];
    };
    struct Destination {
        int folder = 0;    // index now
        int end = 0;       // where its new rows go, among the rows that stay
        int children = 0;  // its children that stay
        int width = 0;     // the rows it receives
        std::vector<std::size_t> blocks;
    };
    std::vector<Destination> destinations;
    std::unordered_map<int, std::size_t> destinationOf;
    for (std::size_t j = 0; j < tops.size(); ++j) {
        const auto [found, added] = destinationOf.emplace(folders[j], destinations.size());
        if (added) {
            const int folder = folders[j];
            Destination destination;
            destination.folder = folder;
            destination.end = kept(folder + SubtreeWidth(folder));
            const auto leaving = leavingChildren.find(folder);
            destination.children = nodes_[static_cast<std::size_t>(folder)]->ChildCount() -
                                   (leaving == leavingChildren.end() ? 0 : leaving->second);
            destinations.push_back(std::move(destination));
        }
        Destination& destination = destinations[found->second];
        destination.blocks.push_back(j);
        destination.width += moves[j].width;
    }
    // In table order of where the rows go; of two folders that end at the same row, the inner
    // one (the later) receives its rows first, so that they stay inside it.
    std::sort(destinations.begin(), destinations.end(),
              [](const Destination& a, const Destination& b) {
                  return a.end != b.end ? a.end < b.end : a.folder > b.folder;
              });
    std::vector<int> ends;
    std::vector<int> insertedThrough;  // rows inserted at this destination's end and before
    int inserted = 0;
    for (const Destination& destination : destinations) {
        ends.push_back(destination.end);
        inserted += destination.width;
        insertedThrough.push_back(inserted);
    }
    // The index in the final table of a row that stays.
    auto final = [&](int keptRow) {
        const auto after = std::upper_bound(ends.begin(), ends.end(), keptRow);
        const std::ptrdiff_t before = after - ends.begin();
        return keptRow + (before == 0 ? 0 : insertedThrough[static_cast<std::size_t>(before - 1)]);
    };
    inserted = 0;
    for (const Destination& destination : destinations) {
        int at = destination.end + inserted;
        int row = destination.children;
        const int parent = final(kept(destination.folder));
        for (std::size_t j : destination.blocks) {
            moves[j].to = {at, parent, row++};
            at += moves[j].width;
        }
        inserted += destination.width;
    }
    return moves;
}

int BmLogic::AppendFolderAtEnd(int parent, const std::string& name) {
    const int at = parent + SubtreeWidth(parent);
    OpenRows(at, 1);
    const std::size_t k = static_cast<std::size_t>(at);
    nodes_[k] = tree_.AddChildLast(nodes_[static_cast<std::size_t>(parent)], name);
    url_.Set(k, kFolderMarker);
    name_.Set(k, name);
    parents_[k] = parent;
    SetFolderImages(at, nodes_[k]);
    Record(InsertedRows(at, 1));
    return at;
}

// ---------------------------------------------------------------- delete and move

CleanupOutcome BmLogic::DeleteEntries(const std::vector<NodeRef>& entries, const char* step) {
    // An entry inside another listed one goes with it.
    const std::vector<int> tops = TopsOf(entries);
    CleanupOutcome outcome;
    for (int top : tops) outcome.entries += SubtreeWidth(top);
    outcome.summary = Summary(step, outcome.entries);
    if (tops.empty()) return outcome;
    StepScope scope(*this, step);
    Record(BlocksAction{TakeOutBlocks(tops, true), true});
    changed_ = true;
    CheckConsistency(step, true);
    return outcome;
}

int BmLogic::CountWithSubtrees(const std::vector<NodeRef>& entries) const {
    int count = 0;
    for (int top : TopsOf(entries)) count += SubtreeWidth(top);
    return count;
}

CleanupOutcome BmLogic::MoveIntoRootFolders(const std::vector<NodeRef>& entries,
                                            const std::string& folder, const char* step) {
    CleanupOutcome outcome;
    // Per root (by node): its folder of that name, when it has one.
    std::unordered_map<const TreeNode*, NodeRef> folderOf;
    std::vector<NodeRef> moving;
    std::vector<const TreeNode*> rootOfMoving;
    for (const NodeRef& entry : entries) {
        const int index = IndexOf(entry);
        if (index < 0 || IsRoot(index) || IsFolder(index)) continue;
        int root = index;
        while (!IsRoot(root)) root = ParentOf(root);
        const TreeNode* rootNode = nodes_[static_cast<std::size_t>(root)];
        auto [found, added] = folderOf.emplace(rootNode, NodeRef{});
        if (added) {
            for (int row = 0; row < rootNode->ChildCount(); ++row) {
                TreeNode* child = rootNode->Child(row);
                const int childIndex = IndexOf(child);
                if (IsFolder(childIndex) && glName[childIndex] == folder) {
                    found->second = tree_.Ref(child);
                    break;
                }
            }
        }
        // Already there: it stays where it is.
        if (found->second.node != nullptr && ParentOf(index) == IndexOf(found->second)) continue;
        moving.push_back(entry);
        rootOfMoving.push_back(rootNode);
    }
    // A folder is made only in a root with something to move into it.
    std::unordered_map<const TreeNode*, bool> receiving;
    for (const TreeNode* root : rootOfMoving) receiving[root] = true;
    int missing = 0;
    for (const auto& [root, held] : folderOf) {
        if (held.node == nullptr && receiving.count(root) > 0) ++missing;
    }
    if (moving.empty()) {
        outcome.summary = Summary(step, 0);
        return outcome;
    }
    if (!FitsCapacity(missing)) {
        outcome.refused = true;
        outcome.summary = kCapacityMessage;
        return outcome;
    }
    StepScope scope(*this, step);
    for (auto& [root, held] : folderOf) {
        if (held.node != nullptr || receiving.count(root) == 0) continue;
        const int made = AppendFolderAtEnd(IndexOf(root), folder);
        held = RefOf(made);
        ++outcome.foldersMade;
    }
    std::vector<std::pair<int, int>> rows;  // (entry, folder), by entry
    for (std::size_t k = 0; k < moving.size(); ++k) {
        rows.emplace_back(IndexOf(moving[k]), IndexOf(folderOf[rootOfMoving[k]]));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<int> tops, folders;
    for (const auto& [entry, destination] : rows) {
        tops.push_back(entry);
        folders.push_back(destination);
    }
    std::vector<ScatteredMove> moves = MovesToEnd(tops, folders);
    MoveBlocks(moves, true);
    Record(MoveBlocksAction{std::move(moves)});
    changed_ = true;
    outcome.entries = static_cast<int>(tops.size());
    outcome.summary = Summary(step, outcome.entries);
    if (outcome.foldersMade > 0) {
        outcome.summary +=
            "（フォルダー「" + folder + "」を " + std::to_string(outcome.foldersMade) + " 個作成）";
    }
    CheckConsistency(step, true);
    return outcome;
}

// ---------------------------------------------------------------- URLs

CleanupOutcome BmLogic::ReplaceUrls(const std::vector<UrlChange>& changes, const char* step) {
    CleanupOutcome outcome;
    StepScope scope(*this, step);
    for (const UrlChange& change : changes) {
        const int index = IndexOf(change.entry);
        if (index < 0 || IsFolder(index) || glUrl[index] != change.from) continue;
        if (change.to.empty() || change.to == change.from || change.to == kFolderMarker) continue;
        const EntryTexts before = TextsOf(index);
        EntryTexts after = before;
        after.url = change.to;
        ShowTexts(index, after);
        Record(TextsAction{index, before, std::move(after)});
        ++outcome.entries;
    }
    if (outcome.entries > 0) changed_ = true;
    outcome.summary = Summary(step, outcome.entries);
    CheckConsistency(step, true);
    return outcome;
}

// ---------------------------------------------------------------- folders of the same name

// Before the later folders' entries move, what each later folder held beyond the columns
// passes to the first of its name (and its first entry), in the order the entries move.
void BmLogic::KeepExtrasOfMerged(const std::vector<std::pair<int, int>>& merges) {
    for (const auto& [later, first] : merges) {
        EntryExtras kept = UnpackExtras(ExtrasOf(first));
        const EntryExtras leaving = UnpackExtras(ExtrasOf(later));
        const bool hasEntries = SubtreeWidth(later) > 1;
        EntryExtras firstMovedIn = hasEntries ? UnpackExtras(ExtrasOf(later + 1)) : EntryExtras{};
        MergeFolderExtras(kept, leaving, hasEntries ? &firstMovedIn : nullptr);
        ChangeExtras(first, PackExtras(kept));
        if (hasEntries) ChangeExtras(later + 1, PackExtras(firstMovedIn));
    }
}

CleanupOutcome BmLogic::MergeSameNameFolders(int parent, bool recursive) {
    constexpr const char* kStep = "同名フォルダーの統合";
    CleanupOutcome outcome;
    if (!IsValidIndex(parent) || !IsFolder(parent)) {
        outcome.summary = Summary(kStep, 0);
        return outcome;
    }
    StepScope scope(*this, kStep);
    const NodeRef within = RefOf(parent);
    // Each round merges the groups it can at once; a group inside a folder that is being
    // merged away waits for the next round, when it has arrived in the first folder.
    for (;;) {
        const int top = IndexOf(within);
        const int end = top + SubtreeWidth(top);
        std::unordered_map<FolderKey, int, FolderKeyHash> firstOf;
        std::vector<char> leaving(static_cast<std::size_t>(end - top), 0);
        std::vector<int> tops, folders;
        std::vector<NodeRef> emptied;
        std::vector<std::pair<int, int>> merges;  // (later folder, the first of its name)
        for (int i = top + 1; i < end; ++i) {
            const int folder = parents_[static_cast<std::size_t>(i)];
            if (!IsFolder(i) || (!recursive && folder != top)) continue;
            // A browser's own top folder (the bar, the other bookmarks…) is neither merged away
            // nor merged into: the store has a place for each.
            if (IsRoot(folder) && IsStoreRoleKey(UnpackExtras(ExtrasOf(i)).storeKey)) {
                continue;
            }
            const auto [first, added] = firstOf.emplace(FolderKey{folder, glName[i]}, i);
            if (added || leaving[static_cast<std::size_t>(folder - top)]) continue;
            const int width = SubtreeWidth(i);
            for (int row = i; row < i + width; ++row) {
                leaving[static_cast<std::size_t>(row - top)] = 1;
                if (parents_[static_cast<std::size_t>(row)] == i) {
                    tops.push_back(row);
                    folders.push_back(first->second);
                }
            }
            emptied.push_back(RefOf(i));
            merges.emplace_back(i, first->second);
        }
        if (emptied.empty()) break;
        KeepExtrasOfMerged(merges);
        if (!tops.empty()) {
            std::vector<ScatteredMove> moves = MovesToEnd(tops, folders);
            MoveBlocks(moves, true);
            Record(MoveBlocksAction{std::move(moves)});
        }
        std::vector<int> removed;
        for (const NodeRef& folder : emptied) removed.push_back(IndexOf(folder));
        std::sort(removed.begin(), removed.end());
        Record(BlocksAction{TakeOutBlocks(removed), true});
        outcome.entries += static_cast<int>(removed.size());
        changed_ = true;
        if (!recursive) break;
    }
    outcome.summary = Summary(kStep, outcome.entries);
    CheckConsistency(kStep, true);
    return outcome;
}

}  // namespace pernard
