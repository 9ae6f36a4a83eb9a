#include "model/EditingReference.h"

#include <algorithm>
#include <functional>

#include "model/EntryExtras.h"
#include "model/SyncId.h"
#include "model/Tags.h"
#include "util/Collation.h"

namespace pernard::testing {

namespace {

// The deepest level a folder may have (a root is level 1).
constexpr int kDeepestLevel = 19;

std::string Line(int index, int parent, std::string_view url, std::string_view name,
                 std::string_view added, std::string_view visited, std::string_view modified,
                 bool expanded, std::string_view extras) {
    std::string line = std::to_string(index) + " " + std::to_string(parent) + " [";
    for (std::string_view part :
         {name, std::string_view("] ["), url, std::string_view("] "), added, std::string_view("|"),
          visited, std::string_view("|"), modified}) {
        line += part;
    }
    return line + (expanded ? " +" : "") +
           (extras.empty() ? "" : " {" + std::string(extras) + "}") + "\n";
}

}  // namespace

std::string DumpWithState(const BmLogic& model) {
    std::string dump;
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        dump +=
            Line(i, model.gloya[k], model.glUrl[k], model.glName[k], model.glAdd[k],
                 model.glVisit[k], model.glLast[k], model.glNode[k]->Expanded(), model.ExtrasOf(i));
    }
    return dump;
}

RefTree RefTree::FromTable(const BmLogic& model) {
    RefTree tree;
    std::vector<RefEntry*> byIndex;
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        auto entry = std::make_unique<RefEntry>();
        entry->url = model.glUrl[k];
        entry->name = model.glName[k];
        entry->added = model.glAdd[k];
        entry->visited = model.glVisit[k];
        entry->modified = model.glLast[k];
        entry->expanded = model.glNode[k]->Expanded();
        entry->extras = model.ExtrasOf(i);
        byIndex.push_back(entry.get());
        const int parent = model.gloya[k];
        if (parent < 0) {
            tree.roots_.push_back(std::move(entry));
        } else {
            RefEntry* owner = byIndex[static_cast<std::size_t>(parent)];
            entry->parent = owner;
            owner->children.push_back(std::move(entry));
        }
    }
    return tree;
}

std::vector<RefEntry*> RefTree::Flat() const {
    std::vector<RefEntry*> flat;
    std::function<void(const std::vector<std::unique_ptr<RefEntry>>&)> walk =
        [&](const std::vector<std::unique_ptr<RefEntry>>& list) {
            for (const auto& entry : list) {
                flat.push_back(entry.get());
                walk(entry->children);
            }
        };
    walk(roots_);
    return flat;
}

std::string RefTree::Dump() const {
    const std::vector<RefEntry*> flat = Flat();
    std::string dump;
    for (std::size_t i = 0; i < flat.size(); ++i) {
        const RefEntry* e = flat[i];
        const int parent =
            e->parent == nullptr
                ? -1
                : static_cast<int>(std::find(flat.begin(), flat.end(), e->parent) - flat.begin());
        dump += Line(static_cast<int>(i), parent, e->url, e->name, e->added, e->visited,
                     e->modified, e->expanded, e->extras);
    }
    return dump;
}

std::vector<std::unique_ptr<RefEntry>>& RefTree::SiblingsOf(RefEntry* entry) {
    return entry->parent == nullptr ? roots_ : entry->parent->children;
}

int RefTree::RowOf(RefEntry* entry) {
    auto& siblings = SiblingsOf(entry);
    for (std::size_t row = 0; row < siblings.size(); ++row) {
        if (siblings[row].get() == entry) return static_cast<int>(row);
    }
    return -1;
}

std::unique_ptr<RefEntry> RefTree::Detach(RefEntry* entry) {
    auto& siblings = SiblingsOf(entry);
    const int row = RowOf(entry);
    std::unique_ptr<RefEntry> owned = std::move(siblings[static_cast<std::size_t>(row)]);
    siblings.erase(siblings.begin() + row);
    return owned;
}

