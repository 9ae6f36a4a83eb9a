#include "model/LoadTransaction.h"

namespace pernard {

LoadTransaction::LoadTransaction(BmLogic& model, bool complete, const char* progressText)
    : model_(model), builder_(model) {
    if (complete && !model_.ResetEntryTable(beginError_)) return;
    if (!complete) model_.ForgetHistory();
    begun_ = true;
    const Ports& ports = model_.GetPorts();
    // The consistency check turns itself off after a fault; a new load arms it again.
    ports.settings->SetDebugCheck(true);
    ports.progress->Show(progressText);
    model_.ClearMemo();
    DiagnosticsPort& diagnostics = *ports.diagnostics;
    diagnostics.ClearReadingLog();
    diagnostics.ClearBookmarkList();
    diagnostics.SetFileComment("");
    diagnostics.SetFileTitle("");
    diagnostics.SetFileHeading("");
    model_.tree_.BeginBulk();
    model_.BeginReadHashes();
}

LoadTransaction::~LoadTransaction() {
    if (begun_ && !ended_) End(false);
}

ReadOutcome LoadTransaction::End(bool ok, std::string errorText) {
    ReadOutcome outcome;
    outcome.ok = ok && begun_;
    outcome.errorText = begun_ ? std::move(errorText) : beginError_;
    if (!begun_ || ended_) return outcome;
    ended_ = true;
    builder_.Finish();
    bool rowsKept = true;
    if (model_.GetPorts().settings->NoEmptyFolders() && builder_.FirstRow() >= 0) {
        const bool changed = model_.glChanged;
        // Every root of the read: a file with several titles gives several.
        rowsKept = model_.DeleteEmptyFolders(false, builder_.FirstRow()) == 0;
        // Part of the load, which nothing before or in it can undo, and no change of what
        // was there before it.
        model_.ForgetHistory();
        model_.changed_ = changed;
    }
    model_.tree_.EndBulk();
    model_.EndReadHashes(rowsKept);
    model_.GetPorts().progress->Close();
    outcome.urlCount = builder_.UrlCount();
    outcome.notices = builder_.Notices();
    return outcome;
}

}  // namespace pernard
