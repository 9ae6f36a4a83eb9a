#include "util/FileLock.h"

#ifdef _WIN32
#include <windows.h>

#include "util/WidePath.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace pernard {

#ifdef _WIN32

FileLock::~FileLock() {
    if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
}

bool FileLock::TryLock(const std::string& path) {
    if (Held()) return false;
    // No sharing: a second open of the file fails while this one is open.
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = file;
    return true;
}

bool FileLock::Held() const { return handle_ != nullptr; }

#else

FileLock::~FileLock() {
    if (descriptor_ >= 0) close(descriptor_);
}

bool FileLock::TryLock(const std::string& path) {
    if (Held()) return false;
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) return false;
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        close(descriptor);
        return false;
    }
    descriptor_ = descriptor;
    return true;
}

bool FileLock::Held() const { return descriptor_ >= 0; }

#endif

}  // namespace pernard
