#include "formats/FavoritesReader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>
#include <vector>

#include "formats/NetscapeReader.h"
#include "formats/ShortcutText.h"
#include "model/EntryExtras.h"
#include "util/CodePage.h"
#include "util/OpenFile.h"
#include "util/Paths.h"
#include "util/Text.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

// A name taken from the file system, as UTF-8.
std::string NameText(const fs::path& name) {
    const std::string bytes = name.string();
    return IsValidUtf8(bytes) ? bytes : DecodeText(bytes, kUtf8);
}

bool HasShortcutExtension(const std::string& name) {
    return name.size() >= 4 && EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".url");
}

struct DirectoryEntry {
    fs::path path;
    std::string name;
    bool isDirectory = false;  // a real directory, not a link to one
};

// The entries of a directory sorted by name without regard to letter case; an unreadable
// directory has none.
std::vector<DirectoryEntry> ListDirectory(const fs::path& directory) {
    std::vector<DirectoryEntry> entries;
    std::error_code error;
    fs::directory_iterator it(directory, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        DirectoryEntry entry;
        entry.path = it->path();
        entry.name = NameText(it->path().filename());
        std::error_code statusError;
        entry.isDirectory = it->is_directory(statusError) && !it->is_symlink(statusError);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const DirectoryEntry& a, const DirectoryEntry& b) {
        const std::string la = LowerAscii(a.name);
        const std::string lb = LowerAscii(b.name);
        return la != lb ? la < lb : a.name < b.name;
    });
    return entries;
}

class FavoritesScanner {
public:
    FavoritesScanner(BmLogic& model, ReadFavoritesFiles& files) : model_(model), files_(files) {}

    // Walks one directory below the Favorites directory (which has an empty `name`: its
    // entries go straight into the root). Its folder is appended under `parent`, its shortcuts
    // and subdirectories into that folder. False stops the whole walk (the table is full).
    bool ScanFavoritesDir(const std::string& name, const fs::path& path, int parent);

    int UrlCount() const { return urlCount_; }
    const std::string& ErrorText() const { return errorText_; }

private:
    // Creates the folder entry of the directory being visited under `parent`; `folder` is where
    // its entries go. False when it could not be created; `stop` tells whether the walk must
    // end.
    bool EnsureFolder(const std::string& name, const fs::path& path, int parent, int& folder,
                      bool& stop);
    bool AddShortcut(const DirectoryEntry& entry, int folder);
    bool Full();

    BmLogic& model_;
    ReadFavoritesFiles& files_;
    int urlCount_ = 0;
    bool depthReported_ = false;
    std::string errorText_;
};

bool FavoritesScanner::Full() {
    errorText_ = kCapacityMessage;
    return false;
}

bool FavoritesScanner::EnsureFolder(const std::string& name, const fs::path& path, int parent,
                                    int& folder, bool& stop) {
    stop = false;
    folder = parent;
    if (name.empty()) return true;
    const BmLogic::Appended added = model_.AppendFolder(parent, name, "", "");
    if (added.outcome == BmLogic::Outcome::Full) {
        stop = true;
        return Full();
    }
    if (!added.Added()) {
        // Too deep: the directory and its contents are left out; the message is shown once.
        if (added.outcome == BmLogic::Outcome::TooDeep && !depthReported_) {
            depthReported_ = true;
            model_.GetPorts().prompts->ShowMessage(kDepthLimitMessage);
        }
        return false;
    }
    folder = added.index;
    files_.directories.insert(NormalPath(path.string()));
    return true;
}

bool FavoritesScanner::ScanFavoritesDir(const std::string& name, const fs::path& path, int parent) {
    const std::vector<DirectoryEntry> entries = ListDirectory(path);
    int folder = parent;
    bool stop = false;
    // Every directory is a folder, an empty one too, so that empty folders survive a save and
    // a read back (the setting for empty folders removes them after the read).
    if (!EnsureFolder(name, path, parent, folder, stop)) return !stop;
    // First pass: subdirectories in name order, hidden ones left out.
    for (const DirectoryEntry& entry : entries) {
        if (entry.name.empty() || entry.name[0] == '.') continue;
        if (entry.isDirectory && !ScanFavoritesDir(entry.name, entry.path, folder)) {
            return false;
        }
    }
    // Second pass: every shortcut, hidden ones included, after all subdirectories.
    for (const DirectoryEntry& entry : entries) {
        if (entry.isDirectory || !HasShortcutExtension(entry.name)) continue;
        if (!AddShortcut(entry, folder)) return false;
    }
    return true;
}

