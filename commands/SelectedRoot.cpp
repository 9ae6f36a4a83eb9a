#include "commands/SelectedRoot.h"

namespace pernard {

bool CheckRootNode(BmLogic& model, int& root) {
    // A root whose title is empty is still a root.
    root = model.SelectedRoot();
    if (root >= 0) return true;
    model.GetPorts().prompts->ShowMessage("フォルダーを選択してください");
    return false;
}

}  // namespace pernard
