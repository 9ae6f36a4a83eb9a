#pragma once
// The ports of the command line: messages and status texts go to standard error, questions
// are answered No, the progress window and the diagnostic views are silent.

#include <ostream>
#include <string>

#include "model/Ports.h"

namespace pernard {

class CliPrompts : public PromptPort {
public:
    explicit CliPrompts(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text) override { err_ << text << '\n'; }
    Answer Confirm(const std::string& text, Buttons) override {
        err_ << text << '\n';
        return Answer::No;
    }

private:
    std::ostream& err_;
};

class CliProgress : public ProgressPort {
public:
    void Show(const std::string&) override {}
    void Close() override {}
};

class CliStatus : public StatusPort {
public:
    explicit CliStatus(std::ostream& err) : err_(err) {}
    void SetPanel(int, const std::string& text) override {
        if (!text.empty()) err_ << text << '\n';
    }

private:
    std::ostream& err_;
};

// Lists what a save could not write on standard error; the other views stay silent.
class CliDiagnostics : public DiagnosticsPort {
public:
    CliDiagnostics(std::ostream& log, std::ostream& err) : log_(log), err_(err) {}
    void ReportReadWarning(const std::string& line) override { err_ << line << '\n'; }
    void ReportSaveWarning(const std::string& line) override { err_ << line << '\n'; }
    void ClearCheckLog() override { status.clear(); }
    void AppendCheckLog(const std::string& line) override { log_ << line << '\n'; }
    void SetCheckLogStatus(const std::string& text) override { status = text; }
    // What the listed lines are ("保存エラー : 2 件", "名前を変えて保存 : 1 件"), if said.
    std::string status;

private:
    std::ostream& log_;
    std::ostream& err_;
};

// The command line never asks: every chooser is cancelled.
class NoDialogs : public DialogPort {
public:
    bool OpenBookmarkFile(const std::string&, std::string&) override { return false; }
    bool SaveBookmarkFile(const std::string&, std::string&) override { return false; }
    bool ChooseDirectory(const std::string&, std::string&) override { return false; }
};

class CliSettings : public SettingsPort {
public:
    std::string maxUrl = "1000000";
    bool skipDuplicates = false;
    bool noEmptyFolders = false;
    bool noOverwriteQuestion = true;
    std::string encoding;
    bool saveInUtf8 = false;

    std::string MaxUrlText() const override { return maxUrl; }
    std::string FallbackEncoding() const override { return encoding; }
    bool SaveInUtf8() const override { return saveInUtf8; }
    bool SkipDuplicateUrls() const override { return skipDuplicates; }
    bool NoEmptyFolders() const override { return noEmptyFolders; }
    bool DebugCheck() const override { return false; }
    void SetDebugCheck(bool) override {}
    bool NoOverwriteQuestion() const override { return noOverwriteQuestion; }
    StartupSource StartupSourceKind() const override { return StartupSource::Netscape; }
    std::string StartupBookmarkFile() const override { return {}; }
    std::string StartupFavoritesDirectory() const override { return {}; }
};

}  // namespace pernard
