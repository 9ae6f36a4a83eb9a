// Times sorting one large folder: a root holding N bookmarks with mixed Japanese and ASCII names
// (numbers in them), URLs and dates, sorted by each field, then undone and redone; and the same
// bookmarks spread over folders of a hundred, sorted with every folder below the root.
//
//   bench-sort [SIZE...]        (default: 100000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "bench/BenchPorts.h"
#include "model/Sorting.h"

namespace {

using pernard::BmLogic;
using pernard::SortField;
using pernard::SortOptions;

const char* const kWords[] = {"かな", "カナ",     "ｶﾅ",   "漢字",   "Apple", "apple",  "第",
                              "章",   "ニュース", "news", "ブログ", "Blog",  "あいう", "ゆ"};

pernard::EntryTexts RandomBookmark(std::mt19937& random) {
    std::string name;
    for (int k = 0; k < 3; ++k) name += kWords[random() % std::size(kWords)];
    name += std::to_string(random() % 1000);
    const std::string url = "https://example.com/" + std::to_string(random() % 100000);
    const std::string added = random() % 10 == 0 ? "" : std::to_string(1e9 + random() % 100000000);
    return {name, url, added, std::to_string(random() % 2000000000), ""};
}

void Build(BmLogic& model, int size, int perFolder) {
    std::mt19937 random(20261208);
    pernard::bench::AddRoot(model, "root");
    for (int k = 1; k < size; ++k) {
        if (perFolder > 0 && (k - 1) % (perFolder + 1) == 0) {
            pernard::bench::AddFolder(model, 1, "folder " + std::to_string(k));
        } else {
            pernard::bench::AddBookmark(model, perFolder > 0 ? 2 : 1, RandomBookmark(random));
        }
    }
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* what, int size, const std::function<bool()>& work) {
    bool ok = false;
    const double seconds = Seconds([&] { ok = work(); });
    std::printf("%-32s %9d entries  %8.4f s%s\n", what, size, seconds, ok ? "" : "  FAILED");
}

void TimeSorts(int size) {
    const struct {
        const char* what;
        SortField by;
    } fields[] = {{"sort by name", SortField::Name},
                  {"sort by URL", SortField::Url},
                  {"sort by date added", SortField::Added},
                  {"sort by last visit", SortField::Visited}};
    for (const auto& field : fields) {
        pernard::bench::BenchModel bench;
        pernard::bench::ResetTable(bench.model);
        BmLogic& model = bench.model;
        Build(model, size, 0);
        SortOptions options;
        options.by = field.by;
        Report(field.what, size, [&] { return model.SortFolder(0, options); });
        if (field.by != SortField::Name) continue;
        Report("  undo", size, [&] { return model.Undo(); });
        Report("  redo", size, [&] { return model.Redo(); });
        options.descending = true;
        Report("  descending, already sorted", size, [&] { return model.SortFolder(0, options); });
    }
    pernard::bench::BenchModel bench;
    pernard::bench::ResetTable(bench.model);
    Build(bench.model, size, 100);
    SortOptions options;
    options.recursive = true;
    options.foldersFirst = true;
    Report("folders of 100, every one by name", size,
           [&] { return bench.model.SortFolder(0, options); });
    std::printf("  peak memory: %ld MB\n", pernard::bench::PeakMegabytes());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        TimeSorts(100000);
        return 0;
    }
    for (int k = 1; k < argc; ++k) TimeSorts(std::atoi(argv[k]));
    return 0;
}