void RefTree::Place(std::unique_ptr<RefEntry> entry, Where where, RefEntry* target) {
    if (where == Where::Into) {
        entry->parent = target;
        target->children.insert(target->children.begin(), std::move(entry));
        return;
    }
    const int row = RowOf(target) + (where == Where::After ? 1 : 0);
    entry->parent = target->parent;
    auto& siblings = SiblingsOf(target);
    siblings.insert(siblings.begin() + row, std::move(entry));
}

std::unique_ptr<RefEntry> RefTree::Copy(const RefEntry& entry, RefEntry* parent) {
    auto copy = std::make_unique<RefEntry>();
    copy->url = entry.url;
    copy->name = entry.name;
    copy->added = entry.added;
    copy->visited = entry.visited;
    copy->modified = entry.modified;
    // A copy is a new entry: it keeps no sync id.
    copy->extras = PackedWithoutSyncId(entry.extras);
    copy->parent = parent;
    for (const auto& child : entry.children) copy->children.push_back(Copy(*child, copy.get()));
    return copy;
}

int RefTree::Level(const RefEntry* entry) {
    int level = 0;
    for (; entry != nullptr; entry = entry->parent) ++level;
    return level;
}

int RefTree::DeepestFolderBelow(const RefEntry* entry) {
    int deepest = 0;
    for (const auto& child : entry->children) {
        if (child->IsFolder()) deepest = std::max(deepest, 1 + DeepestFolderBelow(child.get()));
    }
    return deepest;
}

int RefTree::Size(const RefEntry* entry) {
    int size = 1;
    for (const auto& child : entry->children) size += Size(child.get());
    return size;
}

bool RefTree::Contains(const RefEntry* ancestor, const RefEntry* entry) {
    for (; entry != nullptr; entry = entry->parent) {
        if (entry == ancestor) return true;
    }
    return false;
}

bool RefTree::Shown(const RefEntry* entry) const {
    for (const RefEntry* walk = entry->parent; walk != nullptr; walk = walk->parent) {
        if (!walk->expanded) return false;
    }
    return true;
}

RefEntry* RefTree::Next(RefEntry* entry, bool shown) {
    if (!entry->children.empty() && (!shown || entry->expanded)) return entry->children[0].get();
    for (RefEntry* walk = entry; walk != nullptr; walk = walk->parent) {
        auto& siblings = SiblingsOf(walk);
        const int row = RowOf(walk);
        if (row + 1 < static_cast<int>(siblings.size())) {
            return siblings[static_cast<std::size_t>(row + 1)].get();
        }
    }
    return nullptr;
}

RefEntry* RefTree::Previous(RefEntry* entry) {
    const int row = RowOf(entry);
    if (row == 0) return entry->parent;
    RefEntry* walk = SiblingsOf(entry)[static_cast<std::size_t>(row - 1)].get();
    while (walk->expanded && !walk->children.empty()) walk = walk->children.back().get();
    return walk;
}

// A new entry goes before the node shown after the reference; with nothing shown after it,
// into a reference folder as its last entry, or right after a reference bookmark. Nothing new
// becomes a top-level entry: it goes last into the reference's root instead.
void RefTree::PlaceNew(std::unique_ptr<RefEntry> created, RefEntry* entry, bool shownOrder) {
    RefEntry* next = shownOrder && !Shown(entry) ? nullptr : Next(entry, shownOrder);
    RefEntry* parent = next != nullptr ? next->parent : entry->IsFolder() ? entry : entry->parent;
    if (parent == nullptr) {
        RefEntry* root = entry;
        while (root->parent != nullptr) root = root->parent;
        created->parent = root;
        root->children.push_back(std::move(created));
    } else if (next != nullptr) {
        Place(std::move(created), Where::Before, next);
    } else if (entry->IsFolder()) {
        created->parent = entry;
        entry->children.push_back(std::move(created));
    } else {
        Place(std::move(created), Where::After, entry);
    }
}

