#include "util/ProfileLock.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "util/Numbers.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32

// The running browser keeps `lockfile` open without sharing it for writing.
bool LockHeld(const fs::path& directory) {
    const fs::path lock = directory / "lockfile";
    std::error_code error;
    if (!fs::exists(lock, error)) return false;
    HANDLE handle = CreateFileW(lock.wstring().c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return false;
}

#else

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

// `SingletonLock` links to "host-pid". Held unless it names a process of this machine that no
// longer runs; a lock of another machine (a profile on a shared disk) is held.
bool LockHeld(const fs::path& directory) {
    const fs::path lock = directory / "SingletonLock";
    std::error_code error;
    const fs::file_status status = fs::symlink_status(lock, error);
    if (!fs::exists(status)) return false;
    if (!fs::is_symlink(status)) return true;
    const std::string target = fs::read_symlink(lock, error).string();
    if (error) return true;
    const std::size_t dash = target.rfind('-');
    long pid = 0;
    if (dash == std::string::npos || !ParseWholeNumber(target.substr(dash + 1), pid) || pid <= 0) {
        return true;
    }
    if (target.substr(0, dash) != HostName()) return true;
    return !(kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

#endif

}  // namespace

bool BrowserProfileInUse(const std::string& storePath) {
    // The profile the path lies in, and through a link the profile of the file it names: a
    // browser may hold either.
    std::error_code error;
    const fs::path given = fs::absolute(storePath, error);
    const fs::path real = fs::weakly_canonical(storePath, error);
    for (const fs::path& store : {given, error ? given : real}) {
        const fs::path profile = store.parent_path();
        if (LockHeld(profile) || LockHeld(profile.parent_path())) return true;
    }
    return false;
}

}  // namespace pernard
