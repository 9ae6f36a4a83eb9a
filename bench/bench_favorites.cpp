// Times reading a Favorites directory: builds one of COUNT shortcuts in folders of 100 below a
// temporary directory, reads it with the duplicate option off and on, and removes it.
//
//   bench-favorites COUNT

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/BenchPorts.h"
#include "commands/LoadCommands.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const fs::path root = fs::temp_directory_path() / "pernard-bench-favorites" / "Favorites";
    fs::remove_all(root.parent_path());
    for (int k = 0; k < count; ++k) {
        const fs::path folder = root / ("フォルダー" + std::to_string(k / 100));
        if (k % 100 == 0) fs::create_directories(folder);
        std::ofstream(folder / ("サイト " + std::to_string(k) + ".url"), std::ios::binary)
            << "[InternetShortcut]\r\nURL=https://www.example.jp/" << k % (count - count / 100)
            << "/\r\n";
    }
    for (const bool skip : {false, true}) {
        pernard::bench::BenchModel bench;
        bench.settings.skipDuplicates = skip;
        const auto start = std::chrono::steady_clock::now();
        const pernard::ReadOutcome read =
            pernard::LoadSource(bench.model, true, root.string(), pernard::SourceKind::Favorites);
        const bool ok = read.ok;
        const std::string& errorText = read.errorText;
        const int urls = read.urlCount;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::cout << "favorites " << (ok ? "ok" : "FAILED " + errorText) << ": " << urls
                  << " URLs, duplicates " << (skip ? "skipped" : "kept") << ", " << seconds
                  << " s\n";
    }
    fs::remove_all(root.parent_path());
    return 0;
}
