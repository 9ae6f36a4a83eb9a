// Sorting the entries of a folder. The keys are made once per entry (a collation key for a name,
// a number for a date), then each folder's children are sorted stably by them and the folder's
// rows are put in the new order in one pass: each child's subtree moves with it as a block, so
// the table stays in tree order, and every entry keeps its node (with its extras, separators
// before it included) and its identity for undo.

#include "model/Sorting.h"

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "model/BmLogic.h"
#include "util/Collation.h"
#include "util/Dates.h"

namespace pernard {

namespace {

struct SortKey {
    bool afterFolders = false;  // folders first: a bookmark comes after every folder
    bool missing = false;       // no key: after every entry that has one
    double date = 0;
    std::string text;  // a name's collation key, or a URL's bytes
};

SortKey KeyOf(const BmLogic& model, int entry, const SortOptions& options,
              const JapaneseCollation* collation) {
    SortKey key;
    const bool folder = model.IsFolder(entry);
    key.afterFolders = options.foldersFirst && !folder;
    auto dateKey = [&](std::string_view seconds) {
        key.missing = IsNeverDate(seconds) || !SecondsToDate(seconds, key.date);
    };
    switch (options.by) {
        case SortField::Name:
            key.text = collation->SortKey(model.glName[entry]);
            break;
        case SortField::Url:
            // A folder's URL column holds only the folder marker.
            key.missing = folder;
            if (!folder) key.text = model.glUrl[entry];
            break;
        case SortField::Added:
            dateKey(model.glAdd[entry]);
            break;
        case SortField::Visited:
            // A folder's visit column holds its save URL.
            key.missing = folder;
            if (!folder) dateKey(model.glVisit[entry]);
            break;
        case SortField::Modified:
            dateKey(model.glLast[entry]);
            break;
    }
    return key;
}

bool DatesCompared(SortField field) {
    return field == SortField::Added || field == SortField::Visited || field == SortField::Modified;
}

// Strict order of two keys; equal keys are neither before the other, so a stable sort keeps
// their order whichever the direction.
struct KeyOrder {
    bool dates;
    bool descending;
    bool operator()(const SortKey& a, const SortKey& b) const {
        if (a.afterFolders != b.afterFolders) return b.afterFolders;
        if (a.missing != b.missing) return b.missing;
        if (a.missing) return false;
        if (dates) return descending ? a.date > b.date : a.date < b.date;
        const int compared = a.text.compare(b.text);
        return descending ? compared > 0 : compared < 0;
    }
};

// Only names need the collation, which takes a moment to open.
std::unique_ptr<JapaneseCollation> CollationFor(const SortOptions& options) {
    if (options.by != SortField::Name) return nullptr;
    return std::make_unique<JapaneseCollation>();
}

}  // namespace

bool ParseSortField(std::string_view word, SortField& field) {
    static constexpr std::pair<std::string_view, SortField> kWords[] = {
        {"name", SortField::Name},
        {"url", SortField::Url},
        {"added", SortField::Added},
        {"visited", SortField::Visited}};
    for (const auto& [name, value] : kWords) {
        if (word == name) {
            field = value;
            return true;
        }
    }
    return false;
}

std::vector<int> SortedEntries(const BmLogic& model, std::vector<int> entries,
                               const SortOptions& options) {
    const std::unique_ptr<JapaneseCollation> collation = CollationFor(options);
    std::vector<std::pair<SortKey, int>> keyed;
    keyed.reserve(entries.size());
    for (int entry : entries) {
        keyed.emplace_back(KeyOf(model, entry, options, collation.get()), entry);
    }
    const KeyOrder before{DatesCompared(options.by), options.descending};
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&](const auto& a, const auto& b) { return before(a.first, b.first); });
    for (std::size_t k = 0; k < keyed.size(); ++k) entries[k] = keyed[k].second;
    return entries;
}

std::vector<int> InverseOrder(const std::vector<int>& order) {
    std::vector<int> inverse(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        inverse[static_cast<std::size_t>(order[k])] = static_cast<int>(k);
    }
    return inverse;
}

