#pragma once
// Recording doubles of the ports, and a model wired to them.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "model/BmLogic.h"
#include "model/NullPorts.h"

namespace pernard::testing {

class RecordingPrompts : public PromptPort {
public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<Buttons> buttons;
    // Answers given in turn; once they are used up, every question gets `nextAnswer`.
    std::deque<Answer> answers;
    Answer nextAnswer = Answer::Yes;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    Answer Confirm(const std::string& text, Buttons shown) override {
        questions.push_back(text);
        buttons.push_back(shown);
        if (answers.empty()) return nextAnswer;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class RecordingProgress : public ProgressPort {
public:
    std::vector<std::string> shown;
    std::string caption;
    void Show(const std::string& text) override {
        shown.push_back(text);
        caption = text;
    }
    void Close() override { caption.clear(); }
};

class RecordingStatus : public StatusPort {
public:
    std::string panel[2];
    void SetPanel(int index, const std::string& text) override { panel[index] = text; }
};

class RecordingDiagnostics : public DiagnosticsPort {
public:
    std::vector<std::string> memo, readingLog, bookmarkList, checkLog;
    std::string comment, title, heading, checkLogStatus;
    bool memoShown = false, checkLogShown = false;
    void ClearMemo() override { memo.clear(); }
    void AppendMemo(const std::string& line) override { memo.push_back(line); }
    void ShowMemo() override { memoShown = true; }
    void ClearReadingLog() override { readingLog.clear(); }
    void AppendReadingLog(const std::string& line) override { readingLog.push_back(line); }
    void ClearBookmarkList() override { bookmarkList.clear(); }
    void AppendBookmarkList(const std::string& line) override { bookmarkList.push_back(line); }
    void SetFileComment(const std::string& text) override { comment = text; }
    void SetFileTitle(const std::string& text) override { title = text; }
    void SetFileHeading(const std::string& text) override { heading = text; }
    void ClearCheckLog() override { checkLog.clear(); }
    void AppendCheckLog(const std::string& line) override { checkLog.push_back(line); }
    void SetCheckLogStatus(const std::string& text) override { checkLogStatus = text; }
    void ShowCheckLog() override { checkLogShown = true; }
};

// The null settings (model/NullPorts.h) as tests start from them, with the source locations
// and the consistency check's switch held in fields too.
class FakeSettings : public FixedSettings {
public:
    FakeSettings() {
        maxUrl = "1000";
        noOverwriteQuestion = false;
    }
    bool debugCheck = true;
    SourceKind startupSource = SourceKind::BookmarkFile;
    std::string bookmarkFile, favoritesDirectory, additionalBookmarkFile, additionalFavorites;
    bool DebugCheck() const override { return debugCheck; }
    void SetDebugCheck(bool on) override { debugCheck = on; }
    SourceKind StartupSourceKind() const override { return startupSource; }
    std::string StartupBookmarkFile() const override { return bookmarkFile; }
    std::string StartupFavoritesDirectory() const override { return favoritesDirectory; }
    void SetStartupBookmarkFile(const std::string& path) override { bookmarkFile = path; }
    void SetStartupFavoritesDirectory(const std::string& path) override {
        favoritesDirectory = path;
    }
    std::string AdditionalBookmarkFile() const override { return additionalBookmarkFile; }
    void SetAdditionalBookmarkFile(const std::string& path) override {
        additionalBookmarkFile = path;
    }
    std::string AdditionalFavoritesDirectory() const override { return additionalFavorites; }
};

// Answers every chooser with the next scripted name; an empty name cancels.
class ScriptedDialogs : public DialogPort {
public:
    std::string nextFile;
    std::string nextDirectory;
    std::vector<std::string> initialDirectories;
    bool OpenBookmarkFile(const std::string&, std::string& chosen) override {
        chosen = nextFile;
        return !chosen.empty();
    }
    bool SaveBookmarkFile(const std::string& initial, std::string& chosen) override {
        initialDirectories.push_back(initial);
        chosen = nextFile;
        return !chosen.empty();
    }
    bool ChooseDirectory(const std::string& initial, std::string& chosen) override {
        initialDirectories.push_back(initial);
        chosen = nextDirectory;
        return !chosen.empty();
    }
    // The lists offered, and the index the next choice gives (-1: cancelled).
    std::vector<std::vector<std::string>> offeredLists;
    int nextChoice = -1;
    int ChooseFromList(const std::string&, const std::vector<std::string>& items) override {
        offeredLists.push_back(items);
        return nextChoice;
    }
};

// A model with recording ports, the way every core test starts.
struct TestModel {
    RecordingPrompts prompts;
    RecordingProgress progress;
    RecordingStatus status;
    RecordingDiagnostics diagnostics;
    FakeSettings settings;
    ScriptedDialogs dialogs;
    BmLogic model{Ports{&prompts, &progress, &status, &diagnostics, &settings, &dialogs}};
};

}  // namespace pernard::testing
