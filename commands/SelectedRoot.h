#pragma once
// The root a save command of the window acts on: the root of the selection.

#include "model/BmLogic.h"

namespace pernard {

// The root of the selection (BmLogic::SelectedRoot), with "フォルダーを選択してください" when
// there is none.
bool CheckRootNode(BmLogic& model, int& root);

}  // namespace pernard
