// Folders that hold no URL below them (the duplicate check is in model/Duplicates.cpp).

#include <algorithm>
#include <cstdio>

#include "model/BmLogic.h"

namespace pernard {

int BmLogic::DeleteEmptyFolders(bool showLog, int fromRow) {
    const int count = tree_.Count() < glCT ? tree_.Count() : glCT;
    // usedChildren[k]: children of folder k that are URLs or hold a URL below them. Children
    // come after their parent, so a folder's count is complete before it is looked at.
    std::vector<int> usedChildren(static_cast<std::size_t>(count), 0);
    for (int k = count - 1; k >= 0; --k) {
        const int parent = parents_[static_cast<std::size_t>(k)];
        if (parent < 0 || parent >= count) continue;
        if (!IsFolder(k) || usedChildren[static_cast<std::size_t>(k)] > 0) {
            ++usedChildren[static_cast<std::size_t>(parent)];
        }
    }

    DiagnosticsPort& log = *ports_.diagnostics;
    log.ClearCheckLog();
    if (showLog) log.ShowCheckLog();
    std::vector<std::string> lines{"削除フォルダー", ""};

    StepScope step(*this, "空のフォルダーの削除");
    // Only the subtree of the last root is cleaned, or every row from `fromRow` on; roots
    // themselves always stay.
    std::vector<char> remove(static_cast<std::size_t>(count), 0);
    std::vector<int> topmostRemoved;
    int removed = 0;
    for (int k = count - 1; k >= std::max(fromRow, 0); --k) {
        if (parents_[static_cast<std::size_t>(k)] < 0) {
            if (fromRow < 0) break;
            continue;
        }
        if (IsFolder(k) && usedChildren[static_cast<std::size_t>(k)] == 0) {
            lines.emplace_back(glName[k]);
            remove[static_cast<std::size_t>(k)] = 1;
            ++removed;
        }
    }
    if (removed > 0) {
        for (int k = 0; k < count; ++k) {
            const int parent = parents_[static_cast<std::size_t>(k)];
            if (remove[static_cast<std::size_t>(k)] &&
                !(parent >= 0 && remove[static_cast<std::size_t>(parent)])) {
                topmostRemoved.push_back(k);
            }
        }
        // Kept for undo: every removed folder comes back as the node it was.
        Record(BlocksAction{TakeOutBlocks(topmostRemoved), true});
        changed_ = true;
    }

    log.AppendCheckLogLines(lines);
    char text[64];
    std::snprintf(text, sizeof text, "削除フォルダー ： %d 件", removed);
    ports_.status->SetPanel(1, text);
    return removed;
}

}  // namespace pernard
