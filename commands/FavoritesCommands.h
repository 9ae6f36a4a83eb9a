#pragma once
// The user's save commands for Favorites directories: the overwrite save (asking first unless
// the settings say not to) and save-as into a directory named "favorites".

#include <string>

#include "commands/WriteGate.h"
#include "model/BmLogic.h"

namespace pernard {

// Asks the gate, then writes the requested root below the requested directory. True when every
// entry is on the disk (renamed ones count as written) and every left-over file it removes is
// gone; `notWritten`, when given, receives the number of entries that are not and of files that
// could not be removed, `refusal` why the gate let nothing be written. What was not written,
// renamed, removed or not removed is listed in the check-log window.
bool SaveFavorites(BmLogic& model, const WriteRequest& request, int* notWritten = nullptr,
                   WriteRefusal* refusal = nullptr);
// The same for root `root` written below `target`.
bool SaveFavorite(BmLogic& model, const std::string& target, int root, int* notWritten = nullptr);

// The save-as command: empties the chosen directory (named "favorites") and writes into it.
bool SaveAsIE(BmLogic& model);

}  // namespace pernard
