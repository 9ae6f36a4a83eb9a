#include "commands/SaveCommands.h"

#include <filesystem>

#include "commands/FavoritesCommands.h"
#include "commands/StoreCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "model/EntryExtras.h"

namespace pernard {

namespace {

// An overwrite save goes to a full path only: a relative one would be written wherever the
// program happens to run.
bool IsFullPathOrSays(BmLogic& model, const std::string& target) {
    if (std::filesystem::path(target).is_absolute()) return true;
    model.GetPorts().prompts->ShowMessage("保存先はフルパスで指定してください : " + target);
    return false;
}

// Root `root` saved to a bookmark file of the user's choice in place of its source, and then
// counted as saved.
bool SaveElsewhere(BmLogic& model, int root) {
    const NodeRef held = model.RefOf(root);
    if (!SaveRootAsBookmarkFile(model, root)) return false;
    model.MarkRootsSaved({model.IndexOf(held)});
    return true;
}

bool OverwriteBookmarkFile(BmLogic& model, int root) {
    std::string target(model.SourcePath(root));
    if (target.empty() && !model.GetPorts().dialogs->OpenBookmarkFile("", target)) return false;
    if (!IsFullPathOrSays(model, target)) return false;
    const WriteRequest request{.target = target, .roots = {root}, .confirmOverwrite = true};
    WriteRefusal refusal = WriteRefusal::None;
    if (SaveBookmarkFile(model, request, &refusal)) return true;
    // Another copy of the file, or another program, wrote it since: its changes stay, and
    // this root's go where the user says.
    return refusal == WriteRefusal::SourceChanged && SaveElsewhere(model, root);
}

bool OverwriteFavorites(BmLogic& model, int root) {
    // A Favorites root is saved to the directory its name gives.
    const std::string target(model.glName[root]);
    if (!IsFullPathOrSays(model, target)) return false;
    const WriteRequest request{
        .kind = WriteKind::Favorites, .target = target, .roots = {root}, .confirmOverwrite = true};
    return SaveFavorites(model, request);
}

}  // namespace

bool SaveBookmarkFile(BmLogic& model, const WriteRequest& request, WriteRefusal* refusal) {
    const Ports& ports = model.GetPorts();
    const WriteDecision decision = WriteGate::Decide(model, request);
    if (refusal != nullptr) *refusal = decision.refusal;
    if (!decision.Allowed()) return false;
    const WritePermit& permit = *decision.permit;
    const BookmarkFileWrite result = WriteBookmarkRoots(model, permit);
    if (!result.written) {
        ports.prompts->ShowMessage("Cannot Save File : " + permit.Target());
        return false;
    }
    WriteGate::Written(model, permit);
    if (result.droppedExtras > 0) {
        ports.diagnostics->ReportSaveWarning(DroppedExtrasMessage(result.droppedExtras));
    }
    ports.status->SetPanel(1, "保存完了 " + permit.Target());
    return true;
}

bool WriteBookmarkFile(BmLogic& model, const std::string& fileName, int root) {
    const WriteRequest request{.target = fileName, .roots = {root}};
    return SaveBookmarkFile(model, request);
}

bool SaveBM(BmLogic& model) {
    int root = -1;
    return CheckRootNode(model, root) && SaveRoot(model, root);
}

bool SaveRoot(BmLogic& model, int root) {
    if (!model.IsValidIndex(root) || !model.IsRoot(root)) {
        return false;
    }
    switch (model.SourceKindOf(root)) {
        case SourceKind::BookmarkFile:
            return OverwriteBookmarkFile(model, root);
        case SourceKind::Favorites:
            return OverwriteFavorites(model, root);
        case SourceKind::Chromium: {
            WriteRefusal refusal = WriteRefusal::None;
            if (SaveBrowserStore(model, root, false, &refusal)) return true;
            // The browser wrote its store since it was read: this root's changes go where the
            // user says.
            return refusal == WriteRefusal::SourceChanged && SaveElsewhere(model, root);
        }
        case SourceKind::Firefox:
            // Read-only: saved as a bookmark file of the user's choice instead.
            model.GetPorts().prompts->ShowMessage(kFirefoxReadOnlyMessage +
                                                  std::string(model.SourcePath(root)));
            return SaveElsewhere(model, root);
    }
    return false;
}

bool SaveBookmarkAs(BmLogic& model) {
    int root = -1;
    return CheckRootNode(model, root) && SaveRootAsBookmarkFile(model, root);
}

bool SaveRootAsBookmarkFile(BmLogic& model, int root) {
    const Ports& ports = model.GetPorts();
    std::string chosen;
    if (!ports.dialogs->SaveBookmarkFile(ports.settings->AdditionalBookmarkFile(), chosen)) {
        return false;
    }
    if (!WriteBookmarkFile(model, chosen, root)) return false;
    ports.settings->SetAdditionalBookmarkFile(chosen);
    return true;
}

}  // namespace pernard
