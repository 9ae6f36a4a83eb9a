// The two housekeeping checks: duplicate URLs and folders that hold no URL below them.

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unordered_map>

#include "model/BmLogic.h"

namespace pernard {

int BmLogic::CheckDuplicateUrls() {
    DiagnosticsPort& log = *ports_.diagnostics;
    log.ClearCheckLog();
    const int count = std::min(tree_.Count(), glCT);
    // The first entry of every URL, so that each later one finds it at once.
    std::unordered_map<std::string_view, int> firstOfUrl;
    firstOfUrl.reserve(static_cast<std::size_t>(count));
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        if (IsFolder(i)) continue;
        const std::string_view url = glUrl[i];
        const auto [found, inserted] = firstOfUrl.emplace(url, i);
        if (inserted) continue;
        const std::size_t first = static_cast<std::size_t>(found->second);
        lines.push_back(CheckLogLine(glUrl[first], glName[first]));
    }
    const int duplicates = static_cast<int>(lines.size());
    log.AppendCheckLogLines(lines);
    if (duplicates > 0) {
        char text[64];
        std::snprintf(text, sizeof text, "重複有り : %d 件", duplicates);
        log.SetCheckLogStatus(text);
        log.ShowCheckLog();
    } else {
        ports_.prompts->ShowMessage("重複ＵＲＬ無し");
    }
    return duplicates;
}

int BmLogic::DeleteEmptyFolders(bool showLog) {
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
    // Only the subtree of the last root is cleaned; roots themselves always stay.
    std::vector<char> remove(static_cast<std::size_t>(count), 0);
    std::vector<int> topmostRemoved;
    int removed = 0;
    for (int k = count - 1; k >= 0; --k) {
        if (parents_[static_cast<std::size_t>(k)] < 0) break;
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
    }

    log.AppendCheckLogLines(lines);
    char text[64];
    std::snprintf(text, sizeof text, "削除フォルダー ： %d 件", removed);
    ports_.status->SetPanel(1, text);
    return removed;
}

}  // namespace pernard
