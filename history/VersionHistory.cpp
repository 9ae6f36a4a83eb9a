#include "history/VersionHistory.h"

#include <nettle/sha2.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <set>
#include <system_error>

#include "history/Compression.h"
#include "history/VersionDescription.h"
#include "util/HexText.h"
#include "util/OpenFile.h"
#include "util/Text.h"
#include "util/UserFolders.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSkippedMessage =
    "以前の版を飛ばしました（壊れているか、このプログラムが残したものではありません） : ";

// The target's path as one text for every way of naming it: absolute, normal, and on Windows
// without regard to the case of ASCII letters (its file names ignore it).
// The file a path names, wherever links lead: absolute, normal, links resolved as far as
// they exist.
fs::path RealPath(const std::string& target) {
    std::error_code error;
    fs::path path = fs::absolute(fs::path(target), error).lexically_normal();
    const fs::path real = fs::weakly_canonical(path, error);
    return error ? path : real;
}

// The target's path as one text for every way of naming it (through links, "..", a separator
// at the end), and on Windows without regard to the case of ASCII letters (its file names
// ignore it).
std::string PathKey(const std::string& target) {
    std::string key = RealPath(target).generic_string();
    while (key.size() > 1 && key.back() == '/') key.pop_back();
#ifdef _WIN32
    key = LowerAscii(key);
#endif
    return key;
}

// What a version is named by: the real file's full path, so that a restore puts it back there
// from wherever it is run, and never through a link that was changed since.
std::string FullPath(const std::string& target) { return RealPath(target).string(); }

// The readable part of a folder's name: the target's own name, in safe characters.
std::string SafeName(const std::string& target) {
    std::string name = fs::path(PathKey(target)).filename().string();
    for (char& c : name) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!safe) c = '_';
    }
    if (name.size() > 40) name.resize(40);
    return name.empty() ? "root" : name;
}


std::optional<std::string> ReadSmallFile(const fs::path& path, std::size_t limit) {
    OpenFile file = OpenForReading(path.string());
    if (!file) return std::nullopt;
    // Read a piece at a time: a description is a few hundred bytes of a limit of many.
    std::string bytes;
    char piece[16384];
    for (;;) {
        const std::size_t read = std::fread(piece, 1, sizeof piece, file.get());
        if (std::ferror(file.get()) || read > limit - bytes.size()) return std::nullopt;
        bytes.append(piece, read);
        if (read < sizeof piece) return bytes;
    }
}

std::optional<std::string> ReadWholeFile(const fs::path& path, std::uint64_t size) {
    std::optional<std::string> bytes = ReadSmallFile(path, size);
    if (!bytes || bytes->size() != size) return std::nullopt;
    return bytes;
}

// Writes a small file whole and owner-only, through a temporary name, so that no reader ever
// sees half of it.
bool WritePrivateFile(const fs::path& path, std::string_view bytes) {
    const fs::path temporary = path.string() + ".new";
    std::error_code error;
    fs::remove(temporary, error);
    {
#ifdef _WIN32
        OpenFile file(_wfopen(temporary.wstring().c_str(), L"wb"));
#else
        const int descriptor =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        OpenFile file(descriptor < 0 ? nullptr : ::fdopen(descriptor, "wb"));
#endif
        if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
            std::fflush(file.get()) != 0) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, path, error);
    if (error) fs::remove(temporary, error);
    return !error;
}

// A file's modification time in whole seconds: what a backup and its restore keep of it.
std::int64_t StampOfFile(const fs::path& path) {
    std::error_code error;
    const auto time = fs::last_write_time(path, error);
    if (error) return 0;
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

// A folder of the history this user alone may change: made by them, writable by no one else.
// One that another user made (or left open to all) is not trusted with the user's files.
bool OwnedByUser(const fs::path& path) {
#ifdef _WIN32
    (void)path;
    return true;
#else
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    return status.st_uid == ::geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
#endif
}

void MakePrivateDirectory(const fs::path& path) {
    std::error_code error;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, error);
}

// A moment (seconds since 1970) in the user's local time.
std::tm LocalTime(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    return local;
}

// The calendar day of a moment, in local time: the history keeps one version a day.
int LocalDay(std::int64_t seconds) {
    const std::tm local = LocalTime(seconds);
    return (local.tm_year + 1900) * 1000 + local.tm_yday;
}

