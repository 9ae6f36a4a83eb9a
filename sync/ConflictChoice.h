#pragma once
// もう一方にする: a conflict of a sync decided the other way afterwards, as an ordinary edit of
// the local collection (one undo step) that the next run sends to the server.

#include <string>

#include "model/BmLogic.h"
#include "sync/Merge.h"

namespace pernard::sync {

// Whether the other side of the conflict can be taken (the entry is known by its id, and the
// other side is a value or a deletion of a single entry).
bool CanTakeOtherSide(const Conflict& conflict);
// Puts the value the merge did not keep on the entry below root `root`; false, with the reason
// and nothing changed, when the entry is gone or the value cannot be put back.
bool TakeOtherSide(BmLogic& model, int root, const Conflict& conflict, std::string& error);

}  // namespace pernard::sync
