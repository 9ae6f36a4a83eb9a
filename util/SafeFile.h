#pragma once
// Writing a file so that the previous version survives any failure: the bytes go to a
// temporary file beside the target, which replaces the target only once it is complete and on
// the disk. Every write, sync, rename and close goes through SaveFileCalls() (util/FileCalls.h).

#include <cstdio>
#include <string>
#include <string_view>

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
    // Appends bytes; a failure is remembered and reported by Commit.
    void Write(std::string_view bytes);
    // Flushes, syncs and renames the temporary file over the target. False (and the target
    // untouched) when anything failed on the way.
    bool Commit();
    // Commit leaves the sync of the directory to the caller, who writes many files into one
    // directory and syncs it once (SyncDirectory) before counting them as saved.
    void LeaveDirectorySync() { syncDirectory_ = false; }

private:
    void Abandon();

    std::string target_;
    std::string temporary_;
    int descriptor_ = -1;
    bool failed_ = false;
    bool syncDirectory_ = true;
};

}  // namespace pernard
