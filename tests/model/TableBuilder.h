#pragma once
// Builds entry tables the way the readers do: a root, then folders and URLs appended under the
// folder open at a level (1 is the root).

#include <string>

#include "model/BmLogic.h"

namespace pernard::testing {

struct TableBuilder {
    static int Root(BmLogic& model, const std::string& name,
                    const std::string& path = "/tmp/bookmark.htm") {
        model.glDepth = 0;
        model.glSource = kSourceNetscape;
        return Append(model, true, false, name, path);
    }
    static int Folder(BmLogic& model, int level, const std::string& name) {
        model.glDepth = level;
        const int index = model.glCT;
        if (!model.PrepareSlot()) return -1;
        model.glUrl[static_cast<std::size_t>(index)] = kFolderMarker;
        return Append(model, false, false, name, "");
    }
    static int Url(BmLogic& model, int level, const UrlFields& fields) {
        model.glDepth = level;
        const int index = model.glCT;
        if (!model.PrepareSlot()) return -1;
        const std::size_t k = static_cast<std::size_t>(index);
        model.glUrl[k] = fields.url;
        model.glName[k] = fields.name;
        model.glAdd[k] = fields.added;
        model.glVisit[k] = fields.visited;
        model.glLast[k] = fields.modified;
        return Append(model, false, true, fields.name, "");
    }

private:
    static int Append(BmLogic& model, bool top, bool url, const std::string& name,
                      const std::string& path) {
        const int index = model.glCT;
        if (top && !model.PrepareSlot()) return -1;
        if (!model.AddEntry(top, url, name, path)) return -1;
        ++model.glCT;
        return index;
    }
};

}  // namespace pernard::testing
