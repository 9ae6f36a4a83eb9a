// Times reading a bookmark file into the entry table and tree, with the duplicate option off
// or on, and reports the peak memory of the process.
//
//   bench-read FILE [--skip-duplicates]

#include <chrono>
#include <iostream>
#include <string>

#include "bench/BenchPorts.h"
#include "commands/LoadCommands.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench-read FILE [--skip-duplicates]\n";
        return 2;
    }
    pernard::bench::BenchModel bench;
    bench.settings.skipDuplicates = argc > 2 && std::string(argv[2]) == "--skip-duplicates";
    const auto start = std::chrono::steady_clock::now();
    const pernard::ReadOutcome read =
        pernard::LoadSource(bench.model, true, argv[1], pernard::SourceKind::BookmarkFile);
    const bool ok = read.ok;
    const std::string& errorText = read.errorText;
    const int urlCount = read.urlCount;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "read " << (ok ? "ok" : "FAILED " + errorText) << ": " << urlCount << " URLs, "
              << bench.model.glCT << " entries, duplicates "
              << (bench.settings.skipDuplicates ? "skipped" : "kept") << ", " << seconds
              << " s, peak " << pernard::bench::PeakMegabytes() << " MB\n";
    return ok ? 0 : 1;
}
