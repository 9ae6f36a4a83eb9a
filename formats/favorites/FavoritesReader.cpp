#include "formats/favorites/FavoritesReader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>
#include <vector>

#include "formats/ReadMessages.h"
#include "formats/favorites/ShortcutText.h"
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
    FavoritesScanner(EntryBuilder& builder, ReadFavoritesFiles& files)
        : builder_(builder), files_(files) {}

    // Walks one directory below the Favorites directory (which has an empty `name`: its
    // entries go straight into the root). Its folder is appended under `parent`, its shortcuts
    // and subdirectories into that folder. False stops the whole walk (the table is full).
    bool ScanFavoritesDir(const std::string& name, const fs::path& path, int parent);

    const std::string& ErrorText() const { return errorText_; }

private:
    // Creates the folder entry of the directory being visited under `parent`; `folder` is where
    // its entries go. False when it could not be created; `stop` tells whether the walk must
    // end.
    bool EnsureFolder(const std::string& name, const fs::path& path, int parent, int& folder,
                      bool& stop);
    bool AddShortcut(const DirectoryEntry& entry, int folder);
    bool Full();

    EntryBuilder& builder_;
    ReadFavoritesFiles& files_;
    bool skipDuplicates_ = builder_.Settings().SkipDuplicateUrls();
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
    const BmLogic::Appended added = builder_.AppendFolder(parent, name, "", "");
    if (added.outcome == BmLogic::Outcome::Full) {
        stop = true;
        return Full();
    }
    if (!added.Added()) {
        // Too deep: the directory and its contents are left out; the message is said once.
        if (added.outcome == BmLogic::Outcome::TooDeep) builder_.Notice(kDepthLimitMessage);
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
        builder_.Warn(kUnreadShortcutMessage + entry.path.string());
        return true;
    }
    std::string url = ShortcutUrlFromText(ShortcutTextOf(bytes));
    if (url == kFolderMarker) {
        // The table marks folders with this URL: the shortcut is left out and said, and its
        // file is not one this load read, so no save removes it.
        builder_.Warn(kFolderMarkerUrlMessage + entry.path.string());
        return true;
    }
    if (skipDuplicates_ && builder_.HasUrl(url)) return true;
    EntryTexts texts;
    texts.url = std::move(url);
    texts.name = entry.name.substr(0, entry.name.size() - 4);
    const BmLogic::Appended added = builder_.AppendBookmark(folder, texts);
    if (!added.Added()) return Full();
    builder_.SetExtras(added.index, UnpackExtras(ShortcutExtras(bytes, texts.url)));
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

namespace {

// The root of a Favorites read: named and sourced by its directory, its names in CP932.
bool AddFavoritesRoot(EntryBuilder& builder, const std::string& directory, std::string& errorText) {
    if (builder.AddRoot(directory, SourceKind::Favorites, directory) !=
        EntryBuilder::Outcome::Added) {
        errorText = kCapacityMessage;
        return false;
    }
    builder.SetCharset(kCp932);
    return true;
}

}  // namespace

namespace {

class FavoritesDirectoryParser : public SourceParser {
public:
    explicit FavoritesDirectoryParser(std::string directory) : directory_(std::move(directory)) {}
    const char* ProgressText() const override { return "お気に入り 読込中"; }

    bool Parse(EntryBuilder& builder, std::string& errorText) override {
        if (!AddFavoritesRoot(builder, directory_, errorText)) return false;
        auto files = std::make_shared<ReadFavoritesFiles>();
        files->directory = directory_;
        builder.SourceInfo()->favorites = files;
        FavoritesScanner scanner(builder, *files);
        if (scanner.ScanFavoritesDir("", fs::path(directory_), builder.Root())) return true;
        errorText = scanner.ErrorText();
        return false;
    }

private:
    std::string directory_;
};

// One shortcut file, read as a Favorites root of its directory holding that one bookmark.
class ShortcutFileParser : public SourceParser {
public:
    ShortcutFileParser(std::string path, std::string bytes)
        : path_(std::move(path)), bytes_(std::move(bytes)) {}
    const char* ProgressText() const override { return "お気に入り 読込中"; }

    bool Parse(EntryBuilder& builder, std::string& errorText) override {
        std::error_code error;
        const std::string absolute = fs::absolute(path_, error).string();
        const std::string directory = fs::path(absolute).parent_path().string();
        const std::string name = fs::path(path_).filename().string();
        if (!AddFavoritesRoot(builder, directory, errorText)) return false;
        EntryTexts texts;
        texts.url = ShortcutUrlFromText(ShortcutTextOf(bytes_));
        texts.name = name.substr(0, name.size() - 4);
        if (builder.AddBookmark(texts, UnpackExtras(ShortcutExtras(bytes_, texts.url))) !=
            EntryBuilder::Outcome::Added) {
            errorText = kCapacityMessage;
            return false;
        }
        // The file is noted as a Favorites load notes its files: a save writes it back under
        // its own name, and never over it once another program changed it.
        auto files = std::make_shared<ReadFavoritesFiles>();
        files->directory = directory;
        NoteShortcutFile(*files, absolute, ShortcutHash(bytes_));
        builder.SourceInfo()->favorites = files;
        return true;
    }

private:
    std::string path_;
    std::string bytes_;
};

}  // namespace

OpenedSource OpenFavoritesDirectory(const std::string& directory) {
    std::error_code error;
    if (!fs::is_directory(directory, error)) {
        return OpenedSource::Refused("ディレクトリが存在しません : " + directory);
    }
    return OpenedSource::Opened<FavoritesDirectoryParser>(directory);
}

OpenedSource OpenShortcutFile(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return OpenedSource::Refused("Not Found Bookmark : " + path);
    }
    std::string bytes;
    if (!ReadShortcutBytes(path, bytes)) {
        return OpenedSource::Refused(kUnreadShortcutMessage + path);
    }
    return OpenedSource::Opened<ShortcutFileParser>(path, std::move(bytes));
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

}  // namespace pernard
