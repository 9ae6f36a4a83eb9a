#pragma once
// Writing a file so that the previous version survives any failure: the bytes go to a
// temporary file beside the target, which replaces the target only once it is complete and on
// the disk. Every write, sync, rename and close goes through SaveFileCalls() (util/FileCalls.h).

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace pernard {

// Makes a directory's entries (a rename, a new file) durable; false when that failed.
bool SyncDirectory(const std::string& directory);

class SafeFileWriter {
public:
    SafeFileWriter() = default;
    ~SafeFileWriter();  // abandons an uncommitted temporary file
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file beside `target`; false when it cannot be created.
    bool Open(const std::string& target);
    // The new file takes the permissions of `path` (a copy of that file) instead of those of
    // the file it replaces.
    void TakeModeOf(const std::string& path) { modeSource_ = path; }
    // Appends bytes; a failure is remembered and reported by Commit.
    void Write(std::string_view bytes);
    // Flushes, syncs and renames the temporary file over the target. False (and the target
    // untouched) when anything failed on the way.
    bool Commit();

    // For SafeFileBatch: closes the complete temporary file without syncing or renaming it;
    // its name, or an empty text when anything failed.
    std::string Finish();

private:
    void Abandon();
    // The temporary file takes the permissions of the file it replaces (or 0644).
    bool TakeTargetMode();

    std::string target_;
    std::string modeSource_;
    std::string temporary_;
    int descriptor_ = -1;
    bool failed_ = false;
};

// Many small files saved as one: each is written to a temporary file, then one sync puts them
// all on the disk, and only then each replaces its target (a directory synced once). Much
// faster than a sync per file, and as safe: no target is replaced before its new bytes are on
// the disk.
class SafeFileBatch {
public:
    SafeFileBatch() = default;
    ~SafeFileBatch();  // removes the temporary files of an uncommitted batch
    SafeFileBatch(const SafeFileBatch&) = delete;
    SafeFileBatch& operator=(const SafeFileBatch&) = delete;

    // Writes `bytes` for `target`; false when it could not be written. A new file is written in
    // place, an existing one through a temporary file; a link at `target` is replaced by a file.
    bool Add(const std::string& target, std::string_view bytes);
    // Syncs, renames and syncs the directories; returns the targets that were not replaced.
    std::vector<std::string> Commit();

private:
    struct Pending {
        std::string temporary;  // empty: a new file written in place
        std::string target;
    };
    std::vector<Pending> pending_;
};

}  // namespace pernard
