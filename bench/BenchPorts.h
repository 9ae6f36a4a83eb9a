#pragma once
// Silent ports for the benchmark programs.

#include <iostream>
#include <string>

#include "model/BmLogic.h"

namespace pernard::bench {

class NullPrompts : public PromptPort {
public:
    void ShowMessage(const std::string& text) override { std::cerr << text << '\n'; }
    Answer Confirm(const std::string&, Buttons) override { return Answer::Yes; }
};

class NullProgress : public ProgressPort {
public:
    void Show(const std::string&) override {}
    void Close() override {}
};

class NullStatus : public StatusPort {
public:
    void SetPanel(int, const std::string&) override {}
};

class BenchSettings : public SettingsPort {
public:
    bool skipDuplicates = false;
    std::string MaxUrlText() const override { return "10000000"; }
    bool SkipDuplicateUrls() const override { return skipDuplicates; }
    bool NoEmptyFolders() const override { return false; }
    bool DebugCheck() const override { return false; }
    void SetDebugCheck(bool) override {}
    bool NoOverwriteQuestion() const override { return true; }
    StartupSource StartupSourceKind() const override { return StartupSource::Netscape; }
    std::string StartupBookmarkFile() const override { return {}; }
    std::string StartupFavoritesDirectory() const override { return {}; }
};

// A model wired to the silent ports.
struct BenchModel {
    NullPrompts prompts;
    NullProgress progress;
    NullStatus status;
    DiagnosticsPort diagnostics;
    BenchSettings settings;
    BmLogic model{Ports{&prompts, &progress, &status, &diagnostics, &settings}};
};

// Peak resident memory of the process so far, in megabytes.
long PeakMegabytes();

}  // namespace pernard::bench
