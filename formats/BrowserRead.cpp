#include "formats/BrowserRead.h"

#include "formats/BrowserStores.h"
#include "formats/ReadMessages.h"
#include "util/HtmlText.h"
#include "util/Numbers.h"
#include "util/Text.h"

namespace pernard {

bool AddStoreRoot(EntryBuilder& builder, const std::string& path, SourceKind kind,
                  const char* charset, std::string& errorText) {
    if (builder.AddRoot(StoreRootName(path, kind), kind, path) != EntryBuilder::Outcome::Added) {
        errorText = kCapacityMessage;
        return false;
    }
    builder.SetCharset(charset);
    return true;
}

EntryBuilder::Outcome OpenStoreFolder(EntryBuilder& builder, const std::string& name,
                                      const std::string& added, EntryExtras extras,
                                      bool& partial) {
    const EntryBuilder::Outcome outcome = builder.OpenFolder(name, added, std::move(extras));
    if (outcome == EntryBuilder::Outcome::TooDeep) {
        builder.Warn(kTooDeepFolderMessage + name);
        partial = true;
    }
    return outcome;
}

bool LeaveOutFolderMarkerUrl(EntryBuilder& builder, const EntryTexts& fields, bool& partial) {
    if (fields.url != kFolderMarker) return false;
    builder.Warn(kFolderMarkerUrlMessage + fields.name);
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
