#pragma once
// Ports that do nothing, for what runs without windows: the command line's progress, dialogs and
// settings, the benchmarks and the fuzz targets. Tests that look at what was said use the
// recording ports of tests/support instead.

#include <string>

#include "model/BmLogic.h"

namespace pernard {

// Says nothing and answers every question with `answer`.
class NullPrompts : public PromptPort {
public:
    Answer answer = Answer::No;
    void ShowMessage(const std::string&) override {}
    Answer Confirm(const std::string&, Buttons) override { return answer; }
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

// Every chooser is cancelled.
class NullDialogs : public DialogPort {
public:
    bool OpenBookmarkFile(const std::string&, std::string&) override { return false; }
    bool SaveBookmarkFile(const std::string&, std::string&) override { return false; }
    bool ChooseDirectory(const std::string&, std::string&) override { return false; }
};

// Settings held in fields, as a caller sets them; no start-up source, no questions before an
// overwrite save.
class FixedSettings : public SettingsPort {
public:
    std::string maxUrl = "1000000";
    bool skipDuplicates = false;
    bool noEmptyFolders = false;
    bool noOverwriteQuestion = true;
    std::string fallbackEncoding;
    bool saveInUtf8 = false;
    std::string historyDirectory;  // none: nothing is kept
    std::uint64_t historyLimit = 500ull << 20;

    std::string MaxUrlText() const override { return maxUrl; }
    std::string FallbackEncoding() const override { return fallbackEncoding; }
    bool SaveInUtf8() const override { return saveInUtf8; }
    bool SkipDuplicateUrls() const override { return skipDuplicates; }
    bool NoEmptyFolders() const override { return noEmptyFolders; }
    bool NoOverwriteQuestion() const override { return noOverwriteQuestion; }
    std::string HistoryDirectory() const override { return historyDirectory; }
    std::uint64_t HistoryLimitBytes() const override { return historyLimit; }
};

// A model wired to the null ports.
struct NullModel {
    NullPrompts prompts;
    NullProgress progress;
    NullStatus status;
    DiagnosticsPort diagnostics;
    FixedSettings settings;
    NullDialogs dialogs;
    BmLogic model{Ports{&prompts, &progress, &status, &diagnostics, &settings, &dialogs}};
};

}  // namespace pernard