bool FavoritesScanner::AddShortcut(const DirectoryEntry& entry, int folder) {
    std::error_code error;
    if (!fs::is_regular_file(entry.path, error)) return true;
    std::string bytes;
    if (!ReadShortcutBytes(entry.path.string(), bytes)) {
        // Not a file this load read: no save writes over it or removes it.
        model_.GetPorts().diagnostics->ReportReadWarning(kUnreadShortcutMessage +
                                                         entry.path.string());
        return true;
    }
    std::string url = ShortcutUrlFromText(ShortcutTextOf(bytes));
    if (url == kFolderMarker) {
        // The table marks folders with this URL: the shortcut is left out and said, and its
        // file is not one this load read, so no save removes it.
        model_.GetPorts().diagnostics->ReportReadWarning(kFolderMarkerUrlMessage +
                                                         entry.path.string());
        return true;
    }
    if (model_.GetPorts().settings->SkipDuplicateUrls() && model_.UrlExists(url)) return true;
    EntryTexts texts;
    texts.url = std::move(url);
    texts.name = entry.name.substr(0, entry.name.size() - 4);
    const BmLogic::Appended added = model_.AppendBookmark(folder, texts);
    if (!added.Added()) return Full();
    model_.SetExtras(added.index, ShortcutExtras(bytes, texts.url));
    ++urlCount_;
    NoteShortcutFile(files_, entry.path.string(), ShortcutHash(bytes));
    return true;
}

}  // namespace

bool ReadShortcutBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > kShortcutSizeLimit) return false;
    const OpenFile file = OpenForReading(path);
    if (!file) return false;
    // Read in blocks up to one byte past the limit, so that a file that says nothing of its
    // size (or lies about it) costs no more than the limit.
    constexpr std::size_t kBlock = 64 * 1024;
    while (bytes.size() <= kShortcutSizeLimit) {
        const std::size_t had = bytes.size();
        bytes.resize(had + kBlock);
        const std::size_t got = std::fread(bytes.data() + had, 1, kBlock, file.get());
        bytes.resize(had + got);
        if (got < kBlock) break;
    }
    if (std::ferror(file.get()) != 0 || bytes.size() > kShortcutSizeLimit) {
        bytes.clear();
        return false;
    }
    return true;
}

std::string ReadShortcutUrl(const std::string& path) {
    std::string bytes;
    ReadShortcutBytes(path, bytes);
    return ShortcutUrlFromText(ShortcutTextOf(bytes));
}

std::string ShortcutExtras(std::string_view bytes, const std::string& url) {
    if (bytes == ShortcutFileText(url)) return {};
    EntryExtras extras;
    extras.hasShortcut = true;
    extras.shortcut = bytes;
    return PackExtras(extras);
}

