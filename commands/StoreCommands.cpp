#include "commands/StoreCommands.h"

#include "formats/chromium/ChromiumWriter.h"
#include "model/EntryExtras.h"

namespace pernard {

namespace {

// The entries the write gave other keys (new nodes' ids, places that moved) carry them from now
// on, as a read of the file written would give them.
void KeepNewKeys(BmLogic& model, const ChromiumStoreText& store) {
    for (const auto& [index, id] : store.newKeys) model.SetStoreKey(index, id);
}

}  // namespace

bool SaveBrowserStore(BmLogic& model, int root, bool force, WriteRefusal* refusal) {
    const Ports& ports = model.GetPorts();
    const WriteRequest request{.kind = WriteKind::BrowserStore,
                               .target = std::string(model.SourcePath(root)),
                               .roots = {root},
                               .confirmOverwrite = true,
                               .force = force};
    const WriteDecision decision = WriteGate::Decide(model, request);
    if (refusal != nullptr) *refusal = decision.refusal;
    if (!decision.Allowed()) return false;
    const WritePermit& permit = *decision.permit;
    const RootInfo* info = model.RootInfoOf(root);
    const bool firstWrite = info == nullptr || !info->store || !info->store->backedUp;
    const ChromiumStoreWrite write = WriteChromiumStore(model, permit, firstWrite);
    if (!write.written) {
        ports.prompts->ShowMessage(write.errorText);
        return false;
    }
    KeepNewKeys(model, write.store);
    // The file as written is where the next write starts.
    model.NoteStoreWritten(root, write.store.text);
    WriteGate::Written(model, permit);
    if (!write.backup.empty()) {
        ports.diagnostics->ReportSaveWarning("書き込む前のブックマークを保存しました : " +
                                             write.backup);
    }
    if (write.store.leftOut.Any()) {
        ports.diagnostics->ReportSaveWarning(StoreLeftOutMessage(write.store.leftOut));
    }
    ports.status->SetPanel(1, "保存完了 " + permit.Target());
    return true;
}

}  // namespace pernard
