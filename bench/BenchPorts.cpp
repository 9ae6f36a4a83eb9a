#include "bench/BenchPorts.h"

#include <sys/resource.h>

#include <map>
#include <memory>

#include "model/EntryBuilder.h"
#include "model/LoadTransaction.h"

namespace pernard::bench {

namespace {

// The builder each benchmark table is appended through, as a reader's load appends.
std::map<const BmLogic*, std::unique_ptr<EntryBuilder>>& Builders() {
    static std::map<const BmLogic*, std::unique_ptr<EntryBuilder>> builders;
    return builders;
}

EntryBuilder& BuilderOf(BmLogic& model) {
    std::unique_ptr<EntryBuilder>& builder = Builders()[&model];
    if (!builder) builder = std::make_unique<EntryBuilder>(model);
    return *builder;
}

}  // namespace

void ResetTable(BmLogic& model) {
    Builders().erase(&model);
    LoadTransaction(model, true, "").End(true);
}

void AddRoot(BmLogic& model, const std::string& name) {
    BuilderOf(model).AddRoot(name, SourceKind::BookmarkFile, "/tmp/bench.htm");
}

void AddFolder(BmLogic& model, int depth, const std::string& name) {
    BuilderOf(model).AppendFolder(model.OpenFolderAt(depth), name, "", "");
}

void AddBookmark(BmLogic& model, int depth, const EntryTexts& texts) {
    BuilderOf(model).AppendBookmark(model.OpenFolderAt(depth), texts);
}

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace pernard::bench
