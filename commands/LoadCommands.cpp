#include "commands/LoadCommands.h"

#include <cstdio>

#include "formats/SourceRead.h"

namespace pernard {

ReadOutcome LoadSource(BmLogic& model, bool complete, const std::string& path,
                       std::optional<SourceKind> as) {
    const OpenedSource opened = OpenSource(path, as ? *as : KindOfSource(path));
    if (!opened.parser) {
        ReadOutcome refused;
        refused.errorText = opened.errorText;
        return refused;
    }
    LoadTransaction load(model, complete, opened.parser->ProgressText());
    if (!load.Begun()) return load.End(false);
    EntryBuilder& builder = load.Builder();
    std::string errorText;
    bool ok = opened.parser->Parse(builder, errorText);
    if (ok && builder.Root() < 0) {
        errorText = kCapacityMessage;
        ok = false;
    } else if (!ok && builder.Root() >= 0) {
        // What was read of a source that failed stays, as a root known to hold only part of
        // it: a save over the source would lose the rest.
        builder.MarkPartial();
    }
    return load.End(ok, std::move(errorText));
}

std::string ReadOutcomePanel(const ReadOutcome& outcome, const ReadOutcomeWords& words) {
    if (outcome.ok) {
        char text[128];
        std::snprintf(text, sizeof text, words.done, outcome.urlCount);
        return text;
    }
    return words.failedPanel != nullptr ? words.failedPanel : "エラー " + outcome.errorText;
}

void SayReadOutcome(const Ports& ports, const ReadOutcome& outcome, const std::string& path,
                    const ReadOutcomeWords& words) {
    ports.status->SetPanel(0, ReadOutcomePanel(outcome, words));
    if (outcome.ok && words.sourceInPanel1) ports.status->SetPanel(1, path);
    if (!outcome.ok && !outcome.errorText.empty()) {
        ports.prompts->ShowMessage(words.errorPrefixed ? "エラー " + outcome.errorText
                                                       : outcome.errorText);
    }
    for (const std::string& notice : outcome.notices) ports.prompts->ShowMessage(notice);
}

ReadOutcome LoadAndSay(BmLogic& model, bool complete, const std::string& path, std::optional<SourceKind> as,
                       const ReadOutcomeWords& words, const char* checkName) {
    const ReadOutcome outcome = LoadSource(model, complete, path, as);
    SayReadOutcome(model.GetPorts(), outcome, path, words);
    model.CheckConsistency(checkName, true);
    return outcome;
}

}  // namespace pernard
