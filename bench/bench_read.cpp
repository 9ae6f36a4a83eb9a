// Times reading a bookmark file into the entry table and tree, with the duplicate option off
// and on, and reports the peak memory of the process.
//
//   bench-read FILE [--skip-duplicates]

#include <sys/resource.h>

#include <chrono>
#include <iostream>
#include <string>

#include "formats/NetscapeReader.h"
#include "model/BmLogic.h"

namespace {

class NullPrompts : public pernard::PromptPort {
public:
    void ShowMessage(const std::string& text) override { std::cerr << text << '\n'; }
    pernard::Answer Confirm(const std::string&, pernard::Buttons) override {
        return pernard::Answer::No;
    }
};
class NullProgress : public pernard::ProgressPort {
public:
    void Show(const std::string&) override {}
    void Close() override {}
    std::string Caption() const override { return {}; }
};
class NullStatus : public pernard::StatusPort {
public:
    void SetPanel(int, const std::string&) override {}
};
class BenchSettings : public pernard::SettingsPort {
public:
    bool skipDuplicates = false;
    std::string MaxUrlText() const override { return "10000000"; }
    bool SkipDuplicateUrls() const override { return skipDuplicates; }
    bool NoEmptyFolders() const override { return false; }
    bool DebugCheck() const override { return false; }
    void SetDebugCheck(bool) override {}
    bool NoOverwriteQuestion() const override { return true; }
    pernard::StartupSource StartupSourceKind() const override {
        return pernard::StartupSource::Netscape;
    }
    std::string StartupBookmarkFile() const override { return {}; }
    std::string StartupFavoritesDirectory() const override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench-read FILE [--skip-duplicates]\n";
        return 2;
    }
    NullPrompts prompts;
    NullProgress progress;
    NullStatus status;
    pernard::DiagnosticsPort diagnostics;
    BenchSettings settings;
    settings.skipDuplicates = argc > 2 && std::string(argv[2]) == "--skip-duplicates";
    pernard::BmLogic model(pernard::Ports{&prompts, &progress, &status, &diagnostics, &settings});

    const auto start = std::chrono::steady_clock::now();
    int urlCount = 0;
    std::string errorText;
    const bool ok = pernard::ReadNetscapeFile(model, true, argv[1], urlCount, errorText);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::cout << "read " << (ok ? "ok" : "FAILED " + errorText) << ": " << urlCount << " URLs, "
              << model.glCT << " entries, duplicates "
              << (settings.skipDuplicates ? "skipped" : "kept") << ", " << seconds << " s, peak "
              << usage.ru_maxrss / 1024 << " MB\n";
    return ok ? 0 : 1;
}
