#include "sync/LocalTree.h"

#include <array>
#include <unordered_set>

#include "model/SyncId.h"
#include "sync/SharedFile.h"
#include "util/CodePage.h"
#include "util/Text.h"

namespace pernard::sync {

bool BrowserCanHold(std::string_view url) {
    static constexpr std::array<std::string_view, 11> kSchemes = {
        "https", "http", "ftp", "data", "javascript", "file",
        "chrome", "edge", "chrome-extension", "moz-extension", "about"};
    // A browser's parser drops blanks and control characters at either end.
    while (!url.empty() && static_cast<unsigned char>(url.front()) <= ' ') url.remove_prefix(1);
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    const std::string_view scheme = url.substr(0, colon);
    for (std::string_view known : kSchemes) {
        if (EqualsNoCase(scheme, known)) return true;
    }
    return false;
}

LocalTree ReadLocalRoot(const BmLogic& model, int root) {
    LocalTree local;
    if (!model.IsValidIndex(root) || !model.IsRoot(root)) return local;
    const int end = root + model.SubtreeWidth(root);
    local.rowOf.reserve(static_cast<std::size_t>(end - root));
    local.tree.items.reserve(static_cast<std::size_t>(end - root));
    local.rowOf.push_back(root);
    // The item of each row in the subtree, by its offset from the root.
    std::vector<int> itemOfRow(static_cast<std::size_t>(end - root), -1);
    itemOfRow[0] = SyncTree::kRoot;
    std::unordered_set<SyncId> seen;
    for (int row = root + 1; row < end; ++row) {
        const int parentItem = itemOfRow[static_cast<std::size_t>(model.ParentOf(row) - root)];
        SyncItem item;
        item.folder = model.IsFolder(row);
        item.title = SharedTitle(ShownText(model.glName[row]));
        if (!item.folder) {
            item.url = std::string(model.glUrl[row]);
            item.localOnly = IsNoUrl(item.url) || !BrowserCanHold(item.url);
            if (IsNoUrl(item.url)) item.url.clear();
        }
        const SyncId id = SyncIdOf(model.ExtrasOf(row));
        if (id != kNoId && !item.localOnly && seen.insert(id).second) item.id = id;
        itemOfRow[static_cast<std::size_t>(row - root)] = local.tree.Add(parentItem, std::move(item));
        local.rowOf.push_back(row);
    }
    return local;
}

}  // namespace pernard::sync