RefEntry* RefTree::NewParent(RefEntry* entry, bool shownOrder) {
    RefEntry* next = shownOrder && !Shown(entry) ? nullptr : Next(entry, shownOrder);
    return next != nullptr ? next->parent : entry->IsFolder() ? entry : entry->parent;
}

bool RefTree::NewFolder(int reference, const std::string& name, bool shownOrder) {
    RefEntry* entry = Flat()[static_cast<std::size_t>(reference)];
    if (Count() + 1 > maxUrl) return false;
    RefEntry* parent = NewParent(entry, shownOrder);
    if (parent != nullptr && Level(parent) >= kDeepestLevel) return false;
    auto folder = std::make_unique<RefEntry>();
    folder->url = kFolderMarker;
    folder->name = name;
    PlaceNew(std::move(folder), entry, shownOrder);
    return true;
}

bool RefTree::NewUrl(int reference, const EntryTexts& fields, bool shownOrder) {
    RefEntry* entry = Flat()[static_cast<std::size_t>(reference)];
    if (Count() + 1 > maxUrl || fields.url == kFolderMarker) return false;
    auto url = std::make_unique<RefEntry>();
    url->url = fields.url;
    url->name = fields.name;
    url->added = fields.added;
    url->visited = fields.visited;
    url->modified = fields.modified;
    PlaceNew(std::move(url), entry, shownOrder);
    return true;
}

bool RefTree::EditUrl(int index, const EntryTexts& fields) {
    RefEntry* entry = Flat()[static_cast<std::size_t>(index)];
    if (entry->IsFolder() || fields.url == kFolderMarker) return false;
    entry->url = fields.url;
    entry->name = fields.name;
    entry->added = fields.added;
    entry->visited = fields.visited;
    entry->modified = fields.modified;
    return true;
}

bool RefTree::EditFolder(int index, const std::string& name, const std::string& saveUrl) {
    RefEntry* entry = Flat()[static_cast<std::size_t>(index)];
    if (!entry->IsFolder()) return false;
    entry->name = name;
    entry->visited = saveUrl;
    return true;
}

bool RefTree::Delete(int index) {
    Detach(Flat()[static_cast<std::size_t>(index)]);
    return true;
}

bool RefTree::Transfer(RefEntry* source, Where where, RefEntry* target, bool keep) {
    RefEntry* newParent = where == Where::Into ? target : target->parent;
    if (source->IsFolder() && Level(newParent) + 1 + DeepestFolderBelow(source) > kDeepestLevel) {
        return false;
    }
    if (keep && Count() + Size(source) > maxUrl) return false;
    const bool wasRoot = source->parent == nullptr;
    std::unique_ptr<RefEntry> entry = keep ? Copy(*source, nullptr) : Detach(source);
    if (wasRoot && newParent != nullptr) {
        entry->added.clear();
        entry->visited.clear();
    }
    Place(std::move(entry), where, target);
    return true;
}

bool RefTree::Drop(int source, int target, bool keep) {
    if (source == target) return false;
    const std::vector<RefEntry*> flat = Flat();
    RefEntry* from = flat[static_cast<std::size_t>(source)];
    RefEntry* onto = flat[static_cast<std::size_t>(target)];
    if (Contains(from, onto)) return false;
    return Transfer(from, onto->IsFolder() ? Where::Into : Where::After, onto, keep);
}

bool RefTree::Paste(int source, int target, bool cut) {
    const std::vector<RefEntry*> flat = Flat();
    RefEntry* from = flat[static_cast<std::size_t>(source)];
    RefEntry* onto = flat[static_cast<std::size_t>(target)];
    // A URL may be copied right after itself; nothing goes into its own subtree.
    if (Contains(from, onto) && (cut || from->IsFolder())) return false;
    return Transfer(from, onto->IsFolder() ? Where::Into : Where::After, onto, !cut);
}