bool BmLogic::SortFolder(int folder, const SortOptions& options) {
    if (!IsValidIndex(folder) || !IsFolder(folder)) return false;
    const int first = folder + 1;
    const int count = SubtreeWidth(folder) - 1;
    if (count < 2) return false;
    // The width of each row's subtree, from the end backwards: a child adds its own to its
    // parent's.
    std::vector<int> widths(static_cast<std::size_t>(count), 1);
    for (int r = count - 1; r >= 0; --r) {
        const int parent = parents_[static_cast<std::size_t>(first + r)];
        if (parent >= first) widths[static_cast<std::size_t>(parent - first)] += widths[r];
    }
    auto widthOf = [&](int row) {
        return row == folder ? count + 1 : widths[static_cast<std::size_t>(row - first)];
    };
    // The keys of the entries that are sorted: the folder's children, or every entry below it.
    const std::unique_ptr<JapaneseCollation> collation = CollationFor(options);
    std::vector<SortKey> keys(static_cast<std::size_t>(count));
    for (int r = 0; r < count; ++r) {
        const int row = first + r;
        if (options.recursive || parents_[static_cast<std::size_t>(row)] == folder) {
            keys[static_cast<std::size_t>(r)] = KeyOf(*this, row, options, collation.get());
        }
    }
    const KeyOrder before{DatesCompared(options.by), options.descending};

    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(count));
    // Lists the rows below `parent` in the new order (the depth of the recursion is the
    // folders' depth limit).
    auto place = [&](auto& self, int parent) -> void {
        std::vector<int> children;
        for (int child = parent + 1; child < parent + widthOf(parent); child += widthOf(child)) {
            children.push_back(child);
        }
        std::stable_sort(children.begin(), children.end(), [&](int a, int b) {
            return before(keys[static_cast<std::size_t>(a - first)],
                          keys[static_cast<std::size_t>(b - first)]);
        });
        for (int child : children) {
            order.push_back(child - first);
            if (options.recursive && IsFolder(child)) {
                self(self, child);
            } else {
                for (int row = child + 1; row < child + widthOf(child); ++row) {
                    order.push_back(row - first);
                }
            }
        }
    };
    place(place, folder);

    bool moved = false;
    for (int k = 0; k < count && !moved; ++k) moved = order[static_cast<std::size_t>(k)] != k;
    if (!moved) return false;
    StepScope step(*this, "並べ替え");
    ApplyRowOrder(first, order);
    Record(OrderAction{first, std::move(order)});
    changed_ = true;
    CheckConsistency("並べ替え", true);
    return true;
}

void BmLogic::ApplyRowOrder(int first, const std::vector<int>& order) {
    const std::size_t base = static_cast<std::size_t>(first);
    const std::size_t count = order.size();
    ForEachColumn([&](auto& column) {
        using Value = std::decay_t<decltype(column[0])>;
        std::vector<Value> rows;
        rows.reserve(count);
        for (int offset : order)
            rows.push_back(std::move(column[base + static_cast<std::size_t>(offset)]));
        for (std::size_t k = 0; k < count; ++k) column[base + k] = std::move(rows[k]);
    });
    // A parent inside the rows moved with them; the folder itself and the rows after it did not
    // (nothing after the folder's contents has a parent among them).
    const std::vector<int> newOffset = InverseOrder(order);
    for (std::size_t k = 0; k < count; ++k) {
        int& parent = parents_[base + k];
        if (parent >= first) parent = first + newOffset[static_cast<std::size_t>(parent - first)];
    }
    // Each parent's children in table order: its new order in the tree.
    std::vector<std::vector<TreeNode*>> childrenOf(count + 1);
    for (std::size_t k = 0; k < count; ++k) {
        const int parent = parents_[base + k];
        childrenOf[static_cast<std::size_t>(parent - first + 1)].push_back(nodes_[base + k]);
    }
    std::vector<TreeNodes::ChildOrder> orders;
    for (std::size_t k = 0; k <= count; ++k) {
        if (childrenOf[k].empty()) continue;
        orders.push_back({nodes_[base + k - 1], std::move(childrenOf[k])});
    }
    tree_.Reorder(orders);
    InvalidateUrlIndex();
}

}  // namespace pernard
