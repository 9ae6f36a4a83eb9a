// Times the editing operations on large tables: a root holding ten folders of equal size, each
// folder a tenth of the table. For each size it deletes a folder from the middle, moves a
// folder up, copies and pastes a folder, adds a URL at the top and edits one entry; then it
// moves one folder up and down a thousand times and reports whether memory stayed bounded.
// Each edit is then undone and redone, one step at a time.
//
//   bench-edit [SIZE...]        (default: 10000 100000 1000000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchPorts.h"

namespace {

using pernard::BmLogic;

// A bookmark into the folder appended last.
void AddBookmark(BmLogic& model, const std::string& name) {
    pernard::bench::AddBookmark(model, 2,
                                {name, "https://example.com/" + name, "1600000000", "", ""});
}

// A root, then `folders` folders of `perFolder` URLs each.
void Build(BmLogic& model, int folders, int perFolder) {
    pernard::bench::AddRoot(model, "root");
    for (int f = 0; f < folders; ++f) {
        pernard::bench::AddFolder(model, 1, "folder " + std::to_string(f));
        for (int u = 0; u < perFolder; ++u) {
            AddBookmark(model, std::to_string(f) + "/" + std::to_string(u));
        }
    }
    model.SetExpanded(model.glNode[0], true);
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The entry index of the f-th folder under the root.
int FolderIndex(BmLogic& model, int f) { return model.IndexOf(model.glNode[0]->Child(f)); }

// Runs `work` (which says whether it succeeded) and prints its time.
void Report(const char* what, BmLogic& model, const std::function<bool()>& work) {
    const int size = model.glCT;
    bool ok = false;
    const double seconds = Seconds([&] { ok = work(); });
    std::printf("%-28s %9d entries  %8.4f s%s\n", what, size, seconds, ok ? "" : "  FAILED");
}

void TimeOperations(int size) {
    pernard::bench::BenchModel bench;
    pernard::bench::ResetTable(bench.model);
    BmLogic& model = bench.model;
    Build(model, 10, size / 10 - 1);
    Report("delete folder (middle)", model,
           [&] { return model.DeleteNode(model.glNode[FolderIndex(model, 5)], false); });
    Report("move folder up", model, [&] { return model.MoveUpDown(FolderIndex(model, 5), true); });
    Report("copy and paste folder", model, [&] {
        model.MarkClip(FolderIndex(model, 6), false);
        return model.PasteClip(FolderIndex(model, 2)) >= 0;
    });
    Report("new URL at the top", model, [&] {
        return model.NewUrl(model.glNode[0], {"new", "https://new/", "", "", ""}) == 1;
    });
    Report("edit one entry", model, [&] {
        return model.EditUrlEntry(model.glCT / 2, {"edited", "https://edited/", "", "", ""});
    });
    Report("index of a node after edit", model,
           [&] { return model.IndexOf(model.glNode[model.glCT - 1]) == model.glCT - 1; });
    std::printf("  history: %zu steps holding %zu KB\n", model.History().Size(),
                model.History().Bytes() / 1024);
    while (model.CanUndo()) {
        const std::string what = "undo " + model.UndoName();
        Report(what.c_str(), model, [&] { return model.Undo(); });
    }
    while (model.CanRedo()) {
        const std::string what = "redo " + model.RedoName();
        Report(what.c_str(), model, [&] { return model.Redo(); });
    }
}

// 空のフォルダーの削除 of 10,000 empty folders spread through the table, and its undo and redo.
void TimeEmptyFolders(int size) {
    pernard::bench::BenchModel bench;
    pernard::bench::ResetTable(bench.model);
    BmLogic& model = bench.model;
    pernard::bench::AddRoot(model, "root");
    const int perFolder = size / 10000;
    for (int f = 0; model.glCT < size; ++f) {
        pernard::bench::AddFolder(model, 1, "empty " + std::to_string(f));
        pernard::bench::AddFolder(model, 1, "full " + std::to_string(f));
        for (int u = 0; u < perFolder - 2 && model.glCT < size; ++u) {
            AddBookmark(model, std::to_string(f) + "/" + std::to_string(u));
        }
    }
    Report("delete 10,000 empty folders", model,
           [&] { return model.DeleteEmptyFolders(false) > 0; });
    Report("undo it", model, [&] { return model.Undo(); });
    Report("redo it", model, [&] { return model.Redo(); });
}

void RepeatMoves() {
    pernard::bench::BenchModel bench;
    pernard::bench::ResetTable(bench.model);
    BmLogic& model = bench.model;
    Build(model, 20, 9999);
    const long before = pernard::bench::PeakMegabytes();
    bool ok = true;
    const double seconds = Seconds([&] {
        for (int k = 0; k < 1000 && ok; ++k)
            ok = model.MoveUpDown(FolderIndex(model, 10), k % 2 == 0);
    });
    std::printf(
        "1000 moves of a 10,000-entry folder in %d entries: %.2f s, peak %ld MB -> %ld MB, "
        "labels %zu KB held for %zu KB alive%s\n",
        model.glCT, seconds, before, pernard::bench::PeakMegabytes(),
        model.Tree().LabelArenaBytes() / 1024, model.Tree().LiveLabelBytes() / 1024,
        ok ? "" : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int k = 1; k < argc; ++k) sizes.push_back(std::atoi(argv[k]));
    if (sizes.empty()) sizes = {10000, 100000, 1000000};
    for (int size : sizes) TimeOperations(size);
    TimeEmptyFolders(sizes.back());
    RepeatMoves();
    return 0;
}
