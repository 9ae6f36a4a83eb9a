#pragma once
// A lock on a file that one process at a time holds, released when its holder ends, however it
// ends (the system drops the lock with the process): what keeps two runs of one job apart.

#include <string>

namespace pernard {

class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Creates `path` when missing and takes its lock without waiting; false when another process
    // (or another FileLock) holds it, or the file cannot be made.
    bool TryLock(const std::string& path);
    bool Held() const;

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int descriptor_ = -1;
#endif
};

}  // namespace pernard
