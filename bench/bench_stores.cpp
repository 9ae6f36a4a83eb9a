// Times reading each kind of source a directory from generate-stores holds: the bookmark file,
// the Chromium Bookmarks file and the Firefox places.sqlite, each read the same way the program
// reads it, and reports the peak memory of the process.
//
//   bench-stores DIRECTORY

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>

#include "bench/BenchPorts.h"
#include "commands/LoadCommands.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench-stores DIRECTORY\n";
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    bool ok = true;
    for (const char* name : {"bookmarks.htm", "Bookmarks", "places.sqlite"}) {
        pernard::bench::BenchModel bench;
        const auto start = std::chrono::steady_clock::now();
        const pernard::ReadOutcome outcome =
            pernard::LoadSource(bench.model, true, (directory / name).string());
        const bool read = outcome.ok;
        const std::string& errorText = outcome.errorText;
        const int urlCount = outcome.urlCount;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::cout << name << ": " << (read ? "ok" : "FAILED " + errorText) << ", " << urlCount
                  << " URLs, " << bench.model.glCT << " entries, " << seconds << " s\n";
        ok = ok && read;
    }
    std::cout << "peak " << pernard::bench::PeakMegabytes() << " MB\n";
    return ok ? 0 : 1;
}
