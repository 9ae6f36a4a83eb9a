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
    // The store as the browser left it is kept before the first write: among the earlier
    // versions, or where there is no history, as a copy beside it.
    const bool firstWrite = info == nullptr || !info->store || !info->store->backedUp;
    const bool backUp = firstWrite && !permit.EarlierVersionKept();
    const ChromiumStoreWrite write = WriteChromiumStore(model, permit, backUp);
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
    } else if (firstWrite) {
        ports.diagnostics->ReportSaveWarning(
            "書き込む前のブックマークを以前の版に残しました（ファイル › 以前の版… で戻せます） : " +
            permit.Target());
    }
    if (write.store.leftOut.Any()) {
        ports.diagnostics->ReportSaveWarning(StoreLeftOutMessage(write.store.leftOut));
    }
    ports.status->SetPanel(1, "保存完了 " + permit.Target());
    return true;
}

}  // namespace pernard
