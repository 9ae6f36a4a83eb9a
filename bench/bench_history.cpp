// Times what keeping the earlier version adds to a save: reads FILE, then writes its first root
// over a copy of FILE three times, with no history, with a history on the same file system (the
// old file linked in) and with one that copies (compressed), and prints each save's time.
//
//   bench-history FILE

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>

#include "bench/BenchPorts.h"
#include "commands/LoadCommands.h"
#include "commands/SaveCommands.h"
#include "history/VersionHistory.h"

namespace fs = std::filesystem;

namespace {

double SecondsOf(pernard::bench::BenchModel& bench, const std::string& target) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = pernard::WriteBookmarkFile(bench.model, target, 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench-history FILE\n";
        return 2;
    }
    pernard::bench::BenchModel bench;
    const pernard::ReadOutcome read =
        pernard::LoadSource(bench.model, true, argv[1], pernard::SourceKind::BookmarkFile);
    if (!read.ok) {
        std::cerr << "cannot read " << argv[1] << ": " << read.errorText << '\n';
        return 1;
    }
    const std::string target = std::string(argv[1]) + ".bench-history.htm";
    const std::string history = std::string(argv[1]) + ".bench-history.d";
    struct Case {
        const char* name;
        bool on;
        bool link;
    };
    for (const Case& c : {Case{"no history", false, true}, Case{"linked in", true, true},
                          Case{"compressed copy", true, false}}) {
        fs::copy_file(argv[1], target, fs::copy_options::overwrite_existing);
        fs::remove_all(history);
        bench.settings.historyDirectory = c.on ? history : std::string();
        bench.settings.historyLimit = 1ull << 40;
        // The keep's own time, apart from the save it comes before.
        const auto start = std::chrono::steady_clock::now();
        if (c.on) {
            pernard::VersionHistory keeper(history, {.totalBytes = 1ull << 40, .link = c.link});
            keeper.Keep(target, pernard::VersionFormat::Html);
        }
        const double keep =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        fs::remove_all(history);
        const double save = SecondsOf(bench, target);
        std::cout << c.name << ": keep " << keep << " s; save " << save << " s\n";
    }
    fs::remove(target);
    fs::remove_all(history);
    return 0;
}
