#pragma once
// The model of the benchmark programs.

#include <string>

#include "model/NullPorts.h"

namespace pernard::bench {

// A model wired to the null ports, with room for ten million entries; questions are answered
// Yes, so that a save runs through.
struct BenchModel : NullModel {
    BenchModel() {
        settings.maxUrl = "10000000";
        prompts.answer = Answer::Yes;
    }
};

// The benchmarks' tables: emptied with the capacity of the settings, then a root, then folders
// and bookmarks appended into the folder open at `depth` (1: the root).
void ResetTable(BmLogic& model);
void AddRoot(BmLogic& model, const std::string& name);
void AddFolder(BmLogic& model, int depth, const std::string& name);
void AddBookmark(BmLogic& model, int depth, const EntryTexts& texts);

// Peak resident memory of the process so far, in megabytes.
long PeakMegabytes();

}  // namespace pernard::bench
