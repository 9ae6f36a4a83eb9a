// Times what the list does with many rows at once on one folder of SIZE bookmarks (the list's
// select-all): every row taken by its node, deleted in one step, the step undone and redone; then
// half of the rows moved into another folder, every other row moved up, and a thousand rows
// copied, each undone.
//
//   bench-selection [SIZE...]        (default: 1000000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchPorts.h"

namespace {

using pernard::BmLogic;
using pernard::NodeRef;

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* what, int size, const std::function<bool()>& work) {
    bool ok = false;
    const double seconds = Seconds([&] { ok = work(); });
    std::printf("%-34s %9d rows  %8.4f s%s\n", what, size, seconds, ok ? "" : "  FAILED");
}

// A root with an empty folder "target", then the folder "list" of `size` bookmarks.
void Build(BmLogic& model, int size) {
    pernard::bench::AddRoot(model, "root");
    pernard::bench::AddFolder(model, 1, "target");
    pernard::bench::AddFolder(model, 1, "list");
    for (int u = 0; u < size; ++u) {
        const std::string name = std::to_string(u);
        pernard::bench::AddBookmark(model, 2,
                                    {name, "https://example.com/" + name, "1600000000", "", ""});
    }
}

// The list's rows of folder "list", as the window holds them.
std::vector<NodeRef> Rows(const BmLogic& model) {
    std::vector<NodeRef> rows;
    for (int entry : model.ListedEntries(2, false)) rows.push_back(model.RefOf(entry));
    return rows;
}

void TimeSelection(int size) {
    pernard::bench::BenchModel bench;
    pernard::bench::ResetTable(bench.model);
    BmLogic& model = bench.model;
    Build(model, size);
    std::vector<NodeRef> rows;
    Report("select all", size, [&] {
        rows = Rows(model);
        return static_cast<int>(rows.size()) == size;
    });
    Report("delete the selection", size,
           [&] { return model.DeleteEntries(rows, "削除").entries == size; });
    Report("undo it", size, [&] { return model.Undo() && model.glCT == size + 3; });
    Report("redo it", size, [&] { return model.Redo() && model.glCT == 3; });
    Report("undo it again", size, [&] { return model.Undo(); });

    std::vector<NodeRef> half, everyOther;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (k < rows.size() / 2) half.push_back(rows[k]);
        if (k % 2 == 1) everyOther.push_back(rows[k]);
    }
    Report("move half into another folder", size,
           [&] { return model.TransferEntries(half, 1, false, "移動") == 2; });
    Report("undo it", size, [&] { return model.Undo(); });
    Report("move every other row up", size,
           [&] { return model.MoveEntriesUpDown(everyOther, true); });
    Report("undo it", size, [&] { return model.Undo(); });
    const std::vector<NodeRef> thousand(rows.begin(), rows.begin() + std::min(size, 1000));
    Report("copy 1000 rows to the top", size,
           [&] { return model.TransferEntries(thousand, 1, true, "コピー") == 2; });
    Report("undo it", size, [&] { return model.Undo(); });
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int k = 1; k < argc; ++k) sizes.push_back(std::atoi(argv[k]));
    if (sizes.empty()) sizes = {1000000};
    for (int size : sizes) TimeSelection(size);
    return 0;
}
