#include "sync/ServerVersions.h"

#include <filesystem>
#include <fstream>
#include <unordered_map>

#include "commands/LoadCommands.h"
#include "sync/ApplyMerge.h"
#include "sync/LocalTree.h"
#include "sync/SharedFile.h"
#include "util/PrivateDirectory.h"

namespace fs = std::filesystem;

namespace pernard::sync {

namespace {

bool ReadWhole(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// A kept version is the file's decrypted bytes in the form it had then.
SharedFormat FormOf(const std::string& bytes) {
    const std::size_t start = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    return start != std::string::npos && bytes.compare(start, 5, "<?xml") == 0 ? SharedFormat::Xbel
                                                                                : SharedFormat::Html;
}

}  // namespace

std::vector<KeptVersion> ServerVersionsOf(const SyncStateStore& store, const std::string& target) {
    const std::vector<std::string> paths = store.RemoteVersions();
    std::vector<KeptVersion> versions;
    for (std::size_t k = paths.size(); k-- > 0;) {
        KeptVersion version;
        version.fromServer = true;
        version.number = static_cast<int>(k) + 1;
        version.keptAt = std::stoll(fs::path(paths[k]).filename().string()) / 1000;
        version.target = target;
        version.data = paths[k];
        std::error_code failure;
        version.size = fs::file_size(paths[k], failure);
        std::string error;
        if (const std::optional<SyncTree> tree = ReadServerVersion(version, error)) {
            for (int i = 1; i < tree->Size(); ++i) ++((*tree)[i].folder ? version.counts.folders
                                                                         : version.counts.bookmarks);
        }
        versions.push_back(std::move(version));
    }
    return versions;
}

std::optional<SyncTree> ReadServerVersion(const KeptVersion& version, std::string& error) {
    std::string bytes;
    if (!ReadWhole(version.data, bytes)) {
        error = "サーバーの以前の版を読めません : " + version.data;
        return std::nullopt;
    }
    SharedFileRead read = ReadSharedFile(bytes, FormOf(bytes));
    if (!read.ok) {
        error = "サーバーの以前の版を読めません : " + read.error;
        return std::nullopt;
    }
    for (SyncItem& item : read.tree.items) item.title = SharedTitle(item.title);
    return std::move(read.tree);
}

std::vector<BookmarkPlace> PlacesOfTree(const SyncTree& tree) {
    std::vector<std::string> folders(tree.items.size());
    std::vector<BookmarkPlace> places;
    for (int k = 1; k < tree.Size(); ++k) {
        const SyncItem& item = tree[k];
        const std::string& above = folders[static_cast<std::size_t>(item.parent)];
        if (item.folder) {
            folders[static_cast<std::size_t>(k)] = (above.empty() ? "" : above + "/") + item.title;
        } else if (!item.localOnly) {
            places.push_back({above, item.title, item.url});
        }
    }
    return places;
}

bool RestoreServerVersion(BmLogic& model, int root, const SyncTree& version, std::string& error) {
    const LocalTree local = ReadLocalRoot(model, root);
    std::unordered_map<SyncId, int> localOfId;
    for (int l = 1; l < local.tree.Size(); ++l) {
        if (!local.tree[l].localOnly && local.tree[l].id > 0) localOfId.emplace(local.tree[l].id, l);
    }
    MergeResult result;
    result.merged = version;
    result.localOf.assign(version.items.size(), -1);
    result.localOf[SyncTree::kRoot] = SyncTree::kRoot;
    std::unordered_map<int, int> mergedOfLocal{{SyncTree::kRoot, SyncTree::kRoot}};
    for (int k = 1; k < version.Size(); ++k) {
        const auto found = localOfId.find(version[k].id);
        if (found == localOfId.end() || local.tree[found->second].folder != version[k].folder) continue;
        result.localOf[static_cast<std::size_t>(k)] = found->second;
        mergedOfLocal.emplace(found->second, k);
    }
    // What never travels stays: in its folder when the version has that folder, else at the top.
    for (int l = 1; l < local.tree.Size(); ++l) {
        if (!local.tree[l].localOnly) continue;
        const auto parent = mergedOfLocal.find(local.tree[l].parent);
        SyncItem item = local.tree[l];
        item.children.clear();
        const int at = result.merged.Add(parent != mergedOfLocal.end() ? parent->second : SyncTree::kRoot,
                                         std::move(item));
        result.localOf.push_back(l);
        mergedOfLocal.emplace(l, at);
    }
    result.remoteOf.assign(result.merged.items.size(), -1);
    return ApplyMerge(model, root, local, result, error, "以前の版に戻す");
}

int OpenServerVersionAsRoot(BmLogic& model, const SyncTree& version, const std::string& name,
                            std::string& error) {
    const PrivateDirectory scratch("pernard-server-version-");
    if (scratch.Path().empty()) {
        error = "作業用のフォルダーを作れません";
        return -1;
    }
    const fs::path path = scratch.Path() / "version.html";
    std::ofstream(path, std::ios::binary) << WriteSharedFile(version, SharedFormat::Html);
    const int before = model.glCT;
    const ReadOutcome outcome = LoadSource(model, false, path.string());
    if (!outcome.ok || model.glCT == before) {
        error = outcome.errorText.empty() ? "サーバーの以前の版を読み込めません" : outcome.errorText;
        return -1;
    }
    for (int i = before; i < model.glCT; ++i) {
        if (model.IsRoot(i)) model.DetachFromSource(i, name);
    }
    return before;
}

}  // namespace pernard::sync
