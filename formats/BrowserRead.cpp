#include "formats/BrowserRead.h"

#include "formats/NetscapeReader.h"
#include "util/HtmlText.h"
#include "util/Numbers.h"
#include "util/Text.h"

namespace pernard {

bool RunBrowserRead(BmLogic& model, bool complete,
                    const std::function<bool(EntryBuilder&, std::string&)>& fill, int& urlCount,
                    std::string& errorText) {
    const Ports& ports = model.GetPorts();
    urlCount = 0;
    if (complete && !model.ResetEntryTable(errorText)) return false;
    // Nothing before an additional load can be undone: the steps would not know its rows.
    if (!complete) model.ForgetHistory();
    ports.progress->Show("Bookmark 読込中");
    ports.diagnostics->ClearReadingLog();
    model.Tree().BeginBulk();
    EntryBuilder builder(model);
    bool ok = fill(builder, errorText);
    builder.Finish();
    if (ok && builder.Root() < 0) {
        errorText = kCapacityMessage;
        ok = false;
    } else if (!ok && builder.Root() >= 0) {
        // What was read stays, as a root known to hold only part of its store.
        model.MarkRootPartial(builder.Root());
    }
    if (builder.Root() >= 0) model.SetRootRead(builder.Root(), model.NewReadNumber());
    if (ports.settings->NoEmptyFolders()) {
        model.DeleteEmptyFolders(false);
        // Part of the load, which nothing before or in it can undo.
        model.ForgetHistory();
    }
    model.Tree().EndBulk();
    model.RememberRootsAsRead();
    urlCount = builder.UrlCount();
    ports.progress->Close();
    return ok;
}

EntryBuilder::Outcome OpenStoreFolder(BmLogic& model, EntryBuilder& builder,
                                      const std::string& name, const std::string& added,
                                      EntryExtras extras, bool& partial) {
    const EntryBuilder::Outcome outcome = builder.OpenFolder(name, added, std::move(extras));
    if (outcome == EntryBuilder::Outcome::TooDeep) {
        model.GetPorts().diagnostics->ReportReadWarning(kTooDeepFolderMessage + name);
        partial = true;
    }
    return outcome;
}

bool LeaveOutFolderMarkerUrl(BmLogic& model, const EntryTexts& fields, bool& partial) {
    if (fields.url != kFolderMarker) return false;
    model.GetPorts().diagnostics->ReportReadWarning(kFolderMarkerUrlMessage + fields.name);
    partial = true;
    return true;
}

std::string StoreAttribute(const char* name, std::string_view value) {
    return std::string(" ") + name + "=\"" + EscapeHtml(value) + "\"";
}

void SetStoreDescription(std::string_view text, EntryExtras& extras) {
    // Each line escaped on its own (the escaping would make a line end a reference), then
    // joined by "\n"; a line is ended by CR LF, LF or CR.
    std::string description;
    std::size_t kept = 0;  // the length up to the last line that is not blank
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        if (at > 0) description += '\n';
        AppendEscapedHtml(description, line);
        if (!TrimBlanksView(line).empty()) kept = description.size();
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    // Blank lines at the end go, as a bookmark file's reader drops them.
    if (kept == 0) return;
    description.resize(kept);
    extras.hasDescription = true;
    extras.description = std::move(description);
}

std::string MicrosecondsToSeconds(std::string_view microseconds, long long epochSeconds) {
    long long value = 0;
    if (!ParseWholeNumber(microseconds, value) || value <= 0) return {};
    const long long seconds = value / 1000000 - epochSeconds;
    return seconds > 0 ? std::to_string(seconds) : std::string();
}

}  // namespace pernard
