#pragma once
// What a write of a Chromium store leaves out of the entries it writes: the file has a place for
// names, URLs, dates, a description and a nickname, but none for tags, icons, separators, a
// heading, the other lines of a shortcut file or any other attribute of a bookmark file, nor for
// a new name of one of the browser's own folders. Said,
// by kind and count, before the write and after it.

#include <string>

#include "model/BmLogic.h"
#include "model/EntryExtras.h"

namespace pernard {

struct StoreLeftOut {
    // Entries that held each kind.
    int tags = 0;
    int icons = 0;
    int separators = 0;
    int headings = 0;
    int shortcutLines = 0;
    int otherAttributes = 0;
    // The browser's own top folders renamed in the table: the browser names them itself, and
    // the file keeps the names it had.
    int ownFolderNames = 0;
    // Entries that held any of them.
    int entries = 0;

    void Add(const EntryExtras& extras);
    bool Any() const { return entries > 0; }
    // The kinds held, with their counts: "タグ 3 件、アイコン 1 件".
    std::string Listed() const;
};

// What a write of root `root` to its store would leave out.
StoreLeftOut StoreLeftOutOf(const BmLogic& model, int root);

// Asked before the write when it would leave something out.
std::string StoreLeftOutQuestion(const StoreLeftOut& leftOut);
// Said after the write that left it out.
std::string StoreLeftOutMessage(const StoreLeftOut& leftOut);

}  // namespace pernard