bool RefTree::MoveUpDown(int index, bool up) {
    RefEntry* moving = Flat()[static_cast<std::size_t>(index)];
    if (!up) moving = Next(moving, true);
    if (moving == nullptr) return false;
    RefEntry* previous = Previous(moving);
    if (previous == nullptr) return false;
    if (moving->IsFolder()) {
        const Where where = previous->parent == moving->parent ? Where::Before
                            : previous->IsFolder()             ? Where::Into
                                                               : Where::After;
        return Transfer(moving, where, previous, false);
    }
    if (previous->IsFolder()) return false;
    return Transfer(previous, Where::After, moving, false);
}

bool RefTree::DeleteMany(const std::vector<int>& indices) {
    const std::vector<RefEntry*> flat = Flat();
    std::vector<RefEntry*> chosen;
    for (int index : indices) {
        RefEntry* entry = flat[static_cast<std::size_t>(index)];
        if (entry->parent != nullptr) chosen.push_back(entry);
    }
    // One inside another chosen entry goes with it.
    std::vector<RefEntry*> tops;
    for (RefEntry* entry : chosen) {
        const bool inside = std::any_of(chosen.begin(), chosen.end(), [&](RefEntry* other) {
            return other != entry && Contains(other, entry);
        });
        if (!inside && std::find(tops.begin(), tops.end(), entry) == tops.end()) {
            tops.push_back(entry);
        }
    }
    for (RefEntry* entry : tops) Detach(entry);
    return !tops.empty();
}

std::vector<RefEntry*> RefTree::TopsOf(const std::vector<int>& indices) const {
    const std::vector<RefEntry*> flat = Flat();
    std::vector<int> sorted = indices;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<RefEntry*> chosen;
    for (int index : sorted) {
        RefEntry* entry = flat[static_cast<std::size_t>(index)];
        if (entry->parent != nullptr) chosen.push_back(entry);
    }
    std::vector<RefEntry*> tops;
    for (RefEntry* entry : chosen) {
        const bool inside = std::any_of(chosen.begin(), chosen.end(), [&](RefEntry* other) {
            return other != entry && Contains(other, entry);
        });
        if (!inside) tops.push_back(entry);
    }
    return tops;
}

bool RefTree::TransferMany(const std::vector<int>& indices, int target, bool keep) {
    const std::vector<RefEntry*> tops = TopsOf(indices);
    if (tops.empty()) return false;
    RefEntry* onto = Flat()[static_cast<std::size_t>(target)];
    const Where where = onto->IsFolder() ? Where::Into : Where::After;
    RefEntry* newParent = where == Where::Into ? onto : onto->parent;
    int added = 0;
    for (RefEntry* top : tops) {
        if (Contains(top, onto) && (!keep || top->IsFolder())) return false;
        added += Size(top);
    }
    if (keep && Count() + added > maxUrl) return false;
    for (RefEntry* top : tops) {
        if (top->IsFolder() && Level(newParent) + 1 + DeepestFolderBelow(top) > kDeepestLevel) {
            return false;
        }
    }
    std::vector<std::unique_ptr<RefEntry>> moving;
    for (RefEntry* top : tops) moving.push_back(keep ? Copy(*top, nullptr) : Detach(top));
    // The first lands where one entry would, each next one right after the one before.
    Where next = where;
    RefEntry* anchor = onto;
    for (auto& entry : moving) {
        RefEntry* placed = entry.get();
        Place(std::move(entry), next, anchor);
        next = Where::After;
        anchor = placed;
    }
    return true;
}

