// Any bytes read as a Chromium Bookmarks file keep the table's invariants, and what was read
// written as a bookmark file reads back as the same entries. The entries' store keys (which tie
// them to the store's nodes, and lay a store's top folders out as the browser's export) are
// dropped before the save: no bookmark file holds them.

#include <string>

#include "commands/LoadCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "fuzz/FuzzSupport.h"
#include "model/EntryExtras.h"

using namespace pernard;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::FuzzModel first;
    first.settings.maxUrl = size > 0 && data[0] % 4 == 0 ? "7" : "100000";
    LoadSource(first.model, true, fuzz::ScratchFile(bytes, "-Bookmarks"), SourceKind::Chromium);
    fuzz::CheckInvariants(first.model);
    if (first.model.glCT == 0) return 0;
    for (int k = 0; k < first.model.glCT; ++k) first.model.SetStoreKey(k, "");
    fuzz::FuzzModel again;
    LoadSource(again.model, true, fuzz::ScratchFile(BookmarkFileText(first.model, 0), "-saved.htm"),
               SourceKind::BookmarkFile);
    fuzz::CheckInvariants(again.model);
    FUZZ_CHECK(again.model.glCT == first.model.glCT);
    for (int k = 1; k < first.model.glCT; ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        FUZZ_CHECK(again.model.gloya[i] == first.model.gloya[i]);
        FUZZ_CHECK(again.model.glName[i] == first.model.glName[i]);
        FUZZ_CHECK(again.model.glUrl[i] == first.model.glUrl[i]);
        FUZZ_CHECK(again.model.glAdd[i] == first.model.glAdd[i]);
        FUZZ_CHECK(again.model.ExtrasOf(k) == first.model.ExtrasOf(k));
    }
    return 0;
}
