#pragma once
// A plain reference for the editing operations: the collection as a tree of nodes with
// children lists, edited by detaching and attaching nodes. It knows nothing of rows, so
// comparing its pre-order listing with the entry table checks all the table's index work.

#include <memory>
#include <string>
#include <vector>

#include "model/BmLogic.h"
#include "model/Sorting.h"

namespace pernard::testing {

struct RefEntry {
    std::string url, name, added, visited, modified;
    std::string extras;  // packed; they travel with the entry
    bool expanded = false;
    RefEntry* parent = nullptr;
    std::vector<std::unique_ptr<RefEntry>> children;
    bool IsFolder() const { return url == kFolderMarker; }
};

class RefTree {
public:
    // The reference of a table (its shape, texts and the tree's expanded flags).
    static RefTree FromTable(const BmLogic& model);

    std::vector<RefEntry*> Flat() const;
    int Count() const { return static_cast<int>(Flat().size()); }
    // One line per entry: index, parent, texts and expanded flag.
    std::string Dump() const;

    bool NewFolder(int reference, const std::string& name, bool shownOrder);
    bool NewUrl(int reference, const EntryTexts& fields, bool shownOrder);
    bool EditUrl(int index, const EntryTexts& fields);
    bool EditFolder(int index, const std::string& name, const std::string& saveUrl);
    bool Delete(int index);
    bool Drop(int source, int target, bool keep);
    bool Paste(int source, int target, bool cut);
    bool MoveUpDown(int index, bool up);
    // The clean-up of many entries at once (BmLogic::DeleteEntries, ...): true when anything
    // changed.
    bool DeleteMany(const std::vector<int>& indices);
    bool MoveIntoRootFolders(const std::vector<int>& indices, const std::string& folder);
    // Many entries chosen together (BmLogic::TransferEntries, MoveEntriesUpDown).
    bool TransferMany(const std::vector<int>& indices, int target, bool keep);
    bool MoveManyUpDown(const std::vector<int>& indices, bool up);
    bool ReplaceUrl(int index, const std::string& from, const std::string& to);
    // Tags added to (or removed from) the chosen bookmarks (BmLogic::ChangeTags).
    bool ChangeTags(const std::vector<int>& indices, const std::vector<std::string>& tags,
                    bool add);
    bool MergeSameNameFolders(int index, bool recursive);
    // The children of folder `index` (and with `recursive` of every folder below it) sorted
    // stably; false when it is no folder or nothing moved.
    bool Sort(int index, const SortOptions& options);
    void SetExpanded(int index, bool expanded) {
        Flat()[static_cast<std::size_t>(index)]->expanded = expanded;
    }

    int maxUrl = 1000;

private:
    enum class Where { Into, After, Before };
    std::vector<std::unique_ptr<RefEntry>>& SiblingsOf(RefEntry* entry);
    int RowOf(RefEntry* entry);
    std::unique_ptr<RefEntry> Detach(RefEntry* entry);
    void Place(std::unique_ptr<RefEntry> entry, Where where, RefEntry* target);
    void PlaceNew(std::unique_ptr<RefEntry> created, RefEntry* entry, bool shownOrder);
    RefEntry* NewParent(RefEntry* entry, bool shownOrder);
    static std::unique_ptr<RefEntry> Copy(const RefEntry& entry, RefEntry* parent);
    static int Level(const RefEntry* entry);
    static int DeepestFolderBelow(const RefEntry* entry);
    static int Size(const RefEntry* entry);
    static bool Contains(const RefEntry* ancestor, const RefEntry* entry);
    RefEntry* Next(RefEntry* entry, bool shown);
    RefEntry* Previous(RefEntry* entry);
    bool Shown(const RefEntry* entry) const;
    bool Transfer(RefEntry* source, Where where, RefEntry* target, bool keep);
    static int MergeChildren(RefEntry* folder, bool recursive);
    // The chosen entries that are no roots and lie inside no other chosen one, in tree order.
    std::vector<RefEntry*> TopsOf(const std::vector<int>& indices) const;
    static void SortChildren(RefEntry* folder, const SortOptions& options);

    std::vector<std::unique_ptr<RefEntry>> roots_;
};

// A one-line-per-entry listing of the table in the reference's format.
std::string DumpWithState(const BmLogic& model);

}  // namespace pernard::testing
