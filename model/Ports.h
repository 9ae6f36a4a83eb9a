#pragma once
// The narrow interfaces through which the core reaches the outside world. The desktop program
// implements them with windows; the command-line tool and the tests with recorders.

#include <cstdint>
#include <string>
#include <vector>

#include "model/EntryTexts.h"
#include "model/SourceKind.h"

namespace pernard {

enum class Answer { Yes, No, Cancel };
// YesNoDefaultNo: a question whose safe answer is No, which Enter gives.
enum class Buttons { YesNo, YesNoCancel, YesCancel, YesNoDefaultNo };

// Message boxes and confirmation questions.
class PromptPort {
public:
    virtual ~PromptPort() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual Answer Confirm(const std::string& text, Buttons buttons) = 0;
};

// The "please wait" message window.
class ProgressPort {
public:
    virtual ~ProgressPort() = default;
    virtual void Show(const std::string& caption) = 0;
    virtual void Close() = 0;
};

// Panels 0 and 1 of the main window's status bar.
class StatusPort {
public:
    virtual ~StatusPort() = default;
    virtual void SetPanel(int panel, const std::string& text) = 0;
};

// The diagnostic views: the memo window, the check-log window and the reading log, the
// bookmark list and the three file fields of the settings window. Every method has a default
// that does nothing, so a double overrides only what it looks at.
class DiagnosticsPort {
public:
    virtual ~DiagnosticsPort() = default;
    virtual void ClearMemo() {}
    virtual void AppendMemo(const std::string& /*line*/) {}
    virtual void ShowMemo() {}
    virtual void ClearReadingLog() {}
    virtual void AppendReadingLog(const std::string& /*line*/) {}
    // Something a read left out or kept in another form: in the reading log (and on the
    // command line, on standard error).
    virtual void ReportReadWarning(const std::string& line) { AppendReadingLog(line); }
    virtual void ClearBookmarkList() {}
    virtual void AppendBookmarkList(const std::string& /*line*/) {}
    virtual void SetFileComment(const std::string& /*text*/) {}
    virtual void SetFileTitle(const std::string& /*text*/) {}
    virtual void SetFileHeading(const std::string& /*text*/) {}
    virtual void ClearCheckLog() {}
    virtual void AppendCheckLog(const std::string& /*line*/) {}
    // Many lines at once: a window shows them in one go.
    virtual void AppendCheckLogLines(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) AppendCheckLog(line);
    }
    virtual void SetCheckLogStatus(const std::string& /*text*/) {}
    // Something a save left out: in the check log (and on the command line, on standard
    // error).
    virtual void ReportSaveWarning(const std::string& line) { AppendCheckLog(line); }
    virtual void ShowCheckLog() {}
};


// What the readers need of the settings, read at the moment of use.
class ReadSettings {
public:
    virtual ~ReadSettings() = default;
    virtual std::string MaxUrlText() const = 0;
    // 読込時、重複したＵＲＬは読み込まない
    virtual bool SkipDuplicateUrls() const = 0;
    // 中身が空のフォルダーは作成しない
    virtual bool NoEmptyFolders() const = 0;
    // 文字コード: the encoding of bookmark files with neither a byte order mark nor a charset
    // declaration, as a label ("Shift_JIS", "GBK", ...); empty for the automatic rule.
    virtual std::string FallbackEncoding() const { return {}; }
};

// Where the collections are: the bookmark file and Favorites directory read at start-up, and
// those for additional reads and save-as. Only the commands and the window use them; a program
// without a window keeps the defaults (none).
class SourceLocations {
public:
    virtual ~SourceLocations() = default;
    virtual SourceKind StartupSourceKind() const { return SourceKind::BookmarkFile; }
    virtual std::string StartupBookmarkFile() const { return {}; }
    virtual std::string StartupFavoritesDirectory() const { return {}; }
    virtual void SetStartupBookmarkFile(const std::string& /*path*/) {}
    virtual void SetStartupFavoritesDirectory(const std::string& /*path*/) {}
    virtual std::string AdditionalBookmarkFile() const { return {}; }
    virtual void SetAdditionalBookmarkFile(const std::string& /*path*/) {}
    virtual std::string AdditionalFavoritesDirectory() const { return {}; }
};

// All the settings the core reads: the readers', the source locations, the saves' and the
// consistency check's switch.
class SettingsPort : public ReadSettings, public SourceLocations {
public:
    // 上書保存する時、確認メッセージを表示しない
    virtual bool NoOverwriteQuestion() const = 0;
    // ＵＴＦ－８で保存する: bookmark files are written in UTF-8 whatever they were read in.
    virtual bool SaveInUtf8() const { return false; }
    // The consistency check's switch.
    // Where the earlier versions of the files the program overwrites are kept (empty: nowhere),
    // and how many bytes they may take in all (0: none are kept).
    virtual std::string HistoryDirectory() const { return {}; }
    virtual std::uint64_t HistoryLimitBytes() const { return 500ull << 20; }
    virtual bool DebugCheck() const { return false; }
    virtual void SetDebugCheck(bool /*on*/) {}
};

// The URL dialog's memory: a URL that was moved or copied fills its fields without showing
// it, so that the next new URL starts from them.
class UrlFieldsPort {
public:
    virtual ~UrlFieldsPort() = default;
    virtual void RememberUrlFields(const EntryTexts& fields) = 0;
};

// File and directory choosers. Each returns false when the user cancels.
class DialogPort {
public:
    virtual ~DialogPort() = default;
    // The open dialog for bookmark files ("HTML FILE (*.htm; *.html)").
    virtual bool OpenBookmarkFile(const std::string& initialFile, std::string& chosen) = 0;
    // The save dialog for bookmark files; asks before overwriting an existing file.
    virtual bool SaveBookmarkFile(const std::string& initialDirectory, std::string& chosen) = 0;
    // The settings window's file dialog: bookmark files, and programs (EXE) for the editor.
    virtual bool OpenSettingsFile(const std::string& initialFile, std::string& chosen) {
        return OpenBookmarkFile(initialFile, chosen);
    }
    // The directory chooser; `chosen` is the directory the user picked (its EditFavor text).
    virtual bool ChooseDirectory(const std::string& initialDirectory, std::string& chosen) = 0;
    // Offers `items` under `title`; the index picked, or -1 when cancelled.
    virtual int ChooseFromList(const std::string& /*title*/,
                               const std::vector<std::string>& /*items*/) {
        return -1;
    }
    // The open dialog for a browser's store (a Bookmarks file, a places.sqlite: any file).
    virtual bool OpenStoreFile(const std::string& initialFile, std::string& chosen) {
        return OpenBookmarkFile(initialFile, chosen);
    }
};

}  // namespace pernard