bool RefTree::MoveManyUpDown(const std::vector<int>& indices, bool up) {
    const std::vector<RefEntry*> tops = TopsOf(indices);
    bool moved = false;
    std::vector<RefEntry*> done;
    for (RefEntry* top : tops) {
        RefEntry* folder = top->parent;
        if (std::find(done.begin(), done.end(), folder) != done.end()) continue;
        done.push_back(folder);
        auto& children = folder->children;
        auto chosen = [&](std::size_t row) {
            return std::find(tops.begin(), tops.end(), children[row].get()) != tops.end();
        };
        // Each run of chosen children and the unchosen neighbour on the side it moves towards
        // trade places: the neighbour goes to the run's other end.
        std::size_t row = 0;
        while (row < children.size()) {
            if (!chosen(row)) {
                ++row;
                continue;
            }
            std::size_t end = row;
            while (end < children.size() && chosen(end)) ++end;
            const auto first = children.begin() + static_cast<std::ptrdiff_t>(row);
            const auto last = children.begin() + static_cast<std::ptrdiff_t>(end);
            if (up && row > 0) {
                std::rotate(first - 1, first, last);
                moved = true;
            } else if (!up && end < children.size()) {
                std::rotate(first, last, last + 1);
                moved = true;
                ++end;  // the neighbour now ends the run's place
            }
            row = end;
        }
    }
    return moved;
}

bool RefTree::MoveIntoRootFolders(const std::vector<int>& indices, const std::string& folder) {
    const std::vector<RefEntry*> flat = Flat();
    std::vector<int> sorted = indices;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    auto folderOf = [&](RefEntry* root) -> RefEntry* {
        for (const auto& child : root->children) {
            if (child->IsFolder() && child->name == folder) return child.get();
        }
        return nullptr;
    };
    std::vector<std::pair<RefEntry*, RefEntry*>> moving;  // entry, its root
    for (int index : sorted) {
        RefEntry* entry = flat[static_cast<std::size_t>(index)];
        if (entry->parent == nullptr || entry->IsFolder()) continue;
        RefEntry* root = entry;
        while (root->parent != nullptr) root = root->parent;
        RefEntry* existing = folderOf(root);
        if (existing != nullptr && entry->parent == existing) continue;
        moving.emplace_back(entry, root);
    }
    std::vector<RefEntry*> lacking;
    for (const auto& [entry, root] : moving) {
        if (folderOf(root) == nullptr &&
            std::find(lacking.begin(), lacking.end(), root) == lacking.end()) {
            lacking.push_back(root);
        }
    }
    if (moving.empty() || Count() + static_cast<int>(lacking.size()) > maxUrl) return false;
    for (RefEntry* root : lacking) {
        auto made = std::make_unique<RefEntry>();
        made->url = kFolderMarker;
        made->name = folder;
        made->parent = root;
        root->children.push_back(std::move(made));
    }
    for (const auto& [entry, root] : moving) {
        RefEntry* destination = folderOf(root);
        std::unique_ptr<RefEntry> owned = Detach(entry);
        owned->parent = destination;
        destination->children.push_back(std::move(owned));
    }
    return true;
}

bool RefTree::ReplaceUrl(int index, const std::string& from, const std::string& to) {
    RefEntry* entry = Flat()[static_cast<std::size_t>(index)];
    if (entry->IsFolder() || entry->url != from || to.empty() || to == from ||
        to == kFolderMarker) {
        return false;
    }
    entry->url = to;
    return true;
}

bool RefTree::ChangeTags(const std::vector<int>& indices, const std::vector<std::string>& tags,
                         bool add) {
    const std::vector<RefEntry*> flat = Flat();
    bool changed = false;
    for (int index : indices) {
        RefEntry* entry = flat[static_cast<std::size_t>(index)];
        if (entry->IsFolder()) continue;
        EntryExtras extras = UnpackExtras(entry->extras);
        const std::vector<std::string> before = TagList(extras.attributes);
        const std::vector<std::string> after =
            add ? TagsAdded(before, tags) : TagsRemoved(before, tags);
        if (after == before) continue;
        extras.attributes = WithTags(extras.attributes, after);
        entry->extras = PackExtras(extras);
        changed = true;
    }
    return changed;
}

