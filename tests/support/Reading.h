#pragma once
// A read as the tests take it: LoadSource's outcome as a flag, with the bookmarks read and the
// error text.

#include <string>

#include "commands/LoadCommands.h"

namespace pernard {

inline bool Unpacked(const ReadOutcome& outcome, int& urlCount, std::string& errorText) {
    urlCount = outcome.urlCount;
    if (!outcome.errorText.empty()) errorText = outcome.errorText;
    return outcome.ok;
}

}  // namespace pernard
