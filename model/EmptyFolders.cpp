// Removal of folders that hold no URL anywhere below them.

#include <cstdio>

#include "model/BmLogic.h"

namespace pernard {

void BmLogic::DeleteEmptyFolders(bool showLog) {
    const int count = tree_.Count() < glCT ? tree_.Count() : glCT;
    // usedChildren[k]: children of folder k that are URLs or hold a URL below them. Children
    // come after their parent, so a folder's count is complete before it is looked at.
    std::vector<int> usedChildren(static_cast<std::size_t>(count), 0);
    for (int k = count - 1; k >= 0; --k) {
        const int parent = gloya[static_cast<std::size_t>(k)];
        if (parent < 0 || parent >= count) continue;
        if (!IsFolder(k) || usedChildren[static_cast<std::size_t>(k)] > 0) {
            ++usedChildren[static_cast<std::size_t>(parent)];
        }
    }

    DiagnosticsPort& log = *ports_.diagnostics;
    log.ClearCheckLog();
    if (showLog) log.ShowCheckLog();
    log.AppendCheckLog("削除フォルダー");
    log.AppendCheckLog("");

    // Only the subtree of the last root is cleaned; roots themselves always stay.
    std::vector<char> remove(static_cast<std::size_t>(count), 0);
    std::vector<TreeNode*> topmostRemoved;
    int removed = 0;
    for (int k = count - 1; k >= 0; --k) {
        if (gloya[static_cast<std::size_t>(k)] < 0) break;
        if (IsFolder(k) && usedChildren[static_cast<std::size_t>(k)] == 0) {
            log.AppendCheckLog(glName[static_cast<std::size_t>(k)]);
            remove[static_cast<std::size_t>(k)] = 1;
            ++removed;
        }
    }
    if (removed > 0) {
        for (int k = 0; k < count; ++k) {
            const int parent = gloya[static_cast<std::size_t>(k)];
            if (remove[static_cast<std::size_t>(k)] &&
                !(parent >= 0 && remove[static_cast<std::size_t>(parent)])) {
                topmostRemoved.push_back(glNode[static_cast<std::size_t>(k)]);
            }
        }
        tree_.DeleteMany(topmostRemoved);
        RemoveRows(remove);
    }
    // A pending paste may name a row that no longer exists.
    glClipIndex = -1;

    char text[64];
    std::snprintf(text, sizeof text, "削除フォルダー ： %d 件", removed);
    ports_.status->SetPanel(1, text);
}

void BmLogic::RemoveRows(const std::vector<char>& remove) {
    // Compacts the table in one pass, keeping the order of the remaining rows and rewriting
    // every parent index to the parent's new position.
    const std::size_t count = remove.size();
    std::vector<int> newIndex(count, -1);
    std::size_t next = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (remove[k]) continue;
        newIndex[k] = static_cast<int>(next);
        if (next != k) {
            glUrl[next] = std::move(glUrl[k]);
            glName[next] = std::move(glName[k]);
            glAdd[next] = std::move(glAdd[k]);
            glVisit[next] = std::move(glVisit[k]);
            glLast[next] = std::move(glLast[k]);
            glNode[next] = glNode[k];
        }
        const int parent = gloya[k];
        gloya[next] = parent < 0 ? -1 : newIndex[static_cast<std::size_t>(parent)];
        ++next;
    }
    for (std::size_t k = next; k < count; ++k) {
        glUrl[k].clear();
        glName[k].clear();
        glAdd[k].clear();
        glVisit[k].clear();
        glLast[k].clear();
        glNode[k] = nullptr;
        gloya[k] = -1;
    }
    glCT = static_cast<int>(next);
    InvalidateUrlIndex();
}

}  // namespace pernard