// A linked file that only the history holds now (its target was replaced since) is made the
// user's alone, to read only; while the target still has it, it keeps the target's mode.
void MakeLinkPrivate([[maybe_unused]] const KeptVersion& version) {
#ifndef _WIN32
    // (On Windows the history is below the user's profile, and a file's mode there is only its
    // read-only flag, which a link shares with a target the system counts no links of.)
    // Read-only besides: a program that would write into it in place is refused.
    constexpr fs::perms kPrivate = fs::perms::owner_read;
    std::error_code ignored;
    if (version.linked && fs::hard_link_count(version.data, ignored) == 1 &&
        (fs::status(version.data, ignored).permissions() & fs::perms::all) != kPrivate) {
        fs::permissions(version.data, kPrivate, fs::perm_options::replace, ignored);
    }
#endif
}

// A target's versions newest first: by the order they were kept, whatever the clock said.
bool NewerFirst(const KeptVersion& a, const KeptVersion& b) { return a.number > b.number; }

// Versions of many targets, newest first by the time each was kept.
bool LaterFirst(const KeptVersion& a, const KeptVersion& b) {
    return a.keptAt != b.keptAt ? a.keptAt > b.keptAt : a.number > b.number;
}

}  // namespace

VersionHistory::VersionHistory(std::string root, HistoryBounds bounds, Clock clock)
    : root_(std::move(root)), bounds_(bounds), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
}

std::string VersionHistory::DefaultRoot() {
    const std::string data = ProgramDataDirectory();
    if (data.empty()) return {};
#ifdef _WIN32
    return data + "\\history";
#else
    return data + "/history";
#endif
}

std::string VersionHistory::FolderOf(const std::string& target) const {
    const std::string key = PathKey(target);
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, key.size(), reinterpret_cast<const std::uint8_t*>(key.data()));
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    return (fs::path(root_) / (SafeName(target) + "-" + LowerHex(digest, 8))).string();
}

bool VersionHistory::PrepareFolder(const std::string& folder, const std::string& target,
                                   std::string& error) {
    std::error_code failure;
    const bool rootIsNew = !fs::exists(root_, failure);
    fs::create_directories(folder, failure);
    if (failure || !fs::is_directory(folder, failure)) {
        error = "履歴のフォルダーを作れません : " + folder;
        return false;
    }
    if (rootIsNew) MakePrivateDirectory(fs::path(root_).parent_path());
    MakePrivateDirectory(root_);
    MakePrivateDirectory(folder);
    if (!OwnedByUser(root_) || !OwnedByUser(folder)) {
        error = "履歴のフォルダーが他のユーザーのものです : " + folder;
        return false;
    }
    const fs::path named = fs::path(folder) / "target";
    const std::optional<std::string> recorded = ReadSmallFile(named, 65536);
    if (recorded && PathKey(*recorded) == PathKey(target)) return true;
    if (recorded && !recorded->empty()) {
        error = "履歴のフォルダーが別のファイルのものです : " + folder;
        return false;
    }
    if (!WritePrivateFile(named, target)) {
        error = "履歴に書き込めません : " + folder;
        return false;
    }
    return true;
}

VersionListing VersionHistory::ListFolder(const std::string& folder) const {
    VersionListing listing;
    std::error_code error;
    for (fs::directory_iterator walk(folder, error), end; !error && walk != end;
         walk.increment(error)) {
        const fs::path path = walk->path();
        int number = 0;
        const std::string stem = path.stem().string();
        if (path.extension() != ".txt" || stem.size() != 6 || !ParseNumber(stem, number) ||
            number <= 0) {
            continue;
        }
        const std::optional<std::string> text = ReadSmallFile(path, 65536);
        std::optional<KeptVersion> version = text ? ParseDescription(*text) : std::nullopt;
        if (version) {
            version->number = number;
            version->description = path.string();
            version->data =
                (fs::path(folder) / (NumberName(number) + (version->linked ? ".data" : ".zst")))
                    .string();
            std::error_code missing;
            const std::uintmax_t size = fs::file_size(version->data, missing);
            // A link's bytes must still be those kept; a copy must be the size it was made.
            const bool whole =
                !missing && (version->linked
                                 ? size == version->size &&
                                       StampOfFile(version->data) == version->linkStamp
                                 : size == version->stored);
            if (!whole) version.reset();
        }
        if (version) {
            listing.versions.push_back(std::move(*version));
        } else {
            listing.skipped.push_back(kSkippedMessage + path.string());
        }
    }
    std::sort(listing.versions.begin(), listing.versions.end(), NewerFirst);
    std::sort(listing.skipped.begin(), listing.skipped.end());
    return listing;
}

