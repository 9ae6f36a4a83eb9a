#pragma once
// The user's load commands above the readers: ブックマークの読込 and 追加読込 of every kind, the
// read at start-up and the command line's sources all read through LoadSource, and say what came
// of a read in one place (SayReadOutcome): the status bar's panel 0, and a message for an error
// and for each notice of the read.

#include <optional>
#include <string>

#include "model/BmLogic.h"
#include "model/LoadTransaction.h"

namespace pernard {

// Reads `path` as one load (`complete` empties the table first), as the kind the user asked
// for, or with no kind asked, as whatever the source is found to be.
ReadOutcome LoadSource(BmLogic& model, bool complete, const std::string& path,
                       std::optional<SourceKind> as = std::nullopt);

// How a kind of load words its outcome.
struct ReadOutcomeWords {
    const char* done;         // panel 0 after a read that went through, with the count
    const char* failedPanel;  // panel 0 after a failure; nullptr: "エラー " and the error
    bool errorPrefixed;       // the message box says "エラー " before the error
    bool sourceInPanel1;      // panel 1 shows the source after a read that went through
};
inline constexpr ReadOutcomeWords kCompleteLoadWords{"読込完了 :%d 件", nullptr, false, false};
inline constexpr ReadOutcomeWords kAdditionalLoadWords{"追加読込完了:%d 件", nullptr, false, false};
inline constexpr ReadOutcomeWords kFavoritesLoadWords{"読込完了 :%d 件", "読込失敗 ", true, true};

// The text of panel 0 for an outcome.
std::string ReadOutcomePanel(const ReadOutcome& outcome, const ReadOutcomeWords& words);
// Says what came of a read from `path`: panel 0 (and panel 1), then the error and each notice
// as a message.
void SayReadOutcome(const Ports& ports, const ReadOutcome& outcome, const std::string& path,
                    const ReadOutcomeWords& words);

// LoadSource, said; the consistency check runs afterwards under `checkName`.
ReadOutcome LoadAndSay(BmLogic& model, bool complete, const std::string& path,
                       std::optional<SourceKind> as, const ReadOutcomeWords& words,
                       const char* checkName);

}  // namespace pernard
