#include "formats/favorites/FavoritesWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "formats/favorites/FavoriteNames.h"
#include "formats/favorites/FavoritesReader.h"
#include "model/EntryExtras.h"
#include "util/CodePage.h"
#include "util/FileCalls.h"
#include "util/FileStamp.h"
#include "util/Paths.h"
#include "util/SafeFile.h"
#include "util/Text.h"

namespace pernard {

namespace fs = std::filesystem;

bool IsLink(const std::string& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

namespace {

enum class ShortcutWrite { Written, Unusable, Failed };

// A name as a file name (UTF-8). Bytes of a name that did not decode go back as themselves when
// they came from a file name (a Favorites root), else as U+FFFD.
std::string FileNameOf(std::string_view name, bool keptBytesBelong) {
    if (!HasKeptBytes(name)) return std::string(name);
    std::string fileName;
    TextEncoder(kUtf8, nullptr, keptBytesBelong).Encode(name, fileName);
    return fileName;
}

// The names of what the load read (or the last save wrote), to give each entry read from a
// file the very name it was read from: its extension's letter case, and characters a new
// name would not get (a "\" on Linux, the second byte of a CP932 character copied from
// Windows), included.
class ReadNames {
public:
    explicit ReadNames(const ReadFavoritesFiles* read) : read_(read) {
        if (read_ == nullptr) return;
        for (const auto& [path, seen] : read_->shortcuts) {
            const std::size_t stem = path.size() - std::min<std::size_t>(path.size(), 4);
            suffixes_[path.substr(0, stem)].push_back(path.substr(stem));
        }
        for (auto& [stem, suffixes] : suffixes_) std::sort(suffixes.begin(), suffixes.end());
    }

    // The extension (".url" in the letter case read) of a shortcut file `name` + extension the
    // load read in `directory` that `names` has not given out yet; empty when there is none.
    std::string ShortcutSuffix(const std::string& directory, const std::string& name,
                               const NamesInDirectory& names) const {
        if (read_ == nullptr || HoldsSeparator(name)) return {};
        const std::string path = NormalPath(JoinPath(directory, name + ".url"));
        const auto found = suffixes_.find(path.substr(0, path.size() - 4));
        if (found == suffixes_.end()) return {};
        for (const std::string& suffix : found->second) {
            if (!names.Given(name + suffix)) return suffix;
        }
        return {};
    }

    // Whether the load read a directory `name` in `directory`.
    bool HasDirectory(const std::string& directory, const std::string& name) const {
        return read_ != nullptr && IsPlainFileName(name) &&
               read_->directories.count(NormalPath(JoinPath(directory, name))) > 0;
    }

private:
    const ReadFavoritesFiles* read_;
    // By the normal path of a shortcut without its extension: the extensions read.
    std::unordered_map<std::string, std::vector<std::string>> suffixes_;
};

struct Shortcut {
    ShortcutWrite result = ShortcutWrite::Unusable;
    std::string path;     // the file it went to
    std::string renamed;  // the name it got instead of its own, if any
    std::uint64_t hash = 0;    // of the bytes the file holds for it
    bool leftChanged = false;  // a file another program changed, left as it is
};

// What is on the disk where a shortcut goes, against what the load read (or the last save
// wrote) there.
struct AtPlace {
    enum Kind { Nothing, AsNoted, Changed, NotRead } kind = Nothing;
    const ReadShortcut* noted = nullptr;
    std::string bytes;  // AsNoted: what the file holds
};

AtPlace LookAtPlace(const std::string& path, const ReadFavoritesFiles& read) {
    AtPlace place;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error))) return place;
    const auto found = read.shortcuts.find(NormalPath(path));
    if (found == read.shortcuts.end()) {
        place.kind = AtPlace::NotRead;
        return place;
    }
    place.noted = &found->second;
    place.kind = IsAsNoted(path, found->second, &place.bytes) ? AtPlace::AsNoted : AtPlace::Changed;
    return place;
}

// The bytes of entry `index`'s shortcut file: the file it was read from with its URL made the
// entry's, or for a new one the two lines the program writes.
std::string ShortcutBytes(const BmLogic& model, int index) {
    const std::string_view url = model.glUrl[index];
    const std::string_view packed = model.ExtrasOf(index);
    if (packed.empty()) return ShortcutFileText(url);
    const EntryExtras extras = UnpackExtras(packed);
    return extras.hasShortcut ? ShortcutWithUrl(extras.shortcut, url) : ShortcutFileText(url);
}

