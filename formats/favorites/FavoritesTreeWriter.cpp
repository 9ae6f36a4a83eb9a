#include "formats/favorites/FavoritesTreeWriter.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "formats/favorites/FavoriteNames.h"
#include "model/EntryExtras.h"
#include "util/CodePage.h"
#include "util/FileStamp.h"
#include "util/Paths.h"
#include "util/SafeFile.h"
#include "util/Text.h"

namespace pernard {

namespace fs = std::filesystem;

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

// Writes the entries of one root below a target directory, a directory per folder and a
// shortcut file per bookmark, in table order. The shortcuts go into one batch that is committed
// at the end; a shortcut counts as saved only once it and its directory's entry are on the disk.
// For an overwrite save, `read` is what the load read there.
class TreeWriter {
public:
    TreeWriter(const BmLogic& model, const std::string& target, int root,
               const ReadFavoritesFiles* read)
        : model_(model),
          target_(target),
          root_(root),
          read_(read),
          readNames_(read),
          keptBytesBelong_(model.SourceKindOf(root) == SourceKind::Favorites) {}

    // Writes the tree; called once.
    TreeWrite Write();

private:
    // A folder whose directory is being filled: its index, its directory, whether it could be
    // used, and the names given in it so far. A folder whose directory could not be made counts
    // as not written only when nothing below it was counted instead.
    struct OpenFolder {
        int index;
        std::string directory;
        bool usable;
        std::shared_ptr<NamesInDirectory> names;
        bool failed = false;
        bool covered = false;  // a failure below it was counted
    };

    // Where entries go now: the innermost open folder's directory (the target at the top),
    // whether it is usable and the names given in it.
    const std::string& Directory() const {
        return open_.empty() ? target_ : open_.back().directory;
    }
    bool DirectoryUsable() const { return open_.empty() || open_.back().usable; }
    NamesInDirectory& Names() { return open_.empty() ? topNames_ : *open_.back().names; }

    void NoteDroppedExtras(int index);
    void CloseFoldersNotHolding(int index);
    void CloseFolder();
    void WriteBookmark(int index);
    Shortcut AddShortcut(int index);
    bool SettleOnPlace(const std::string& wanted, const std::string& suffix,
                       const std::string& bytes, Shortcut& shortcut);
    void MakeFolder(int index);
    bool MakeDirectory(int index, const std::string& folder, const std::string& folderName,
                       const std::string& wanted);
    void NoteWritten(int index, const Shortcut& shortcut);
    void NoteNotWritten(int index, ShortcutWrite result);
    void NoteRenamed(int index, const std::string& name);
    void CommitBatch();
    void SyncCreatedDirectories();

