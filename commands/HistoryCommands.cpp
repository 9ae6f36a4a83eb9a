#include "commands/HistoryCommands.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <unordered_map>

#include "commands/LoadCommands.h"
#include "formats/SourceRead.h"
#include "model/NullPorts.h"
#include "util/PrivateDirectory.h"
#include "util/FileStamp.h"
#include "util/SafeFile.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

// Room for any collection a version may hold.
constexpr const char* kScratchCapacity = "20000000";

// The bookmarks of every root of a model, each with its folders below its root.
std::vector<BookmarkPlace> PlacesOf(const BmLogic& model) {
    std::vector<BookmarkPlace> places;
    std::vector<std::string> folders(static_cast<std::size_t>(model.glCT));
    for (int i = 0; i < model.glCT; ++i) {
        const int parent = model.gloya[i];
        if (model.IsFolder(i)) {
            if (parent >= 0) {
                const std::string& above = folders[static_cast<std::size_t>(parent)];
                folders[static_cast<std::size_t>(i)] =
                    (above.empty() ? "" : above + "/") + std::string(model.glName[i]);
            }
            continue;
        }
        places.push_back({parent >= 0 ? folders[static_cast<std::size_t>(parent)] : "",
                          std::string(model.glName[i]), std::string(model.glUrl[i])});
    }
    return places;
}

// Reads `path` into a model of its own, as a complete load.
std::optional<std::vector<BookmarkPlace>> ReadPlaces(const std::string& path, std::string& error) {
    NullModel scratch;
    scratch.settings.maxUrl = kScratchCapacity;
    const ReadOutcome outcome = LoadSource(scratch.model, true, path);
    if (!outcome.ok) {
        error = outcome.errorText.empty() ? "読み込めません : " + path : outcome.errorText;
        return std::nullopt;
    }
    return PlacesOf(scratch.model);
}

// A version's bytes laid down in a private folder under the target's own name (a browser's
// store is told by it), for the readers, which read files.
class ScratchCopy {
public:
    ScratchCopy(const VersionHistory& history, const KeptVersion& version, std::string& error)
        : folder_("pernard-version-") {
        if (folder_.Path().empty()) {
            error = "一時フォルダーを作れません";
            return;
        }
        const std::string name = fs::path(version.target).filename().string();
        const fs::path place = folder_.Path() / (name.empty() ? "version" : name);
        if (version.format == VersionFormat::Directory) {
            const auto entries = history.ReadDirectory(version, error);
            if (entries && RestoreDirectory(place.string(), *entries).ok) path_ = place.string();
            return;
        }
        const std::optional<std::string> bytes = history.ReadFile(version, error);
        SafeFileWriter file;
        if (bytes && file.Open(place.string())) {
            file.Write(*bytes);
            if (file.Commit()) path_ = place.string();
        }
        if (bytes && path_.empty()) error = "一時ファイルを書き込めません : " + place.string();
    }
    // Empty when the copy could not be made.
    const std::string& Path() const { return path_; }

private:
    PrivateDirectory folder_;
    std::string path_;
};

std::string PlaceText(const BookmarkPlace& place) {
    return (place.folder.empty() ? "" : place.folder + "/") + place.name + " <" + place.url + ">";
}

// Pairs each unmatched bookmark of `before` with one of `after` that has the same key; calls
// `paired` for each pair and takes both out of the unmatched.
template <typename Key, typename Paired>
void Pair(const std::vector<BookmarkPlace>& before, const std::vector<BookmarkPlace>& after,
          std::vector<bool>& beforeLeft, std::vector<bool>& afterLeft, Key key, Paired paired) {
    std::unordered_map<std::string, std::vector<std::size_t>> waiting;
    for (std::size_t i = after.size(); i-- > 0;) {
        if (afterLeft[i]) waiting[key(after[i])].push_back(i);
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!beforeLeft[i]) continue;
        const auto found = waiting.find(key(before[i]));
        if (found == waiting.end() || found->second.empty()) continue;
        const std::size_t j = found->second.back();
        found->second.pop_back();
        beforeLeft[i] = afterLeft[j] = false;
        paired(before[i], after[j]);
    }
}

}  // namespace

VersionHistory HistoryOf(const SettingsPort& settings) {
    return VersionHistory(settings.HistoryDirectory(),
                          HistoryBounds{.totalBytes = settings.HistoryLimitBytes()});
}

std::optional<std::vector<BookmarkPlace>> ReadVersionPlaces(const VersionHistory& history,
                                                            const KeptVersion& version,
                                                            std::string& error) {
    const ScratchCopy copy(history, version, error);
    if (copy.Path().empty()) return std::nullopt;
    return ReadPlaces(copy.Path(), error);
}

std::optional<std::vector<BookmarkPlace>> ReadTargetPlaces(const std::string& target,
                                                           std::string& error) {
    return ReadPlaces(target, error);
}