// Adds entry `index` as a shortcut in `directory` to the batch, under a name free in `names`.
// A name the load read from this very directory goes back to the file it was read from as it
// was; any other is made a file name that Windows can hold.
Shortcut WriteShortcut(const BmLogic& model, const std::string& directory, int index,
                       bool keptBytesBelong, NamesInDirectory& names, SafeFileBatch& batch,
                       const ReadNames& readNames, const ReadFavoritesFiles* read) {
    Shortcut shortcut;
    const std::string stored = FileNameOf(model.glName[index], keptBytesBelong);
    std::string suffix = readNames.ShortcutSuffix(directory, stored, names);
    const bool readHere = !suffix.empty();
    const std::string wanted = readHere ? stored : PortableFileName(stored, false);
    if (!readHere && wanted.empty()) return shortcut;
    if (!readHere) suffix = ".url";
    const std::string name = names.Claim(wanted, suffix, readHere);
    if (HoldsSeparator(name)) return shortcut;
    if (name != wanted) shortcut.renamed = name;
    shortcut.path = JoinPath(directory, name + suffix);
    const std::string bytes = ShortcutBytes(model, index);
    shortcut.hash = ShortcutHash(bytes);
    // In the directory the load read, a file goes only where nothing is, or over a file as the
    // load saw it; what another program changed or made since stays. A shortcut that already
    // holds these bytes is left as it is (a save changes only the files of what changed), and
    // so is a changed file whose entry is unchanged (its bytes are what the load read there).
    // Any other entry goes beside it, under a free name.
    for (bool first = true; read != nullptr; first = false) {
        const AtPlace place = LookAtPlace(shortcut.path, *read);
        if (place.kind == AtPlace::Nothing) break;
        if (place.kind == AtPlace::AsNoted && place.bytes == bytes) {
            shortcut.result = ShortcutWrite::Written;
            return shortcut;
        }
        if (first && place.kind == AtPlace::AsNoted) break;
        if (first && place.kind == AtPlace::Changed && place.noted->hash == shortcut.hash) {
            shortcut.result = ShortcutWrite::Written;
            shortcut.leftChanged = true;
            return shortcut;
        }
        shortcut.renamed = names.Claim(wanted, suffix);
        shortcut.path = JoinPath(directory, shortcut.renamed + suffix);
    }
    shortcut.result = ShortcutWrite::Failed;
    if (batch.Add(shortcut.path, bytes)) shortcut.result = ShortcutWrite::Written;
    return shortcut;
}

// What a tree's write left on the disk, for the notes an overwrite save keeps.
struct TreeWrite {
    FavoritesWrite counts;
    // The shortcut files that hold an entry (written, or holding it already): the hashes of
    // their bytes, by path.
    std::unordered_map<std::string, std::uint64_t> files;
    // Files another program changed that hold an unchanged entry: left as they are.
    std::unordered_set<std::string> leftChanged;
    std::vector<std::string> directories;  // the folders' directories
};

