#pragma once
// The user's save commands: the overwrite save of the selection's root (over its bookmark file,
// its Favorites directory, or for a browser's store into a bookmark file chosen instead), and
// save-as to a bookmark file. They ask, write through the writers and say what came of it; the
// collection counts as saved once no root has changes left.

#include <string>
#include <vector>

#include "model/BmLogic.h"

namespace pernard {

// Writes the roots to `fileName` (formats/NetscapeWriter) and says what came of it: on success
// panel 1 shows "保存完了 " + file name; a failure shows "Cannot Save File : " + file name, a
// browser's store as the target its own message; extras left out are said once.
bool WriteBookmarkFile(BmLogic& model, const std::string& fileName, int root);
bool WriteBookmarkFile(BmLogic& model, const std::string& fileName, const std::vector<int>& roots);

// The root of the selection (BmLogic::SelectedRoot), with "フォルダーを選択してください" when
// there is none.
bool CheckRootNode(BmLogic& model, int& root);

// Overwrite save of a root read from a bookmark file.
bool ConfirmAndWriteBookmark(BmLogic& model, const std::string& rootName, int root);

// Overwrite save of the root of the selection, whatever its source kind.
bool SaveBM(BmLogic& model);
// Overwrite save of root `root`. The collection counts as saved once no root has changes left.
bool SaveRoot(BmLogic& model, int root);

// The save-as command for bookmark files.
bool SaveBookmarkAs(BmLogic& model);
// Saves root `root` to a bookmark file the user chooses. A browser's own store is never a
// target: a root read from one is saved this way by the overwrite save.
bool SaveRootAsBookmarkFile(BmLogic& model, int root);

}  // namespace pernard