bool ReadFavorites(BmLogic& model, bool complete, const std::string& directory,
                   std::string& errorText, int& urlCount) {
    const Ports& ports = model.GetPorts();
    urlCount = 0;
    std::error_code error;
    if (!fs::is_directory(directory, error)) {
        errorText = "ディレクトリが存在しません : " + directory;
        return false;
    }
    if (complete && !model.ResetEntryTable(errorText)) return false;
    if (!complete) model.ForgetHistory();
    ports.progress->Show("お気に入り 読込中");
    ports.diagnostics->ClearReadingLog();

    bool result = true;
    model.Tree().BeginBulk();
    const BmLogic::Appended root = model.AppendRoot(directory, kSourceFavorites, directory);
    if (root.Added()) {
        model.SetRootCharset(root.index, kCp932);
        auto files = std::make_shared<ReadFavoritesFiles>();
        files->directory = directory;
        if (RootInfo* info = model.MutableRootInfo(root.index)) info->favorites = files;
        FavoritesScanner scanner(model, *files);
        if (!scanner.ScanFavoritesDir("", fs::path(directory), root.index)) {
            errorText = scanner.ErrorText();
            result = false;
            model.MarkRootPartial(root.index);
        }
        urlCount = scanner.UrlCount();
    } else {
        errorText = kCapacityMessage;
        result = false;
    }
    ports.settings->SetDebugCheck(true);
    if (ports.settings->NoEmptyFolders()) {
        model.DeleteEmptyFolders(false);
        // Part of the load, which nothing before or in it can undo.
        model.ForgetHistory();
    }
    model.Tree().EndBulk();
    model.RememberRootsAsRead();
    model.CheckConsistency("ブックマーク読込", true);
    ports.progress->Close();
    return result;
}

bool LookAtShortcutFile(const std::string& path, ReadShortcut& now) {
    std::error_code error;
    now.size = fs::file_size(path, error);
    if (error) return false;
    now.modified = fs::last_write_time(path, error).time_since_epoch().count();
    return !error;
}

std::uint64_t ShortcutHash(std::string_view bytes) { return std::hash<std::string_view>{}(bytes); }

void NoteShortcutFile(ReadFavoritesFiles& files, const std::string& path, std::uint64_t hash) {
    ReadShortcut shortcut;
    shortcut.hash = hash;
    if (LookAtShortcutFile(path, shortcut)) files.shortcuts[NormalPath(path)] = shortcut;
}

bool IsAsNoted(const std::string& path, const ReadShortcut& noted, std::string* bytes) {
    ReadShortcut now;
    std::string held;
    // The bytes too: an edit within the file system's time resolution, or one that set the
    // time back, keeps the size and the time.
    if (!LookAtShortcutFile(path, now) || now.size != noted.size ||
        now.modified != noted.modified || !ReadShortcutBytes(path, held) ||
        ShortcutHash(held) != noted.hash) {
        return false;
    }
    if (bytes != nullptr) *bytes = std::move(held);
    return true;
}

bool IsShortcutFileName(const std::string& path) {
    return HasShortcutExtension(fs::path(path).filename().string());
}

bool ReadShortcutFile(BmLogic& model, bool complete, const std::string& path,
                      std::string& errorText, int& urlCount) {
    urlCount = 0;
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        errorText = "Not Found Bookmark : " + path;
        return false;
    }
    std::string bytes;
    if (!ReadShortcutBytes(path, bytes)) {
        errorText = kUnreadShortcutMessage + path;
        return false;
    }
    if (complete && !model.ResetEntryTable(errorText)) return false;
    if (!complete) model.ForgetHistory();
    const std::string directory = fs::absolute(path, error).parent_path().string();
    const std::string name = fs::path(path).filename().string();
    const BmLogic::Appended root = model.AppendRoot(directory, kSourceFavorites, directory);
    if (!root.Added()) {
        errorText = kCapacityMessage;
        return false;
    }
    model.SetRootCharset(root.index, kCp932);
    EntryTexts texts;
    texts.url = ShortcutUrlFromText(ShortcutTextOf(bytes));
    texts.name = name.substr(0, name.size() - 4);
    const BmLogic::Appended entry = model.AppendBookmark(root.index, texts);
    if (!entry.Added()) {
        errorText = kCapacityMessage;
        model.MarkRootPartial(root.index);
        return false;
    }
    model.SetExtras(entry.index, ShortcutExtras(bytes, texts.url));
    // The file is noted as a Favorites load notes its files: a save writes it back under its
    // own name, and never over it once another program changed it.
    auto files = std::make_shared<ReadFavoritesFiles>();
    files->directory = directory;
    NoteShortcutFile(*files, fs::absolute(path, error).string(), ShortcutHash(bytes));
    if (RootInfo* info = model.MutableRootInfo(root.index)) info->favorites = files;
    urlCount = 1;
    model.RememberRootsAsRead();
    return true;
}

}  // namespace pernard
