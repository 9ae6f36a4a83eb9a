#pragma once
// The user's save commands: the overwrite save of the selection's root (over its bookmark file,
// its Favorites directory or its Chromium-family store, or for Firefox's store into a bookmark
// file chosen instead), and
// save-as to a bookmark file. Each asks the write gate (commands/WriteGate.h) first, writes
// through the writers and says what came of it; the collection counts as saved once no root
// has changes left.

#include <string>

#include "commands/SelectedRoot.h"
#include "commands/WriteGate.h"
#include "model/BmLogic.h"

namespace pernard {

// Asks the gate, writes the bookmark file and says what came of it: on success panel 1 shows
// "保存完了 " + file name; a failure shows "Cannot Save File : " + file name; extras left out
// are said once. `refusal`, when given, receives why the gate let nothing be written.
bool SaveBookmarkFile(BmLogic& model, const WriteRequest& request,
                      WriteRefusal* refusal = nullptr);
// The same for root `root` written to `fileName`.
bool WriteBookmarkFile(BmLogic& model, const std::string& fileName, int root);

// Overwrite save of the root of the selection, whatever its source kind.
bool SaveBM(BmLogic& model);
// Overwrite save of root `root` (with the other roots its file gave). When its file or store
// changed on the disk since it was read, it is saved to a bookmark file of the user's choice
// instead.
bool SaveRoot(BmLogic& model, int root);

// The save-as command for bookmark files.
bool SaveBookmarkAs(BmLogic& model);
// Saves root `root` to a bookmark file the user chooses.
bool SaveRootAsBookmarkFile(BmLogic& model, int root);

}  // namespace pernard
