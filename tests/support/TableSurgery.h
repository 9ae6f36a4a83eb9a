#pragma once
// Writes straight into the entry table, past every operation: for tests that need a table no
// operation makes (a broken parent, a text changed without a step).

#include <string>
#include <string_view>

#include "model/BmLogic.h"

namespace pernard {

struct TableSurgery {
    static void SetParent(BmLogic& model, int row, int parent) {
        model.parents_[static_cast<std::size_t>(row)] = parent;
    }
    static void SetName(BmLogic& model, int row, std::string_view name) {
        model.name_.Set(static_cast<std::size_t>(row), name);
    }
    // The tree itself, to change past the table.
    static TreeNodes& Tree(BmLogic& model) { return model.tree_; }
    static void SetChanged(BmLogic& model, bool changed) { model.changed_ = changed; }
    // Extras as a reader would have set them.
    static void SetExtras(BmLogic& model, int row, std::string_view packed) {
        model.SetExtras(row, packed);
    }
    static void SetVisited(BmLogic& model, int row, std::string_view visited) {
        model.visited_.Set(static_cast<std::size_t>(row), visited);
    }
    // A table built row by row, as a load builds it but without one.
    static bool ResetEntryTable(BmLogic& model, std::string& errorText) {
        return model.ResetEntryTable(errorText);
    }
    static BmLogic::Appended AppendRoot(BmLogic& model, std::string_view name, SourceKind kind,
                                        std::string_view sourcePath) {
        return model.AppendRoot(name, kind, sourcePath);
    }
    static BmLogic::Appended AppendFolder(BmLogic& model, int parent, std::string_view name,
                                          std::string_view added, std::string_view saveUrl) {
        return model.AppendFolder(parent, name, added, saveUrl);
    }
    static BmLogic::Appended AppendBookmark(BmLogic& model, int parent, const EntryViews& texts) {
        return model.AppendBookmark(parent, texts);
    }
    static void SetRootCharset(BmLogic& model, int root, const std::string& charset) {
        model.SetRootCharset(root, charset);
    }
    // The capacity, as a MaxURL setting would give it.
    static void SetCapacity(BmLogic& model, int capacity) { model.maxUrl_ = capacity; }
};

}  // namespace pernard
