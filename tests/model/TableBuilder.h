#pragma once
// Builds entry tables the way the readers do: a root, then folders and URLs appended under the
// folder open at a level (1 is the root) on the path to the last entry.

#include <string>

#include "model/BmLogic.h"

namespace pernard::testing {

struct TableBuilder {
    static int Root(BmLogic& model, const std::string& name,
                    const std::string& path = "/tmp/bookmark.htm") {
        return model.AppendRoot(name, SourceKind::BookmarkFile, path).index;
    }
    static int Folder(BmLogic& model, int level, const std::string& name) {
        return model.AppendFolder(model.OpenFolderAt(level), name, "", "").index;
    }
    static int Url(BmLogic& model, int level, const EntryTexts& fields) {
        return model.AppendBookmark(model.OpenFolderAt(level), fields).index;
    }
};

}  // namespace pernard::testing
