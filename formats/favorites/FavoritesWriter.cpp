#include "formats/favorites/FavoritesWriter.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "formats/favorites/FavoritesReader.h"
#include "formats/favorites/FavoritesTreeWriter.h"
#include "util/FileCalls.h"
#include "util/FileStamp.h"
#include "util/Paths.h"
#include "util/SafeFile.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

// Removes a left-over file (or, `directory`, an empty directory) and lists it in the check log;
// one that cannot be removed (its directory read-only, the file immutable) is listed and
// counted.
bool RemoveLeftOver(const std::string& path, bool directory, FavoritesWrite& counts) {
    const FileCalls& calls = SaveFileCalls();
    const std::string shown = directory ? path + kPathSeparator : path;
    if ((directory ? calls.removeDirectory : calls.removeFile)(path.c_str()) == 0) {
        counts.logLines.push_back("削除 : " + shown);
        return true;
    }
    counts.logLines.push_back("削除できません : " + shown);
    ++counts.notRemoved;
    return false;
}

// After an overwrite save in which every entry was written: removes the shortcut files the
// load read that no entry went to (deleted, moved, renamed), and then the directories it read
// that no folder went to, once they are empty. A file changed on disk since the load, and
// anything the load did not read, stays. Each removal is listed in the check log, and its note
// goes.
void RemoveLeftOverFiles(ReadFavoritesFiles& read, TreeWrite& tree) {
    std::unordered_set<std::string> inUse = tree.leftChanged;
    for (const auto& [file, hash] : tree.files) inUse.insert(NormalPath(file));
    std::unordered_set<std::string> kept;
    for (const std::string& directory : tree.directories) kept.insert(NormalPath(directory));
    std::vector<std::string> files;
    for (const auto& [path, seen] : read.shortcuts) {
        if (inUse.count(path) == 0) files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    for (const std::string& path : files) {
        std::error_code error;
        if (!fs::exists(fs::symlink_status(path, error))) {
            read.shortcuts.erase(path);
            continue;
        }
        if (IsLink(path) || !fs::is_regular_file(path, error) ||
            !IsAsNoted(path, read.shortcuts.at(path))) {
            continue;
        }
        if (RemoveLeftOver(path, false, tree.counts)) read.shortcuts.erase(path);
    }
    std::vector<std::string> directories;
    for (const std::string& directory : read.directories) {
        if (kept.count(directory) == 0) directories.push_back(directory);
    }
    // Deepest first, so that a directory whose subdirectories went is empty by its turn.
    std::sort(directories.rbegin(), directories.rend());
    for (const std::string& directory : directories) {
        std::error_code error;
        if (IsLink(directory) || !fs::is_directory(directory, error) ||
            !fs::is_empty(directory, error) || error) {
            continue;
        }
        if (RemoveLeftOver(directory, true, tree.counts)) read.directories.erase(directory);
    }
}

// What the root notes after a save: the files and directories that hold its entries now. The
// notes of files left as they were (changed by another program, or not removed) stay as the
// load took them, so that the next save treats them alike.
void RecordWrittenFiles(ReadFavoritesFiles& read, const TreeWrite& tree) {
    for (const auto& [file, hash] : tree.files) NoteShortcutFile(read, file, hash);
    for (const std::string& directory : tree.directories) {
        read.directories.insert(NormalPath(directory));
    }
}

}  // namespace

namespace {

// Replaces the directory `target` by the complete tree in `staged`: the old tree is moved
// aside, the new one put in its place, and only then the old one deleted. False, with the old
// tree where it was, when a rename fails.
bool SwapInTree(const std::string& staged, const std::string& target) {
    const FileCalls& calls = SaveFileCalls();
    const std::string aside = target + ".pernard-old";
    std::error_code error;
    const bool hadOld = fs::exists(target, error);
    if (hadOld) {
        DeleteTree(aside);
        if (calls.rename(target.c_str(), aside.c_str()) != 0) return false;
    }
    if (calls.rename(staged.c_str(), target.c_str()) != 0) {
        if (hadOld) calls.rename(aside.c_str(), target.c_str());
        return false;
    }
    SyncDirectory(fs::path(target).parent_path().string());
    if (hadOld) DeleteTree(aside);
    return true;
}

}  // namespace

FavoritesWrite WriteFavoritesOver(const BmLogic& model, const WritePermit& permit) {
    const std::string& target = permit.Target();
    const int root = permit.Roots().front();
    // What the load read below this very directory: the save leaves the directory matching
    // the collection. The same directory may be named another way (a separator at its end; on
    // Windows another letter case, or "/" for "\"): it is written under the name the load read
    // it by, which its notes go by.
    const RootInfo* info = model.RootInfoOf(root);
    const std::shared_ptr<ReadFavoritesFiles> read =
        info != nullptr && info->favorites != nullptr &&
                SamePath(info->favorites->directory, target)
            ? info->favorites
            : nullptr;
    const std::string& directory = read != nullptr ? read->directory : target;
    TreeWrite tree = WriteFavoritesTree(model, directory, root, read.get());
    if (read != nullptr) {
        if (tree.counts.failed == 0) RemoveLeftOverFiles(*read, tree);
        RecordWrittenFiles(*read, tree);
    }
    return tree.counts;
}

FavoritesWrite WriteFavoritesAnew(const BmLogic& model, const WritePermit& permit) {
    const std::string& target = permit.Target();
    const int root = permit.Roots().front();
    // The new tree is written beside the old one and takes its place only when it is complete:
    // a failure on the way leaves the old tree as it was.
    const std::string staged = target + ".pernard-new";
    DeleteTree(staged);
    std::error_code error;
    fs::create_directories(staged, error);
    FavoritesWrite result;
    if (error) {
        result.diskFailures = 1;
    } else {
        result = WriteFavoritesTree(model, staged, root).counts;
    }
    result.replaced = result.diskFailures == 0 && SwapInTree(staged, target);
    if (!result.replaced) DeleteTree(staged);
    return result;
}

}  // namespace pernard
