#include "ui/app/PernardApp.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <exception>

#include "commands/StartupRead.h"
#include "ui/tools/ArHttp.h"
#include "ui/tools/BmCheckLog.h"
#include "ui/dialogs/BmDirectory.h"
#include "ui/tools/BmKensaku.h"
#include "ui/dialogs/BmURLEdit.h"
#include "ui/tools/BmVersion.h"
#include "ui/main/BoardMain.h"
#include "ui/sync/SyncController.h"
#include "ui/tools/FiUrlList.h"
#include "ui/dialogs/Folder.h"
#include "ui/tools/FormHttp.h"
#include "ui/app/KeyboardHabits.h"
#include "ui/tools/Memo.h"
#include "ui/tools/PopMessage.h"
#include "ui/widgets/QtText.h"
#include "ui/app/WindowRoles.h"

namespace pernard::ui {

PernardApp::PernardApp(std::optional<StartupOverride> startupSource, UiOverrides overrides)
    : overrides_(overrides) {
    SetApplicationTitle("ｽｶｲﾗｰｸ");
    InstallKeyboardHabits();
    InstallWindowRoles();
    PromptPort* prompts = overrides_.prompts != nullptr ? overrides_.prompts : &messageBoxes_;
    auto showMessage = [prompts](const QString& text) { prompts->ShowMessage(text.toStdString()); };
    auto confirm = [prompts](const QString& text) {
        return prompts->Confirm(text.toStdString(), Buttons::YesNo) == Answer::Yes;
    };

    FormMain = new TFormMain(model_);
    Created(FormMain);
    FormURL = new TFormURL(showMessage, FormMain);
    Created(FormURL);
    FormFolder = new TFormFolder(showMessage, FormMain);
    Created(FormFolder);
    FormKensaku = new TFormKensaku(
        model_, [this](const NodeRef& hit) { FormMain->ShowSearchHit(hit); }, showMessage,
        FormMain);
    Created(FormKensaku);
    // Hits whose entries an edit or a load took away leave the search results, once the
    // change is complete.
    const auto dropGone = [search = FormKensaku] { search->DropGoneHits(); };
    QObject::connect(FormMain->TreeItems, &QAbstractItemModel::rowsRemoved, FormKensaku, dropGone,
                     Qt::QueuedConnection);
    QObject::connect(FormMain->TreeItems, &QAbstractItemModel::modelReset, FormKensaku, dropGone,
                     Qt::QueuedConnection);
    FormDirectory = new TFormDirectory(confirm, FormMain);
    Created(FormDirectory);
    FormLog = new TFormLog(FormMain);
    Created(FormLog);
    FormURLLIST = new TFormURLLIST(model_, FormMain);
    Created(FormURLLIST);
    FormArHTTP = new TFormArHTTP(FormMain);
    Created(FormArHTTP);
    // The engine window: not one of the design's twelve, made once like them.
    FormHTTP = new TFormHTTP(FormMain);
    FormHTTP->setWindowFlag(Qt::Window, true);
    QObject::connect(FormHTTP->ArBody1, &QAction::triggered, FormArHTTP, &QWidget::show);
    BrowserPort* browser = overrides_.browser != nullptr ? overrides_.browser : &desktopBrowser_;
    FormMessage = new TFormMessage(FormMain);
    FormVersion = new TFormVersion(
        [this, browser](const QString& address) {
            FormMessage->Show("サポートページ表示中");
            browser->Open(address);
            FormMessage->Close();
        },
        FormMain);
    Created(FormVersion);
    Created(FormMessage);
    FormMemo = new TFormMemo(FormMain);
    Created(FormMemo);
    windowDialogs_ = std::make_unique<WindowDialogs>(FormMain, FormDirectory);
    FormMain->SetLinks(MainLinks(nullptr, browser));
    FormMain->ConnectCheckResults();
    FormBookmark = new TFormBookmark(
        std::move(startupSource), [this](TFormBookmark* settings) { SetupEdition(settings); },
        FormMain);
    Created(FormBookmark);
    // Labels show names, paths and messages as they stand; only a label made rich on purpose
    // (a link) keeps its markup. Every window is owned by the main window.
    for (QLabel* label : FormMain->findChildren<QLabel*>()) {
        if (label->textFormat() == Qt::AutoText) label->setTextFormat(Qt::PlainText);
    }
}

PernardApp::~PernardApp() { delete FormMain; }

MainWindowLinks PernardApp::MainLinks(TFormBookmark* settings, BrowserPort* browser) {
    return MainWindowLinks{settings,    FormKensaku, FormMemo,   FormVersion,
                           browser,     FormURL,     FormFolder, overrides_.runDialog,
                           FormURLLIST, FormHTTP,    FormArHTTP};
}

void PernardApp::Created(QWidget* window) {
    // Every window but the main one is a window of its own, owned by the main window.
    if (window != FormMain) window->setWindowFlag(Qt::Window, true);
}

void PernardApp::SetupEdition(TFormBookmark* settings) {
    DialogPort* dialogs = overrides_.dialogs != nullptr ? overrides_.dialogs : windowDialogs_.get();
    PromptPort* prompts = overrides_.prompts != nullptr ? overrides_.prompts : &messageBoxes_;
    diagnostics_ = std::make_unique<WindowDiagnostics>(FormMemo, FormLog, settings);
    model_.SetPorts(Ports{prompts, FormMessage, &FormMain->Status(), diagnostics_.get(), settings,
                          dialogs, FormURL});
    settings->SetChooser(dialogs);
    FormURLLIST->SetLinks(
        UrlListLinks{[this] { return FormMain->Pane().Listed(); },
                     [this](int entry) { return FormMain->Pane().RemarkOf(entry); },
                     [settings] { return settings->EditLinkDir->text(); },
                     [prompts](const QString& text) { prompts->ShowMessage(text.toStdString()); },
                     [this](const QString& text) { FormMain->Panel0->setText(text); }, dialogs});
    FormMain->SetLinks(
        MainLinks(settings, overrides_.browser != nullptr ? overrides_.browser : &desktopBrowser_));
    // A row of the bookmark list shows the entry with the row's index, when there is one.
    QObject::connect(settings->ListBookMark, &QListWidget::currentRowChanged, settings,
                     [this, settings](int row) {
                         const bool entry = row >= 0 && row < model_.glCT;
                         const std::size_t k = static_cast<std::size_t>(row);
                         settings->EditURL->setText(entry ? Text(model_.glUrl[k]) : QString());
                         settings->EditAdd->setText(entry ? Text(model_.glAdd[k]) : QString());
                         settings->EditVisit->setText(entry ? Text(model_.glVisit[k]) : QString());
                         settings->EditLast->setText(entry ? Text(model_.glLast[k]) : QString());
                     });
    try {
        settings->SetupEditionPages();
        FormMain->SetupEdition();
        settings->CheckSystemDirectory(
            [prompts](const QString& text) { prompts->ShowMessage(text.toStdString()); });
        int urlCount = 0;
        if (StartupRead(model_, urlCount)) FormMain->SelectFirstEntry();
        FormMain->UpdateEntryButtons();
        // The synced roots sync once the window is up (what was not sent at the last close
        // goes now).
        QTimer::singleShot(0, FormMain, [main = FormMain] { main->Sync().SyncAtStart(); });
    } catch (const std::exception&) {
        // A failed start-up read leaves an empty or unselected tree; the program starts anyway.
    }
}

}  // namespace pernard::ui