// Writes the entries of root `root` below `target`, a directory per folder. `read`, for an
// overwrite save, is what the load read there.
TreeWrite WriteFavoritesTree(const BmLogic& model, const std::string& target, int root,
                             const ReadFavoritesFiles* read = nullptr) {
    TreeWrite tree;
    FavoritesWrite& counts = tree.counts;
    // One level per open folder: its index, its directory, whether it could be used, and the
    // names given in it so far. A folder whose directory could not be made counts as not
    // written only when nothing below it was counted instead.
    struct OpenFolder {
        int index;
        std::string directory;
        bool usable;
        std::shared_ptr<NamesInDirectory> names;
        bool failed = false;
        bool covered = false;  // a failure below it was counted
    };
    std::vector<OpenFolder> open;
    std::vector<std::string> created;  // the directories new folders went into
    SafeFileBatch batch;
    std::unordered_map<std::string, int> entryOfFile;  // of the files written or holding one
    NamesInDirectory topNames;
    const ReadNames readNames(read);
    const bool keptBytesBelong = model.SourceKindOf(root) == SourceKind::Favorites;
    const int count = std::min(model.glCT, model.Tree().Count());
    auto renamedEntry = [&](int i, const std::string& name) {
        const std::size_t k = static_cast<std::size_t>(i);
        counts.logLines.push_back(CheckLogLine(model.glUrl[k], name));
        ++counts.renamed;
    };
    auto closeFolder = [&]() {
        const OpenFolder folder = open.back();
        open.pop_back();
        if (folder.failed && !folder.covered) {
            counts.logLines.push_back(EntryLogLine(model, folder.index));
            ++counts.failed;
        }
        if ((folder.failed || folder.covered) && !open.empty()) open.back().covered = true;
    };
    auto noteExtras = [&](int i) {
        const std::string_view packed = model.ExtrasOf(i);
        if (!packed.empty() && UnpackExtras(packed).HoldsBookmarkFileData()) {
            ++counts.droppedExtras;
        }
    };
    noteExtras(root);
    for (int i = root + 1; i < count && model.gloya[i] != -1; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        noteExtras(i);
        while (!open.empty() && model.gloya[k] < open.back().index) closeFolder();
        const std::string& directory = open.empty() ? target : open.back().directory;
        const bool parentUsable = open.empty() || open.back().usable;
        NamesInDirectory& names = open.empty() ? topNames : *open.back().names;
        if (model.glUrl[k] != kFolderMarker) {
            const Shortcut shortcut = parentUsable
                                          ? WriteShortcut(model, directory, i, keptBytesBelong,
                                                          names, batch, readNames, read)
                                          : Shortcut{};
            const ShortcutWrite result = shortcut.result;
            if (result == ShortcutWrite::Written) {
                if (shortcut.leftChanged) {
                    tree.leftChanged.insert(NormalPath(shortcut.path));
                } else {
                    entryOfFile[shortcut.path] = i;
                    tree.files[shortcut.path] = shortcut.hash;
                }
                ++counts.written;
                if (!shortcut.renamed.empty()) renamedEntry(i, shortcut.renamed);
            } else {
                counts.logLines.push_back(EntryLogLine(model, i));
                ++counts.failed;
                if (!open.empty()) open.back().covered = true;
                if (result == ShortcutWrite::Failed) ++counts.diskFailures;
            }
            continue;
        }
        // A folder the load read keeps its directory's name as it was; any other name is made
        // one that Windows can hold.
        const std::string stored = FileNameOf(model.glName[k], keptBytesBelong);
        const bool readHere = readNames.HasDirectory(directory, stored);
        const std::string wanted = readHere ? stored : PortableFileName(stored, true);
        bool usable = parentUsable && !wanted.empty();
        const std::string folderName = usable ? names.Claim(wanted, "", readHere) : wanted;
        usable = usable && IsPlainFileName(folderName);
        const std::string folder = usable ? JoinPath(directory, folderName) : std::string();
        if (usable) {
            std::error_code error;
            fs::create_directory(folder, error);  // an existing directory is fine
            // Never write through a link to somewhere else.
            usable = !error && !IsLink(folder) && fs::is_directory(folder, error);
            if (!usable) ++counts.diskFailures;
            if (usable && folderName != wanted) renamedEntry(i, folderName);
            if (usable) {
                created.push_back(directory);
                tree.directories.push_back(folder);
            }
        }
        open.push_back(OpenFolder{i, folder, usable, std::make_shared<NamesInDirectory>()});
        open.back().failed = !usable;
    }
    while (!open.empty()) closeFolder();
    // The shortcuts count as saved once they and their directories' entries are on the disk.
    for (const std::string& failed : batch.Commit()) {
        const auto entry = entryOfFile.find(failed);
        if (entry != entryOfFile.end()) {
            counts.logLines.push_back(EntryLogLine(model, entry->second));
            --counts.written;
            ++counts.failed;
            entryOfFile.erase(entry);
            tree.files.erase(failed);
        }
        ++counts.diskFailures;
    }
    std::sort(created.begin(), created.end());
    created.erase(std::unique(created.begin(), created.end()), created.end());
    for (const std::string& directory : created) {
        if (!SyncDirectory(directory)) ++counts.diskFailures;
    }
    return tree;
}

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

std::string EntryLogLine(const BmLogic& model, int index) {
    const std::size_t k = static_cast<std::size_t>(index);
    return CheckLogLine(model.glUrl[k], model.glName[k]);
}

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
