#include "commands/LoadCommands.h"

#include <cstdio>

#include "formats/SourceRead.h"

namespace pernard {

ReadOutcome LoadSource(BmLogic& model, bool complete, const std::string& path,
                       std::optional<SourceKind> as) {
    return ReadSourceAs(model, complete, path, as ? *as : KindOfSource(path));
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