VersionListing VersionHistory::List(const std::string& target) const {
    if (root_.empty()) return {};
    const std::string folder = FolderOf(target);
    const std::optional<std::string> recorded = ReadSmallFile(fs::path(folder) / "target", 65536);
    if (!recorded) return {};
    if (PathKey(*recorded) != PathKey(target) || !OwnedByUser(root_) || !OwnedByUser(folder)) {
        return VersionListing{{}, {kSkippedMessage + folder}};
    }
    VersionListing listing = ListFolder(folder);
    // A version that names another target is not this one's.
    std::vector<KeptVersion> own;
    for (KeptVersion& version : listing.versions) {
        if (PathKey(version.target) == PathKey(target)) {
            own.push_back(std::move(version));
        } else {
            listing.skipped.push_back(kSkippedMessage + version.description);
        }
    }
    listing.versions = std::move(own);
    // A linked file's counts, which its keep left to the first listing, are counted once and
    // written down.
    for (KeptVersion& version : listing.versions) {
        if (version.counts.bookmarks >= 0) continue;
        version.counts = CountFile(version.data, version.format);
        WritePrivateFile(version.description, Describe(version));
    }
    return listing;
}

std::optional<std::string> VersionHistory::ReadFile(const KeptVersion& version,
                                                    std::string& error) const {
    std::optional<std::string> bytes;
    if (version.format != VersionFormat::Directory) {
        if (version.linked) {
            if (StampOfFile(version.data) == version.linkStamp) {
                bytes = ReadWholeFile(version.data, version.size);
            }
        } else {
            bytes = DecompressFile(version.data, version.size);
        }
    }
    if (!bytes || bytes->size() != version.size) {
        error = kSkippedMessage + version.description;
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::vector<ArchivedEntry>> VersionHistory::ReadDirectory(
    const KeptVersion& version, std::string& error) const {
    std::optional<std::vector<ArchivedEntry>> entries;
    if (version.format == VersionFormat::Directory && !version.linked) {
        // The archive is its files and a few bytes for each name besides.
        const std::optional<std::string> packed =
            DecompressFile(version.data, version.size * 2 + (64u << 20));
        if (packed) entries = UnpackDirectory(*packed);
    }
    if (!entries) error = kSkippedMessage + version.description;
    return entries;
}

const KeptVersion* VersionHistory::SameBytesAs(const std::string& target, VersionFormat format,
                                              std::uint64_t size,
                                              const VersionListing& kept) const {
    std::optional<std::string> now;
    for (const KeptVersion& version : kept.versions) {
        if (version.format != format || version.size != size) continue;
        if (!now) now = ReadWholeFile(target, size);
        std::string error;
        if (now && ReadFile(version, error) == now) return &version;
    }
    return nullptr;
}

// The number after every one this folder has given: its versions' and the one it remembers
// (so that a number never comes back after the versions that had it went).
int VersionHistory::NextNumber(const std::string& folder) const {
    int highest = 0;
    std::error_code error;
    for (fs::directory_iterator walk(folder, error), end; !error && walk != end;
         walk.increment(error)) {
        int number = 0;
        const std::string stem = walk->path().stem().string();
        if (stem.size() == 6 && ParseNumber(stem, number)) highest = std::max(highest, number);
    }
    const std::optional<std::string> last = ReadSmallFile(fs::path(folder) / "last", 16);
    int remembered = 0;
    if (last && ParseNumber(*last, remembered)) highest = std::max(highest, remembered);
    return highest + 1;
}

// The same bytes kept before now stand for the newest version: they are what the target held
// last. They take the next number (and the moment), as a version kept now would.
KeepResult VersionHistory::Refresh(const KeptVersion& same) const {
    KeptVersion version = same;
    version.number = NextNumber(fs::path(same.description).parent_path().string());
    version.keptAt = clock_();
    const fs::path base = fs::path(same.description).parent_path() / NumberName(version.number);
    version.data = base.string() + fs::path(same.data).extension().string();
    version.description = base.string() + ".txt";
    std::error_code error;
    fs::rename(same.data, version.data, error);
    if (error || !WritePrivateFile(version.description, Describe(version))) {
        return KeepResult{KeepOutcome::AlreadyKept, {}, same.number};
    }
    fs::remove(same.description, error);
    WritePrivateFile(fs::path(version.description).parent_path() / "last",
                     std::to_string(version.number));
    return KeepResult{KeepOutcome::AlreadyKept, {}, version.number};
}

KeepResult VersionHistory::Keep(const std::string& target, VersionFormat format) {
    KeepResult result;
    if (root_.empty() || bounds_.totalBytes == 0) return result;
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    const bool directory = format == VersionFormat::Directory;
    if (directory ? !fs::is_directory(status) : !fs::is_regular_file(status)) {
        result.outcome = KeepOutcome::NothingThere;
        return result;
    }
    result.outcome = KeepOutcome::Failed;
    // The file itself, not a link to it: a writer replaces what the link leads to.
    const std::string real = FullPath(target);
    const std::string folder = FolderOf(real);
    if (real.find_first_of("\n\t") != std::string::npos) {
        result.error = "ファイル名に改行かタブがあります";
        return result;
    }
    if (!PrepareFolder(folder, real, result.error)) return result;
    VersionListing kept = ListFolder(folder);
    if (!directory) DropVersionsSharing(real, kept);
    KeptVersion version;
    version.target = real;
    version.format = format;
    version.keptAt = clock_();
    version.number = NextNumber(folder);
    if (version.number > 999999) {
        result.error = "履歴の番号が尽きました : " + folder;
        return result;
    }
    const fs::path base = fs::path(folder) / NumberName(version.number);
    const std::string tooLarge = "履歴の上限（" + std::to_string(bounds_.totalBytes >> 20) +
                                 " MB）より大きいため";
    if (directory) {
        std::optional<PackedDirectory> packed =
            PackDirectory(real, bounds_.totalBytes, result.error);
        if (!packed) return result;
        const auto entries = UnpackDirectory(packed->packed);
        for (const KeptVersion& earlier : kept.versions) {
            std::string ignored;
            if (earlier.format == format && earlier.size == packed->bytes &&
                ReadDirectory(earlier, ignored) == entries) {
                return Refresh(earlier);
            }
        }
        version.size = packed->bytes;
        version.counts = {packed->shortcuts, packed->folders};
        version.data = base.string() + ".zst";
        const std::string compressed = Compress(packed->packed);
        if (compressed.empty() || !WritePrivateFile(version.data, compressed)) {
            result.error = "履歴に書き込めません : " + folder;
            return result;
        }
        version.stored = compressed.size();
    } else {
        version.size = fs::file_size(real, error);
        if (error) {
            result.error = "ファイルを読めません : " + real;
            return result;
        }
        if (version.size > bounds_.totalBytes) {
            result.error = tooLarge;
            return result;
        }
        if (const KeptVersion* same = SameBytesAs(real, format, version.size, kept)) {
            return Refresh(*same);
        }
        // Linked in, the old file stays what it is once the new one has taken its name: the
        // writers never write into the file they replace. A file with other names already is
        // copied: through one of them it may be written in place.
        version.data = base.string() + ".data";
        const bool single = fs::hard_link_count(real, error) == 1 && !error;
        error.clear();
        if (bounds_.link && single) fs::create_hard_link(real, version.data, error);
        version.linked = bounds_.link && single && !error;
        if (version.linked) {
            version.stored = version.size;
            version.linkStamp = StampOfFile(version.data);
            // Counted when first listed: a save pays nothing for a linked file.
            version.counts = {-1, -1};
        } else {
            version.data = base.string() + ".zst";
            if (!CompressFile(real, version.data)) {
                fs::remove(version.data, error);
                result.error = "履歴に書き込めません : " + folder;
                return result;
            }
            version.stored = fs::file_size(version.data, error);
            version.counts = CountFile(real, format);
        }
    }
    if (version.stored > bounds_.totalBytes ||
        !WritePrivateFile(base.string() + ".txt", Describe(version))) {
        fs::remove(version.data, error);
        result.error = version.stored > bounds_.totalBytes ? tooLarge
                                                           : "履歴に書き込めません : " + folder;
        return result;
    }
    WritePrivateFile(fs::path(folder) / "last", std::to_string(version.number));
    version.description = base.string() + ".txt";
    std::vector<KeptVersion> own = kept.versions;
    own.insert(own.begin(), version);
    Prune(folder, std::move(own), version.number);
    return KeepResult{KeepOutcome::Kept, {}, version.number};
}

// A version linked in before a write that then did not happen is the target itself still: it
// goes (the target is kept anew), before anything writes into the target in place.
void VersionHistory::DropVersionsSharing(const std::string& target, VersionListing& kept) const {
    std::vector<KeptVersion> others;
    for (KeptVersion& version : kept.versions) {
        std::error_code error;
        if (version.linked && fs::equivalent(version.data, target, error)) {
            Remove(version);
        } else {
            others.push_back(std::move(version));
        }
    }
    kept.versions = std::move(others);
}

void VersionHistory::Remove(const KeptVersion& version) const {
    std::error_code error;
    // The description first: a version is never listed without its bytes.
    fs::remove(version.description, error);
    fs::remove(version.data, error);
}

void VersionHistory::Prune(const std::string& folder, std::vector<KeptVersion> own, int justKept) {
    // This target's versions: the newest few, and the newest of each recent day.
    std::sort(own.begin(), own.end(), NewerFirst);
    const std::int64_t since = clock_() - std::int64_t{bounds_.days} * 86400;
    std::set<int> days;
    std::vector<KeptVersion> all;
    for (std::size_t i = 0; i < own.size(); ++i) {
        KeptVersion& version = own[i];
        const bool recent = i < bounds_.recent;
        const bool daily = version.keptAt >= since && days.insert(LocalDay(version.keptAt)).second;
        if (!recent && !daily && version.number != justKept) {
            Remove(version);
            continue;
        }
        if (version.number != justKept) MakeLinkPrivate(version);
        all.push_back(std::move(version));
    }
    // All targets together within the total: the oldest go first.
    std::uint64_t total = 0;
    for (const KeptVersion& version : all) total += version.stored;
    std::error_code error;
    for (fs::directory_iterator walk(root_, error), end; !error && walk != end;
         walk.increment(error)) {
        if (!walk->is_directory(error) || walk->path() == fs::path(folder)) continue;
        for (KeptVersion& version : ListFolder(walk->path().string()).versions) {
            MakeLinkPrivate(version);
            total += version.stored;
            all.push_back(std::move(version));
        }
    }
    if (total <= bounds_.totalBytes) return;
    std::sort(all.begin(), all.end(), LaterFirst);
    while (total > bounds_.totalBytes && !all.empty()) {
        const KeptVersion& oldest = all.back();
        if (!(oldest.number == justKept && fs::path(oldest.description).parent_path() == folder)) {
            Remove(oldest);
            total -= oldest.stored;
        }
        all.pop_back();
    }
}

std::optional<std::uint64_t> StoredHistoryLimit(const std::string& root) {
    if (root.empty()) return std::nullopt;
    const std::optional<std::string> text = ReadSmallFile(fs::path(root) / "limit", 64);
    std::uint64_t bytes = 0;
    if (!text || text->empty() || !ParseNumber(std::string_view(*text).substr(0, text->size() - 1), bytes) ||
        text->back() != '\n') {
        return std::nullopt;
    }
    return bytes;
}

bool StoreHistoryLimit(const std::string& root, std::uint64_t bytes) {
    if (root.empty()) return false;
    std::error_code error;
    const bool rootIsNew = !fs::exists(root, error);
    fs::create_directories(root, error);
    if (rootIsNew) MakePrivateDirectory(fs::path(root).parent_path());
    MakePrivateDirectory(root);
    if (StoredHistoryLimit(root) == bytes) return true;
    return WritePrivateFile(fs::path(root) / "limit", std::to_string(bytes) + "\n");
}

std::string VersionTimeText(std::int64_t keptAt) {
    const std::tm local = LocalTime(keptAt);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

}  // namespace pernard
