#pragma once
// The program: the model, its ports and the twelve windows, created once in a fixed order and
// kept until the end.

#include <memory>
#include <optional>

#include "model/BmLogic.h"
#include "ui/main/BoardMain.h"
#include "ui/dialogs/Bookmark.h"
#include "ui/app/QtPorts.h"

namespace pernard::ui {

class TFormMain;
class TFormURL;
class TFormFolder;
class TFormKensaku;
class TFormDirectory;
class TFormLog;
class TFormURLLIST;
class TFormArHTTP;
class TFormHTTP;
class TFormVersion;
class TFormMessage;
class TFormMemo;

// Stand-ins for the parts that talk to the user or the system; tests pass recorders.
struct UiOverrides {
    PromptPort* prompts = nullptr;
    DialogPort* dialogs = nullptr;
    BrowserPort* browser = nullptr;
    // Runs the URL and folder dialogs; by default a modal event loop.
    DialogRunner runDialog;
};

class PernardApp {
public:
    explicit PernardApp(std::optional<StartupOverride> startupSource = std::nullopt,
                        UiOverrides overrides = {});
    ~PernardApp();
    PernardApp(const PernardApp&) = delete;
    PernardApp& operator=(const PernardApp&) = delete;

    BmLogic& Model() { return model_; }

    TFormMain* FormMain = nullptr;
    TFormURL* FormURL = nullptr;
    TFormFolder* FormFolder = nullptr;
    TFormKensaku* FormKensaku = nullptr;
    TFormDirectory* FormDirectory = nullptr;
    TFormLog* FormLog = nullptr;
    TFormURLLIST* FormURLLIST = nullptr;
    TFormArHTTP* FormArHTTP = nullptr;
    TFormVersion* FormVersion = nullptr;
    TFormMessage* FormMessage = nullptr;
    TFormMemo* FormMemo = nullptr;
    TFormBookmark* FormBookmark = nullptr;
    TFormHTTP* FormHTTP = nullptr;  // the link-check engine window

private:
    // Runs when the settings window has loaded the settings: wires the ports, sets the
    // edition up and reads the start-up collection. Failures never stop the start.
    void SetupEdition(TFormBookmark* settings);
    void Created(QWidget* window);
    MainWindowLinks MainLinks(TFormBookmark* settings, BrowserPort* browser);

    BmLogic model_{Ports{}};
    UiOverrides overrides_;
    MessageBoxPrompts messageBoxes_;
    DesktopBrowser desktopBrowser_;
    std::unique_ptr<WindowDialogs> windowDialogs_;
    std::unique_ptr<WindowDiagnostics> diagnostics_;
};

}  // namespace pernard::ui
