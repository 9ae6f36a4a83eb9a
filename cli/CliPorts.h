#pragma once
// The ports of the command line: messages and status texts go to standard error, questions
// are answered No; the progress window, the choosers and the settings are the null ones
// (model/NullPorts.h).

#include <ostream>
#include <string>

#include "model/NullPorts.h"

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

}  // namespace pernard
