// Times saving a collection as a bookmark file: reads FILE, then writes its first root to a
// temporary file beside it.
//
//   bench-write FILE

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "bench/BenchPorts.h"
#include "commands/LoadCommands.h"
#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench-write FILE\n";
        return 2;
    }
    pernard::bench::BenchModel bench;
    const pernard::ReadOutcome read =
        pernard::LoadSource(bench.model, true, argv[1], pernard::SourceKind::BookmarkFile);
    if (!read.ok) {
        std::cerr << "cannot read " << argv[1] << ": " << read.errorText << '\n';
        return 1;
    }
    const std::string target = std::string(argv[1]) + ".bench-write.htm";
    const auto start = std::chrono::steady_clock::now();
    const bool ok = pernard::WriteBookmarkFile(bench.model, target, 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::remove(target.c_str());
    std::cout << "write " << (ok ? "ok" : "FAILED") << ": " << bench.model.glCT << " entries, "
              << seconds << " s\n";
    return ok ? 0 : 1;
}
