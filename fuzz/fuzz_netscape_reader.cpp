// Any bytes read as a bookmark file keep the table's invariants, and every root written back
// and read again gives the same entries, with the same extras.

#include <string>

#include "commands/LoadCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "fuzz/FuzzSupport.h"

using namespace pernard;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::FuzzModel first;
    first.settings.maxUrl = size > 0 && data[0] % 4 == 0 ? "7" : "100000";
    first.settings.noEmptyFolders = size > 1 && data[1] % 2 == 0;
    LoadSource(first.model, true, fuzz::ScratchFile(bytes, ".htm"), SourceKind::BookmarkFile);
    fuzz::CheckInvariants(first.model);

    for (int root = 0; root < first.model.glCT; root += first.model.SubtreeWidth(root)) {
        const std::string saved = BookmarkFileText(first.model, root);
        fuzz::FuzzModel again;
        LoadSource(again.model, true, fuzz::ScratchFile(saved, "-saved.htm"),
                   SourceKind::BookmarkFile);
        fuzz::CheckInvariants(again.model);
        const int width = first.model.SubtreeWidth(root);
        FUZZ_CHECK(again.model.glCT == width);
        // What the table has no column for comes back on the same entries.
        FUZZ_CHECK(again.model.ExtrasOf(0) == first.model.ExtrasOf(root));
        for (int k = 1; k < width; ++k) {
            const std::size_t mine = static_cast<std::size_t>(root + k);
            const std::size_t theirs = static_cast<std::size_t>(k);
            FUZZ_CHECK(again.model.gloya[theirs] + root == first.model.gloya[mine]);
            FUZZ_CHECK(again.model.glName[theirs] == first.model.glName[mine]);
            FUZZ_CHECK(again.model.glUrl[theirs] == first.model.glUrl[mine]);
            FUZZ_CHECK(again.model.glAdd[theirs] == first.model.glAdd[mine]);
            FUZZ_CHECK(again.model.glVisit[theirs] == first.model.glVisit[mine]);
            FUZZ_CHECK(again.model.glLast[theirs] == first.model.glLast[mine]);
            FUZZ_CHECK(again.model.ExtrasOf(k) == first.model.ExtrasOf(root + k));
        }
    }
    return 0;
}