    const BmLogic& model_;
    const std::string& target_;
    const int root_;
    const ReadFavoritesFiles* read_;
    const ReadNames readNames_;
    const bool keptBytesBelong_;
    TreeWrite tree_;
    std::vector<OpenFolder> open_;
    NamesInDirectory topNames_;
    std::vector<std::string> created_;  // the directories new folders went into
    SafeFileBatch batch_;
    std::unordered_map<std::string, int> entryOfFile_;  // of the files written or holding one
};

TreeWrite TreeWriter::Write() {
    NoteDroppedExtras(root_);
    const int count = std::min(model_.glCT, model_.Tree().Count());
    for (int i = root_ + 1; i < count && model_.gloya[i] != -1; ++i) {
        NoteDroppedExtras(i);
        CloseFoldersNotHolding(i);
        if (model_.glUrl[static_cast<std::size_t>(i)] != kFolderMarker) {
            WriteBookmark(i);
        } else {
            MakeFolder(i);
        }
    }
    while (!open_.empty()) CloseFolder();
    CommitBatch();
    SyncCreatedDirectories();
    return std::move(tree_);
}

// Counts an entry whose extras only a bookmark file holds: a Favorites tree drops them.
void TreeWriter::NoteDroppedExtras(int index) {
    const std::string_view packed = model_.ExtrasOf(index);
    if (!packed.empty() && UnpackExtras(packed).HoldsBookmarkFileData()) {
        ++tree_.counts.droppedExtras;
    }
}

// Closes the open folders that entry `index` is not in (the entries come in table order).
void TreeWriter::CloseFoldersNotHolding(int index) {
    const std::size_t k = static_cast<std::size_t>(index);
    while (!open_.empty() && model_.gloya[k] < open_.back().index) CloseFolder();
}

void TreeWriter::CloseFolder() {
    const OpenFolder folder = open_.back();
    open_.pop_back();
    if (folder.failed && !folder.covered) {
        tree_.counts.logLines.push_back(EntryLogLine(model_, folder.index));
        ++tree_.counts.failed;
    }
    if ((folder.failed || folder.covered) && !open_.empty()) open_.back().covered = true;
}

void TreeWriter::WriteBookmark(int index) {
    const Shortcut shortcut = DirectoryUsable() ? AddShortcut(index) : Shortcut{};
    if (shortcut.result == ShortcutWrite::Written) {
        NoteWritten(index, shortcut);
    } else {
        NoteNotWritten(index, shortcut.result);
    }
}

// Adds entry `index` as a shortcut in the current directory to the batch, under a name free
// there. A name the load read from this very directory goes back to the file it was read from
// as it was; any other is made a file name that Windows can hold.
Shortcut TreeWriter::AddShortcut(int index) {
    Shortcut shortcut;
    const std::string& directory = Directory();
    NamesInDirectory& names = Names();
    const std::string stored = FileNameOf(model_.glName[index], keptBytesBelong_);
    std::string suffix = readNames_.ShortcutSuffix(directory, stored, names);
    const bool readHere = !suffix.empty();
    const std::string wanted = readHere ? stored : PortableFileName(stored, false);
    if (!readHere && wanted.empty()) return shortcut;
    if (!readHere) suffix = ".url";
    const std::string name = names.Claim(wanted, suffix, readHere);
    if (HoldsSeparator(name)) return shortcut;
    if (name != wanted) shortcut.renamed = name;
    shortcut.path = JoinPath(directory, name + suffix);
    const std::string bytes = ShortcutBytes(model_, index);
    shortcut.hash = ShortcutHash(bytes);
    if (SettleOnPlace(wanted, suffix, bytes, shortcut)) return shortcut;
    shortcut.result = ShortcutWrite::Failed;
    if (batch_.Add(shortcut.path, bytes)) shortcut.result = ShortcutWrite::Written;
    return shortcut;
}

// In the directory the load read, a file goes only where nothing is, or over a file as the load
// saw it; what another program changed or made since stays. A shortcut that already holds these
// bytes is left as it is (a save changes only the files of what changed), and so is a changed
// file whose entry is unchanged (its bytes are what the load read there): true, with the
// shortcut counted as written. Any other entry goes beside it, under a free name: false, with
// `shortcut.path` where the bytes are to go.
bool TreeWriter::SettleOnPlace(const std::string& wanted, const std::string& suffix,
                               const std::string& bytes, Shortcut& shortcut) {
    for (bool first = true; read_ != nullptr; first = false) {
        const AtPlace place = LookAtPlace(shortcut.path, *read_);
        if (place.kind == AtPlace::Nothing) break;
        if (place.kind == AtPlace::AsNoted && place.bytes == bytes) {
            shortcut.result = ShortcutWrite::Written;
            return true;
        }
        if (first && place.kind == AtPlace::AsNoted) break;
        if (first && place.kind == AtPlace::Changed && place.noted->hash == shortcut.hash) {
            shortcut.result = ShortcutWrite::Written;
            shortcut.leftChanged = true;
            return true;
        }
        shortcut.renamed = Names().Claim(wanted, suffix);
        shortcut.path = JoinPath(Directory(), shortcut.renamed + suffix);
    }
    return false;
}

// A folder the load read keeps its directory's name as it was; any other name is made one that
// Windows can hold. The folder is opened whether or not its directory could be made: what lies
// below an unusable one is counted as not written.
void TreeWriter::MakeFolder(int index) {
    const std::string& directory = Directory();
    const std::string stored = FileNameOf(model_.glName[index], keptBytesBelong_);
    const bool readHere = readNames_.HasDirectory(directory, stored);
    const std::string wanted = readHere ? stored : PortableFileName(stored, true);
    bool usable = DirectoryUsable() && !wanted.empty();
    const std::string folderName = usable ? Names().Claim(wanted, "", readHere) : wanted;
    usable = usable && IsPlainFileName(folderName);
    const std::string folder = usable ? JoinPath(directory, folderName) : std::string();
    if (usable) usable = MakeDirectory(index, folder, folderName, wanted);
    open_.push_back(OpenFolder{index, folder, usable, std::make_shared<NamesInDirectory>()});
    open_.back().failed = !usable;
}

// Makes the directory `folder` of folder `index` in the current directory (an existing one is
// fine); false, counted as a disk failure, when it is not a directory of its own then.
bool TreeWriter::MakeDirectory(int index, const std::string& folder, const std::string& folderName,
                               const std::string& wanted) {
    std::error_code error;
    fs::create_directory(folder, error);
    // Never write through a link to somewhere else.
    if (error || IsLink(folder) || !fs::is_directory(folder, error)) {
        ++tree_.counts.diskFailures;
        return false;
    }
    if (folderName != wanted) NoteRenamed(index, folderName);
    created_.push_back(Directory());
    tree_.directories.push_back(folder);
    return true;
}

void TreeWriter::NoteWritten(int index, const Shortcut& shortcut) {
    if (shortcut.leftChanged) {
        tree_.leftChanged.insert(NormalPath(shortcut.path));
    } else {
        entryOfFile_[shortcut.path] = index;
        tree_.files[shortcut.path] = shortcut.hash;
    }
    ++tree_.counts.written;
    if (!shortcut.renamed.empty()) NoteRenamed(index, shortcut.renamed);
}

void TreeWriter::NoteNotWritten(int index, ShortcutWrite result) {
    tree_.counts.logLines.push_back(EntryLogLine(model_, index));
    ++tree_.counts.failed;
    if (!open_.empty()) open_.back().covered = true;
    if (result == ShortcutWrite::Failed) ++tree_.counts.diskFailures;
}

void TreeWriter::NoteRenamed(int index, const std::string& name) {
    tree_.counts.logLines.push_back(
        CheckLogLine(model_.glUrl[static_cast<std::size_t>(index)], name));
    ++tree_.counts.renamed;
}

// Puts the batch's files in place; an entry whose file was not replaced is not written after
// all.
void TreeWriter::CommitBatch() {
    for (const std::string& failed : batch_.Commit()) {
        const auto entry = entryOfFile_.find(failed);
        if (entry != entryOfFile_.end()) {
            tree_.counts.logLines.push_back(EntryLogLine(model_, entry->second));
            --tree_.counts.written;
            ++tree_.counts.failed;
            entryOfFile_.erase(entry);
            tree_.files.erase(failed);
        }
        ++tree_.counts.diskFailures;
    }
}

// Syncs each directory that new folders went into, once, so that their entries are on the disk.
void TreeWriter::SyncCreatedDirectories() {
    std::sort(created_.begin(), created_.end());
    created_.erase(std::unique(created_.begin(), created_.end()), created_.end());
    for (const std::string& directory : created_) {
        if (!SyncDirectory(directory)) ++tree_.counts.diskFailures;
    }
}

}  // namespace

bool IsLink(const std::string& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

std::string EntryLogLine(const BmLogic& model, int index) {
    const std::size_t k = static_cast<std::size_t>(index);
    return CheckLogLine(model.glUrl[k], model.glName[k]);
}

TreeWrite WriteFavoritesTree(const BmLogic& model, const std::string& target, int root,
                             const ReadFavoritesFiles* read) {
    return TreeWriter(model, target, root, read).Write();
}

}  // namespace pernard
