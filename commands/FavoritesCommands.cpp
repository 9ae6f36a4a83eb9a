#include "commands/FavoritesCommands.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "commands/SelectedRoot.h"
#include "commands/WriteGate.h"
#include "formats/favorites/FavoritesWriter.h"
#include "model/EntryExtras.h"
#include "util/Paths.h"
#include "util/Text.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSaveAsCaption = "名前を付けて保存実行中";

// The last component of a directory text: what follows the last separator or ":".
std::string LastComponent(const std::string& path) {
    const std::size_t cut = path.find_last_of(std::string(1, kPathSeparator) + "\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Lists what the check-log window shows and the counts in panel 0.
void ReportCounts(BmLogic& model, const FavoritesWrite& counts) {
    const Ports& ports = model.GetPorts();
    ports.diagnostics->AppendCheckLogLines(counts.logLines);
    if (counts.failed > 0 || counts.notRemoved > 0 || counts.renamed > 0) {
        char text[96];
        if (counts.failed > 0) {
            std::snprintf(text, sizeof text, "保存エラー : %d 件", counts.failed);
        } else if (counts.notRemoved > 0) {
            std::snprintf(text, sizeof text, "削除できません : %d 件", counts.notRemoved);
        } else {
            std::snprintf(text, sizeof text, "名前を変えて保存 : %d 件", counts.renamed);
        }
        ports.diagnostics->SetCheckLogStatus(text);
        ports.diagnostics->ShowCheckLog();
    }
    if (counts.droppedExtras > 0) {
        ports.diagnostics->ReportSaveWarning(DroppedExtrasMessage(counts.droppedExtras));
    }
    char text[64];
    std::snprintf(text, sizeof text, "OK : %d  NG : %d", counts.written,
                  counts.failed + counts.notRemoved);
    ports.status->SetPanel(0, text);
}

}  // namespace

bool SaveFavorites(BmLogic& model, const WriteRequest& request, int* notWritten,
                   WriteRefusal* refusal) {
    if (notWritten != nullptr) *notWritten = 0;
    const WriteDecision decision = WriteGate::Decide(model, request);
    if (refusal != nullptr) *refusal = decision.refusal;
    if (!decision.Allowed()) return false;
    const Ports& ports = model.GetPorts();
    ports.diagnostics->ClearCheckLog();
    const FavoritesWrite counts = WriteFavoritesOver(model, *decision.permit);
    ReportCounts(model, counts);
    if (notWritten != nullptr) *notWritten = counts.failed + counts.notRemoved;
    ports.progress->Close();
    // An entry that is not on the disk, or a deleted one whose file could not be removed (it
    // would come back on the next read), makes the save a failure: the close sequence keeps the
    // window (and the list of what was not written) open, and the collection stays changed.
    if (counts.failed > 0 || counts.notRemoved > 0) return false;
    WriteGate::Written(model, *decision.permit);
    ports.status->SetPanel(1, "保存完了 " + request.target);
    return true;
}

bool SaveFavorite(BmLogic& model, const std::string& target, int root, int* notWritten) {
    return SaveFavorites(model, {.kind = WriteKind::Favorites, .target = target, .roots = {root}},
                         notWritten);
}

bool SaveAsIE(BmLogic& model) {
    int root = -1;
    if (!CheckRootNode(model, root)) return false;
    const Ports& ports = model.GetPorts();
    std::string target;
    if (!ports.dialogs->ChooseDirectory(ports.settings->AdditionalFavoritesDirectory(), target)) {
        return false;
    }
    if (LowerAscii(LastComponent(target)) != "favorites") {
        ports.prompts->ShowMessage("Favorites 以外の名称のディレクトリには保存できません");
        return false;
    }
    if (IsLink(target)) {
        ports.prompts->ShowMessage("Cannot Save File : " + target);
        return false;
    }
    const WriteRequest request{.kind = WriteKind::FavoritesAnew, .target = target, .roots = {root}};
    const WriteDecision decision = WriteGate::Decide(model, request);
    if (!decision.Allowed()) return false;
    std::error_code error;
    if (fs::exists(target, error)) {
        const std::string question =
            std::string(model.glName[root]) + " を " + target +
            " に上書します（注意！！  この下のファイル、ディレクトリは全ていったん消去されます）";
        if (ports.prompts->Confirm(question, Buttons::YesCancel) != Answer::Yes) return false;
    }
    ports.progress->Show(kSaveAsCaption);
    ports.diagnostics->ClearCheckLog();
    const FavoritesWrite counts = WriteFavoritesAnew(model, *decision.permit);
    if (!counts.replaced) {
        ports.progress->Close();
        ports.prompts->ShowMessage("Cannot Save File : " + target);
        return false;
    }
    ReportCounts(model, counts);
    ports.progress->Close();
    // Written over its own source whole, the root is saved.
    if (counts.failed == 0) WriteGate::Written(model, *decision.permit);
    ports.status->SetPanel(1, "Save Favorite  " + target + " " + std::to_string(root));
    return true;
}

}  // namespace pernard
