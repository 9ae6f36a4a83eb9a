#pragma once
// The desktop program's implementations of the core's ports, and the ports the windows use.

#include <QLabel>
#include <QString>
#include <functional>

#include "model/Ports.h"

namespace pernard::ui {

class TFormMemo;
class TFormLog;
class TFormBookmark;
class TFormDirectory;

// Opening an address with the system's browser.
class BrowserPort {
public:
    virtual ~BrowserPort() = default;
    // False when the system could not open it.
    virtual bool Open(const QString& address) = 0;
};

class DesktopBrowser : public BrowserPort {
public:
    bool Open(const QString& address) override;
};

// The application title: the title of message boxes. (Qt's application display name would
// also be appended to every window title, which must stay exactly its caption.)
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// Message boxes titled with the application title, and the confirmation box "確認".
class MessageBoxPrompts : public PromptPort {
public:
    void ShowMessage(const std::string& text) override;
    Answer Confirm(const std::string& text, Buttons buttons) override;
};

// The two panels of the main window's status bar.
class StatusPanels : public StatusPort {
public:
    StatusPanels(QLabel* panel0, QLabel* panel1) : panels_{panel0, panel1} {}
    void SetPanel(int panel, const std::string& text) override;
    QString Panel(int panel) const;

private:
    QLabel* panels_[2];
};

// The memo window, the log window and the diagnostic views of the settings window.
class WindowDiagnostics : public DiagnosticsPort {
public:
    WindowDiagnostics(TFormMemo* memo, TFormLog* log, TFormBookmark* settings)
        : memo_(memo), log_(log), settings_(settings) {}
    void ClearMemo() override;
    void AppendMemo(const std::string& line) override;
    void ShowMemo() override;
    void ClearReadingLog() override;
    void AppendReadingLog(const std::string& line) override;
    void ClearBookmarkList() override;
    void AppendBookmarkList(const std::string& line) override;
    void SetFileComment(const std::string& text) override;
    void SetFileTitle(const std::string& text) override;
    void SetFileHeading(const std::string& text) override;
    void ClearCheckLog() override;
    void AppendCheckLog(const std::string& line) override;
    void AppendCheckLogLines(const std::vector<std::string>& lines) override;
    void SetCheckLogStatus(const std::string& text) override;
    void ShowCheckLog() override;
    void ReportSaveWarning(const std::string& line) override;

private:
    TFormMemo* memo_;
    TFormLog* log_;
    TFormBookmark* settings_;
};

// The file dialogs of the main window and the directory chooser.
class WindowDialogs : public DialogPort {
public:
    WindowDialogs(QWidget* owner, TFormDirectory* chooser) : owner_(owner), chooser_(chooser) {}
    bool OpenBookmarkFile(const std::string& initialFile, std::string& chosen) override;
    bool SaveBookmarkFile(const std::string& initialDirectory, std::string& chosen) override;
    bool OpenSettingsFile(const std::string& initialFile, std::string& chosen) override;
    bool ChooseDirectory(const std::string& initialDirectory, std::string& chosen) override;
    int ChooseFromList(const std::string& title, const std::vector<std::string>& items) override;
    bool OpenStoreFile(const std::string& initialFile, std::string& chosen) override;

private:
    // A file dialog to open (an existing file) or to save; false when cancelled.
    bool ChooseFile(const std::string& initial, const QString& filter, bool save,
                    std::string& chosen);

    QWidget* owner_;
    TFormDirectory* chooser_;
};

}  // namespace pernard::ui
