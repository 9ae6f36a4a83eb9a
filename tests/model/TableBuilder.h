#pragma once
// Builds entry tables the way the readers do: a root, then folders and URLs appended under the
// folder open at a level (1 is the root) on the path to the last entry.

#include <string>

#include "model/BmLogic.h"
#include "support/TableSurgery.h"

namespace pernard::testing {

struct TableBuilder {
    static int Root(BmLogic& model, const std::string& name,
                    const std::string& path = "/tmp/bookmark.htm") {
        return TableSurgery::AppendRoot(model, name, SourceKind::BookmarkFile, path).index;
    }
    static int Folder(BmLogic& model, int level, const std::string& name) {
        return TableSurgery::AppendFolder(model, model.OpenFolderAt(level), name, "", "").index;
    }
    static int Url(BmLogic& model, int level, const EntryTexts& fields) {
        return TableSurgery::AppendBookmark(model, model.OpenFolderAt(level), fields).index;
    }
};

}  // namespace pernard::testing
