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
    void Show(const std::string& caption) override { caption_ = caption; }
    void Close() override { caption_.clear(); }
    std::string Caption() const override { return caption_; }

private:
    std::string caption_;
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

class CliSettings : public SettingsPort {
public:
    std::string maxUrl = "1000000";
    bool skipDuplicates = false;
    bool noEmptyFolders = false;
    bool noOverwriteQuestion = true;

    std::string MaxUrlText() const override { return maxUrl; }
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
