// The main window's file commands: loading a bookmark file or a Favorites directory, in place of
// the collection or beside it, and saving over the source or under a new name.

#include <cstdio>

#include "commands/FavoritesCommands.h"
#include "commands/SaveCommands.h"
#include "formats/FavoritesReader.h"
#include "formats/FavoritesWriter.h"
#include "formats/NetscapeReader.h"
#include "formats/NetscapeWriter.h"
#include "ui/BoardMain.h"
#include "ui/Bookmark.h"
#include "ui/PersistentWindow.h"
#include "ui/QtText.h"

namespace pernard::ui {

namespace {

std::string Format(const char* format, int value) {
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

void TFormMain::ShowReadResult(bool ok, int urlCount, const std::string& errorText,
                               const char* format) {
    outputPending_ = false;  // every load ends a pending output
    Panel0->setText(ok ? Text(Format(format, urlCount)) : "エラー " + Text(errorText));
    // The readers return what stopped them; it is said here, once, over the window.
    if (!ok && !errorText.empty()) model_.GetPorts().prompts->ShowMessage(errorText);
    UpdateEntryButtons();
}

void TFormMain::ReadFavoritesReporting(bool complete, const std::string& directory) {
    outputPending_ = false;  // every load ends a pending output
    int urlCount = 0;
    std::string errorText;
    if (ReadFavorites(model_, complete, directory, errorText, urlCount)) {
        Panel0->setText(Text(Format("読込完了 :%d 件", urlCount)));
        Panel1->setText(Text(directory));
    } else {
        model_.GetPorts().prompts->ShowMessage("エラー " + errorText);
        Panel0->setText("読込失敗 ");
    }
    UpdateEntryButtons();
}

void TFormMain::NetScapeB1Click() {
    std::string chosen;
    const Ports& ports = model_.GetPorts();
    if (!ports.dialogs->OpenBookmarkFile(ports.settings->StartupBookmarkFile(), chosen)) return;
    if (!SettleUnsavedChanges()) return;
    ports.settings->SetDebugCheck(true);
    ports.settings->SetStartupBookmarkFile(chosen);
    // A cut or copy pending from the previous collection ends with it.
    if (ClipPending()) EndPendingClip();
    int urlCount = 0;
    std::string errorText;
    const bool ok = ReadNetscapeFile(model_, true, chosen, urlCount, errorText);
    ShowReadResult(ok, urlCount, errorText, "読込完了 :%d 件");
    SelectNode(0);
    if (model_.Tree().Count() == 0) ListItems->Clear();
    model_.CheckConsistency("ブックマーク読込", true);
}

void TFormMain::NetScape1Click() {
    std::string chosen;
    const Ports& ports = model_.GetPorts();
    if (!ports.dialogs->OpenBookmarkFile(ports.settings->AdditionalBookmarkFile(), chosen)) return;
    ports.settings->SetAdditionalBookmarkFile(chosen);
    const int newRoot = model_.Tree().Count();
    int urlCount = 0;
    std::string errorText;
    const bool ok = ReadNetscapeFile(model_, false, chosen, urlCount, errorText);
    ShowReadResult(ok, urlCount, errorText, "追加読込完了:%d 件");
    SelectNode(newRoot);
    model_.CheckConsistency("追加読込", true);
}

void TFormMain::IE1Click() {
    const Ports& ports = model_.GetPorts();
    std::string directory;
    if (!ports.dialogs->ChooseDirectory(ports.settings->StartupFavoritesDirectory(), directory))
        return;
    if (!SettleUnsavedChanges()) return;
    ports.settings->SetStartupFavoritesDirectory(directory);
    if (ClipPending()) EndPendingClip();
    ReadFavoritesReporting(true, directory);
    SelectNode(0);
    if (model_.Tree().Count() == 0) ListItems->Clear();
    model_.CheckConsistency("ブックマーク読込", true);
}

void TFormMain::IE2Click() {
    const std::string directory = model_.GetPorts().settings->AdditionalFavoritesDirectory();
    if (directory.empty()) {
        if (links_.settings != nullptr) {
            ShowInFront(links_.settings);
            links_.settings->StatusBar->showMessage(
                "Internet Explorer の追加読込用のディレクトリを指定してください");
        }
        return;
    }
    const int newRoot = model_.Tree().Count();
    ReadFavoritesReporting(false, directory);
    SelectNode(newRoot);
    model_.CheckConsistency("追加読込", true);
}

void TFormMain::miFileSaveClick() { SaveBM(model_); }

void TFormMain::NetScape2Click() { SaveBookmarkAs(model_); }
void TFormMain::IE3Click() { SaveAsIE(model_); }
}  // namespace pernard::ui