VersionDifference CompareBookmarks(const std::vector<BookmarkPlace>& before,
                                   const std::vector<BookmarkPlace>& after) {
    VersionDifference difference;
    std::vector<bool> beforeLeft(before.size(), true);
    std::vector<bool> afterLeft(after.size(), true);
    const char separator = '\x1f';
    const auto whole = [&](const BookmarkPlace& p) {
        return p.url + separator + p.name + separator + p.folder;
    };
    // The bookmarks that stayed, by folder, with where each stands now: a folder whose
    // bookmarks do not stand in the same order as before was reordered.
    std::map<std::string, std::vector<const BookmarkPlace*>> stayed;
    Pair(before, after, beforeLeft, afterLeft, whole,
         [&](const BookmarkPlace&, const BookmarkPlace& to) { stayed[to.folder].push_back(&to); });
    for (const auto& [folder, places] : stayed) {
        if (!std::is_sorted(places.begin(), places.end())) {
            ++difference.reordered;
            difference.lines.push_back("並べ替え " + (folder.empty() ? "/" : folder));
        }
    }
    Pair(before, after, beforeLeft, afterLeft,
         [&](const BookmarkPlace& p) { return p.url + separator + p.folder; },
         [&](const BookmarkPlace& from, const BookmarkPlace& to) {
             ++difference.renamed;
             difference.lines.push_back("名前の変更 " + PlaceText(from) + " → " + to.name);
         });
    Pair(before, after, beforeLeft, afterLeft, [](const BookmarkPlace& p) { return p.url; },
         [&](const BookmarkPlace& from, const BookmarkPlace& to) {
             ++difference.moved;
             difference.lines.push_back("移動 " + PlaceText(from) + " → " +
                                        (to.folder.empty() ? "/" : to.folder + "/") + to.name);
         });
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!beforeLeft[i]) continue;
        ++difference.removed;
        difference.lines.push_back("削除 " + PlaceText(before[i]));
    }
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (!afterLeft[i]) continue;
        ++difference.added;
        difference.lines.push_back("追加 " + PlaceText(after[i]));
    }
    return difference;
}

std::string DifferenceSummary(const VersionDifference& d) {
    if (d.None()) return "違いはありません";
    // Only what there is: "追加 3 件、並べ替え 1 フォルダー".
    std::string summary;
    const auto part = [&summary](int count, const char* what, const char* unit) {
        if (count == 0) return;
        if (!summary.empty()) summary += "、";
        summary += std::string(what) + " " + std::to_string(count) + " " + unit;
    };
    part(d.added, "追加", "件");
    part(d.removed, "削除", "件");
    part(d.moved, "移動", "件");
    part(d.renamed, "名前の変更", "件");
    part(d.reordered, "並べ替え", "フォルダー");
    return summary;
}

bool RestoreVersion(BmLogic& model, const VersionHistory& history, const KeptVersion& version,
                    bool force) {
    PromptPort& prompts = *model.GetPorts().prompts;
    // The bytes are taken first: keeping the target as it is now may drop the oldest version.
    std::string error;
    std::optional<std::string> bytes;
    std::optional<std::vector<ArchivedEntry>> entries;
    const bool directory = version.format == VersionFormat::Directory;
    if (directory) {
        entries = history.ReadDirectory(version, error);
    } else {
        bytes = history.ReadFile(version, error);
    }
    if (!bytes && !entries) {
        prompts.ShowMessage(error);
        return false;
    }
    const WriteRequest request{
        .kind = directory ? WriteKind::RestoredDirectory : WriteKind::RestoredFile,
        .target = version.target,
        .roots = {},
        .force = force};
    const WriteDecision decision = WriteGate::Decide(model, request);
    if (!decision.Allowed()) return false;
    if (directory) {
        const DirectoryRestore restored = RestoreDirectory(version.target, *entries);
        for (const std::string& failed : restored.failed) {
            prompts.ShowMessage("Cannot Save File : " + failed);
        }
        return restored.ok;
    }
    SafeFileWriter file;
    if (file.Open(version.target)) {
        file.Write(*bytes);
        if (file.Commit()) return true;
    }
    prompts.ShowMessage("Cannot Save File : " + version.target);
    return false;
}

bool RestoreVersionInto(BmLogic& model, const VersionHistory& history, const KeptVersion& version,
                        int root) {
    const bool replaces = model.IsValidIndex(root) && model.IsRoot(root) &&
                          model.SourceKindOf(root) == SourceKind::BookmarkFile &&
                          SamePath(std::string(model.SourcePath(root)), version.target);
    // The version as a read, before the history drops anything.
    NullModel scratch;
    scratch.settings.maxUrl = kScratchCapacity;
    if (replaces) {
        std::string error;
        const ScratchCopy copy(history, version, error);
        if (copy.Path().empty() || !LoadSource(scratch.model, true, copy.Path()).ok) {
            model.GetPorts().prompts->ShowMessage(error.empty() ? "読み込めません : " + version.target
                                                                : error);
            return false;
        }
    }
    if (!RestoreVersion(model, history, version, false)) return false;
    if (!replaces || !model.ReplaceRootEntries(root, scratch.model, 0, "以前の版に戻す")) return true;
    model.RestampSources({root}, StampOf(version.target));
    model.MarkRootsSaved({root});
    return true;
}

int OpenVersionAsRoot(BmLogic& model, const VersionHistory& history, const KeptVersion& version) {
    std::string error;
    const ScratchCopy copy(history, version, error);
    if (copy.Path().empty()) {
        model.GetPorts().prompts->ShowMessage(error);
        return -1;
    }
    const int before = model.glCT;
    const ReadOutcome outcome = LoadSource(model, false, copy.Path());
    if (!outcome.ok || model.glCT == before) {
        model.GetPorts().prompts->ShowMessage(outcome.errorText.empty()
                                                  ? "読み込めません : " + version.target
                                                  : outcome.errorText);
        return -1;
    }
    const std::string name = "以前の版 " + VersionTimeText(version.keptAt) + " " +
                             fs::path(version.target).filename().string();
    // Every root the read gave: a bookmark file may hold several.
    for (int i = before; i < model.glCT; ++i) {
        if (model.IsRoot(i)) model.DetachFromSource(i, name);
    }
    return before;
}

}  // namespace pernard
