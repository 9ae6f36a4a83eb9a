#include "bench/BenchPorts.h"

#include <sys/resource.h>

namespace pernard::bench {

void AddRoot(BmLogic& model, const std::string& name) {
    model.AppendRoot(name, SourceKind::BookmarkFile, "/tmp/bench.htm");
}

void AddFolder(BmLogic& model, int depth, const std::string& name) {
    model.AppendFolder(model.OpenFolderAt(depth), name, "", "");
}

void AddBookmark(BmLogic& model, int depth, const EntryTexts& texts) {
    model.AppendBookmark(model.OpenFolderAt(depth), texts);
}

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace pernard::bench
