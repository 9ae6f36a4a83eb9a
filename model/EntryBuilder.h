#pragma once
// Appends a collection to the entry table in reading order, the way a reader meets it: a root,
// then folders opened and closed around bookmarks and separators. Each entry may carry extras
// (model/EntryExtras.h); separators become extras of the entry after them, or of the folder
// whose end they stand at.

#include <string>
#include <string_view>
#include <vector>

#include "model/BmLogic.h"
#include "model/EntryExtras.h"

namespace pernard {

class EntryBuilder {
public:
    using Outcome = BmLogic::Outcome;

    explicit EntryBuilder(BmLogic& model) : model_(model) {}

    // A new root at the end of the table, of source kind `source` read from `sourcePath`.
    Outcome AddRoot(const std::string& name, const std::string& source,
                    const std::string& sourcePath);
    // A folder below the folder open now; it stays open until CloseFolder. A folder that
    // would be too deep is not added: the caller leaves its contents out. Before AddRoot,
    // OpenFolder and AddBookmark add nothing (OutOfOrder).
    Outcome OpenFolder(const std::string& name, const std::string& added, EntryExtras extras);
    void CloseFolder();
    Outcome AddBookmark(const EntryTexts& fields, EntryExtras extras);
    void AddSeparator() { ++pendingSeparators_; }
    // Closes every folder still open.
    void Finish();

    int Root() const { return root_; }
    int UrlCount() const { return urlCount_; }

private:
    // Stores the extras of the entry just appended, with the separators before it.
    Outcome Appended(const BmLogic::Appended& appended, EntryExtras& extras);
    // The separators waiting for an entry stand at the end of `folder`'s list.
    void SeparatorsEnd(int folder);

    BmLogic& model_;
    int root_ = -1;
    int urlCount_ = 0;
    int pendingSeparators_ = 0;
    std::vector<int> open_;  // the open folders, the root first
};

}  // namespace pernard
