#pragma once
// A fresh program per test: empty settings, recorders for every prompt, dialog and browser.

#include <gtest/gtest.h>

#include <QDialog>
#include <QSettings>
#include <functional>
#include <memory>

#include "support/Doubles.h"
#include "support/TestFiles.h"
#include "ui/main/BoardMain.h"
#include "ui/dialogs/Bookmark.h"
#include "ui/app/PernardApp.h"

namespace pernard::testing {

class RecordingBrowser : public ui::BrowserPort {
public:
    std::vector<QString> opened;
    bool result = true;
    bool Open(const QString& address) override {
        opened.push_back(address);
        return result;
    }
};

class UiTest : public ::testing::Test {
protected:
    void SetUp() override { Settings().clear(); }
    void TearDown() override {
        app.reset();
        Settings().clear();
    }
    static QSettings Settings() { return QSettings("Tesvel", "Common"); }
    static void Store(const QString& key, const QString& value) {
        QSettings settings = Settings();
        settings.setValue(key, value);
        settings.sync();
    }
    static QString Stored(const QString& key) { return Settings().value(key).toString(); }

    void Start(std::optional<ui::StartupOverride> source = std::nullopt) {
        app = std::make_unique<ui::PernardApp>(
            source, ui::UiOverrides{&prompts, &dialogs, &browser,
                                    [this](QDialog& dialog) { return RunDialog(dialog); }});
    }

    // The URL and folder dialogs are shown (so that their show handlers run) and answered by
    // `answerDialog`, which fills fields and presses buttons; a dialog still open afterwards
    // is cancelled.
    int RunDialog(QDialog& dialog) {
        dialogsShown.push_back(dialog.objectName());
        dialog.show();
        if (answerDialog) answerDialog(dialog);
        if (dialog.isVisible()) dialog.reject();
        return dialog.result();
    }
    std::function<void(QDialog&)> answerDialog;
    std::vector<QString> dialogsShown;
    ui::TFormMain& Main() { return *app->FormMain; }
    BmLogic& Model() { return app->Model(); }
    std::string Sample() const { return std::string(PERNARD_EXAMPLES_DIR) + "/bookmark.htm"; }

    RecordingPrompts prompts;
    ScriptedDialogs dialogs;
    RecordingBrowser browser;
    TempDir temp;
    std::unique_ptr<ui::PernardApp> app;
};

}  // namespace pernard::testing
