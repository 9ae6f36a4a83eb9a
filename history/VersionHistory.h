#pragma once
// The earlier versions of every file and directory the program overwrites, kept in the user's
// data directory so that a save can be taken back after the collection was loaded again.
//
//   HISTORY/NAME-KEY/target        the target's path (KEY: a hash of that path)
//   HISTORY/NAME-KEY/000007.txt    one version: when it was kept, its size and counts, how stored
//   HISTORY/NAME-KEY/000007.data   its bytes: the old file itself, linked in (no copy), or
//   HISTORY/NAME-KEY/000007.zst    a compressed copy (a directory always: an archive of it)
//
// Folders are the user's alone (0700), files too (0600). A version whose bytes no longer are
// what was kept (a link changed in place, a damaged copy) or whose description does not parse
// is skipped and said, never restored.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "history/DirectoryArchive.h"
#include "history/KeptVersion.h"

namespace pernard {

inline constexpr std::uint64_t kDefaultHistoryLimit = 500ull * 1024 * 1024;

struct HistoryBounds {
    std::size_t recent = 20;  // the newest versions of each target are kept
    int days = 30;            // and the newest of each day within this many days
    std::uint64_t totalBytes = kDefaultHistoryLimit;  // all targets together; 0 keeps none
    bool link = true;  // a file is linked in where the file system allows; false: always copied
};


enum class KeepOutcome { Kept, AlreadyKept, NothingThere, Off, Failed };

struct KeepResult {
    KeepOutcome outcome = KeepOutcome::Off;
    std::string error;  // why a version could not be kept, in words for the user
    int number = 0;     // the version kept (or the one that holds the same bytes)
};

struct VersionListing {
    std::vector<KeptVersion> versions;  // newest first
    std::vector<std::string> skipped;   // one message for each file not trusted
};

class VersionHistory {
public:
    using Clock = std::function<std::int64_t()>;

    // `root` empty: no history (nothing is kept, nothing listed).
    explicit VersionHistory(std::string root, HistoryBounds bounds = {}, Clock clock = {});

    // $XDG_DATA_HOME/pernard/history (~/.local/share when unset); on Windows
    // %LOCALAPPDATA%\Pernard\history. Empty when the environment names no such place.
    static std::string DefaultRoot();

    // Keeps `target` as it is now, before something overwrites it, then drops what the bounds
    // no longer hold. A file (Html or Json) or a directory (Directory), as `format` says.
    KeepResult Keep(const std::string& target, VersionFormat format);
    VersionListing List(const std::string& target) const;
    // A version's bytes, checked against what was kept; nullopt and `error` when they are not.
    std::optional<std::string> ReadFile(const KeptVersion& version, std::string& error) const;
    std::optional<std::vector<ArchivedEntry>> ReadDirectory(const KeptVersion& version,
                                                            std::string& error) const;

    const std::string& Root() const { return root_; }

private:
    std::string FolderOf(const std::string& target) const;
    VersionListing ListFolder(const std::string& folder) const;
    bool PrepareFolder(const std::string& folder, const std::string& target, std::string& error);
    const KeptVersion* SameBytesAs(const std::string& target, VersionFormat format,
                                   std::uint64_t size, const VersionListing& kept) const;
    int NextNumber(const std::string& folder) const;
    KeepResult Refresh(const KeptVersion& same) const;
    void DropVersionsSharing(const std::string& target, VersionListing& kept) const;
    // Drops what the bounds no longer hold; `own` are the target's versions, the new one among
    // them.
    void Prune(const std::string& folder, std::vector<KeptVersion> own, int justKept);
    void Remove(const KeptVersion& version) const;

    std::string root_;
    HistoryBounds bounds_;
    Clock clock_;
};

// The total the user set for the history at `root` (the window writes it there whenever it
// changes, so that the command line keeps within the same bound); nullopt when none was set.
std::optional<std::uint64_t> StoredHistoryLimit(const std::string& root);
bool StoreHistoryLimit(const std::string& root, std::uint64_t bytes);

// "2026/12/11 14:05:09", in local time.
std::string VersionTimeText(std::int64_t keptAt);

}  // namespace pernard
