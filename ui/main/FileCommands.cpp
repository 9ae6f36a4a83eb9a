// The main window's file commands: loading a bookmark file or a Favorites directory, in place of
// the collection or beside it, and saving over the source or under a new name.

#include "commands/FavoritesCommands.h"
#include "commands/LoadCommands.h"
#include "commands/SaveCommands.h"
#include "formats/favorites/FavoritesReader.h"
#include "formats/favorites/FavoritesWriter.h"
#include "formats/bookmarkfile/NetscapeReader.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "ui/main/BoardMain.h"
#include "ui/dialogs/Bookmark.h"
#include "ui/widgets/PersistentWindow.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

void TFormMain::LoadReporting(bool complete, const std::string& path, std::optional<SourceKind> as,
                              const ReadOutcomeWords& words) {
    checks_->SetOutputPending(false);  // every load ends a pending output
    // A cut or copy pending from the previous collection ends with it.
    if (complete && ClipPending()) EndPendingClip();
    const int newRoot = model_.Tree().Count();
    LoadAndSay(model_, complete, path, as, words, complete ? "ブックマーク読込" : "追加読込");
    SelectNode(complete ? 0 : newRoot);
    if (complete && model_.Tree().Count() == 0) ListItems->Clear();
    UpdateEntryButtons();
}

void TFormMain::NetScapeB1Click() {
    std::string chosen;
    const Ports& ports = model_.GetPorts();
    if (!ports.dialogs->OpenBookmarkFile(ports.settings->StartupBookmarkFile(), chosen)) return;
    if (!SettleUnsavedChanges()) return;
    ports.settings->SetStartupBookmarkFile(chosen);
    LoadReporting(true, chosen, SourceKind::BookmarkFile, kCompleteLoadWords);
}

void TFormMain::NetScape1Click() {
    std::string chosen;
    const Ports& ports = model_.GetPorts();
    if (!ports.dialogs->OpenBookmarkFile(ports.settings->AdditionalBookmarkFile(), chosen)) return;
    ports.settings->SetAdditionalBookmarkFile(chosen);
    LoadReporting(false, chosen, SourceKind::BookmarkFile, kAdditionalLoadWords);
}

void TFormMain::IE1Click() {
    const Ports& ports = model_.GetPorts();
    std::string directory;
    if (!ports.dialogs->ChooseDirectory(ports.settings->StartupFavoritesDirectory(), directory))
        return;
    if (!SettleUnsavedChanges()) return;
    ports.settings->SetStartupFavoritesDirectory(directory);
    LoadReporting(true, directory, SourceKind::Favorites, kFavoritesLoadWords);
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
    LoadReporting(false, directory, SourceKind::Favorites, kFavoritesLoadWords);
}

void TFormMain::miFileSaveClick() { SaveBM(model_); }

void TFormMain::NetScape2Click() { SaveBookmarkAs(model_); }
void TFormMain::IE3Click() { SaveAsIE(model_); }
}  // namespace pernard::ui
