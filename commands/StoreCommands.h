#pragma once
// Writing a Chromium-family browser's bookmarks back into its own store: the overwrite save of
// a root read from one (and `pernard-cli save --to-store`). Firefox's stores stay read-only.

#include "commands/WriteGate.h"
#include "model/BmLogic.h"

namespace pernard {

// Asks the gate, writes root `root` back to the store it was read from and says what came of
// it: on success panel 1 shows "保存完了 " + the store's path, and the copy made of the old file
// is named among the save's warnings. The entries written as new nodes keep the ids they were
// given, so that the next write finds them again. `refusal`, when given, receives why the gate
// let nothing be written.
bool SaveBrowserStore(BmLogic& model, int root, bool force = false,
                      WriteRefusal* refusal = nullptr);

}  // namespace pernard