// The folders of one name among the children, merged into the first: the later ones' children
// appended in order, the later ones removed; then, recursively, the same inside each child.
int RefTree::MergeChildren(RefEntry* folder, bool recursive) {
    int merged = 0;
    auto& children = folder->children;
    for (std::size_t first = 0; first < children.size(); ++first) {
        RefEntry* keeper = children[first].get();
        if (!keeper->IsFolder()) continue;
        for (std::size_t later = first + 1; later < children.size();) {
            RefEntry* other = children[later].get();
            if (!other->IsFolder() || other->name != keeper->name) {
                ++later;
                continue;
            }
            EntryExtras kept = UnpackExtras(keeper->extras);
            const bool hasEntries = !other->children.empty();
            EntryExtras firstMovedIn =
                hasEntries ? UnpackExtras(other->children.front()->extras) : EntryExtras{};
            MergeFolderExtras(kept, UnpackExtras(other->extras),
                              hasEntries ? &firstMovedIn : nullptr);
            keeper->extras = PackExtras(kept);
            if (hasEntries) other->children.front()->extras = PackExtras(firstMovedIn);
            for (auto& child : other->children) {
                child->parent = keeper;
                keeper->children.push_back(std::move(child));
            }
            children.erase(children.begin() + static_cast<std::ptrdiff_t>(later));
            ++merged;
        }
    }
    if (recursive) {
        for (auto& child : children) {
            if (child->IsFolder()) merged += MergeChildren(child.get(), true);
        }
    }
    return merged;
}

bool RefTree::MergeSameNameFolders(int index, bool recursive) {
    RefEntry* entry = Flat()[static_cast<std::size_t>(index)];
    return entry->IsFolder() && MergeChildren(entry, recursive) > 0;
}

bool RefTree::Sort(int index, const SortOptions& options) {
    const std::vector<RefEntry*> before = Flat();
    RefEntry* folder = before[static_cast<std::size_t>(index)];
    if (!folder->IsFolder()) return false;
    SortChildren(folder, options);
    return Flat() != before;
}

// The keys spelt out plainly: the test's dates are whole numbers or empty.
void RefTree::SortChildren(RefEntry* folder, const SortOptions& options) {
    static const JapaneseCollation collation;
    struct Key {
        bool afterFolders, missing;
        long long date;
        std::string text;
    };
    auto keyOf = [&](const RefEntry& entry) {
        const bool isFolder = entry.IsFolder();
        Key key{options.foldersFirst && !isFolder, false, 0, {}};
        auto date = [&](const std::string& text) {
            key.missing = text.empty() || std::stoll(text) <= 0;
            if (!key.missing) key.date = std::stoll(text);
        };
        switch (options.by) {
            case SortField::Name:
                key.text = collation.SortKey(entry.name);
                break;
            case SortField::Url:
                key.missing = isFolder;
                key.text = entry.url;
                break;
            case SortField::Added:
                date(entry.added);
                break;
            case SortField::Visited:
                if (isFolder)
                    key.missing = true;
                else
                    date(entry.visited);
                break;
            case SortField::Modified:
                date(entry.modified);
                break;
        }
        return key;
    };
    auto less = [&](const Key& a, const Key& b) {
        if (a.afterFolders != b.afterFolders) return b.afterFolders;
        if (a.missing || b.missing) return !a.missing && b.missing;
        const bool byDate = options.by != SortField::Name && options.by != SortField::Url;
        if (options.descending) return byDate ? a.date > b.date : a.text > b.text;
        return byDate ? a.date < b.date : a.text < b.text;
    };
    std::vector<std::pair<Key, std::unique_ptr<RefEntry>>> keyed;
    for (auto& child : folder->children) keyed.emplace_back(keyOf(*child), std::move(child));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&](const auto& a, const auto& b) { return less(a.first, b.first); });
    for (std::size_t k = 0; k < keyed.size(); ++k) folder->children[k] = std::move(keyed[k].second);
    if (!options.recursive) return;
    for (auto& child : folder->children) {
        if (child->IsFolder()) SortChildren(child.get(), options);
    }
}

}  // namespace pernard::testing
