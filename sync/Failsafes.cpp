#include "sync/Failsafes.h"

#include <unordered_set>

namespace pernard::sync {

namespace {

constexpr int kManyChanges = 1000;

bool TooManyRemoved(const SideChanges& c) {
    return (c.bookmarks > 5 && c.bookmarksRemoved * 5 > c.bookmarks) ||
           c.bookmarksRemoved > kManyChanges;
}

bool TooManyAdded(const SideChanges& c) {
    return (c.bookmarksAdded >= 20 && c.bookmarksAdded * 5 > c.bookmarks) ||
           c.bookmarksAdded > kManyChanges;
}

std::string Count(int n) { return std::to_string(n) + " 件"; }

void CheckSide(const SideChanges& c, const char* side, bool addsChecked,
               std::vector<std::string>& tripped) {
    if (TooManyRemoved(c)) {
        tripped.push_back(std::string(side) + "のブックマーク " + Count(c.bookmarks) + " のうち " +
                          Count(c.bookmarksRemoved) + " が削除されます");
    }
    if (addsChecked && TooManyAdded(c)) {
        tripped.push_back(std::string(side) + "にブックマークが " + Count(c.bookmarksAdded) +
                          " 追加されます（今は " + Count(c.bookmarks) + "）");
    }
}

bool HasItems(const SyncTree& tree) { return tree.Size() > 1; }

bool IdsDisjoint(const SyncTree& base, const SyncTree& remote) {
    std::unordered_set<SyncId> ids;
    for (const SyncItem& item : base.items) {
        if (item.id > 0) ids.insert(item.id);
    }
    bool remoteHasIds = false;
    for (const SyncItem& item : remote.items) {
        if (item.id <= 0) continue;
        remoteHasIds = true;
        if (ids.count(item.id) != 0) return false;
    }
    return remoteHasIds && !ids.empty();
}

}  // namespace

std::vector<std::string> TrippedFailsafes(const FailsafeInputs& in) {
    std::vector<std::string> tripped;
    const bool first = in.base == nullptr;
    if (in.toLocal != nullptr) CheckSide(*in.toLocal, "ローカル", !(first && in.firstChosen), tripped);
    if (in.toRemote != nullptr) CheckSide(*in.toRemote, "サーバー", !(first && in.firstChosen), tripped);
    if (!first && in.remote != nullptr) {
        if (!HasItems(*in.remote) && HasItems(*in.base)) {
            tripped.push_back("サーバーのファイルが空になっています（前回の同期では " +
                              Count(in.base->Size() - 1) + "）");
        } else if (IdsDisjoint(*in.base, *in.remote)) {
            tripped.push_back("サーバーのファイルの ID が前回の同期とすべて違います（番号が振り直されています）");
        }
        if (in.remote->highestId < in.base->highestId) {
            tripped.push_back("サーバーのファイルの highestId が前回の同期より小さくなっています（" +
                              std::to_string(in.remote->highestId) + " < " +
                              std::to_string(in.base->highestId) + "）");
        }
    }
    if (in.formatKnown && in.lastFormat != in.format) {
        tripped.push_back(std::string("共有ファイルの形式が変わりました（") + FormatName(in.lastFormat) +
                          " → " + FormatName(in.format) + "）");
    }
    return tripped;
}

}  // namespace pernard::sync
