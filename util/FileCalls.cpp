#include "util/FileCalls.h"

#include <algorithm>
#include <cstdio>

#if defined(__linux__)
#include <unistd.h>
#endif

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "util/WidePath.h"
#else
#include <unistd.h>
#endif

namespace pernard {

namespace {

#ifdef _WIN32
// The wide-character calls, which take any name and (with "\\?\") any length; a failure
// sets errno as the C library's calls would.
int Failed() {
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            errno = ENOENT;
            break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            errno = EBUSY;
            break;
        case ERROR_DIR_NOT_EMPTY:
            errno = ENOTEMPTY;
            break;
        default:
            errno = EACCES;
    }
    return -1;
}
ssize_t WriteCall(int descriptor, const void* bytes, std::size_t count) {
    constexpr std::size_t kLargestWrite = 1u << 30;
    return _write(descriptor, bytes, static_cast<unsigned>(std::min(count, kLargestWrite)));
}
int SyncCall(int descriptor) { return _commit(descriptor); }
int CloseCall(int descriptor) { return _close(descriptor); }
int RemoveFileCall(const char* path) { return DeleteFileW(WidePath(path).c_str()) ? 0 : Failed(); }
int RemoveDirectoryCall(const char* path) {
    return RemoveDirectoryW(WidePath(path).c_str()) ? 0 : Failed();
}
// Replaces the target in one step, also an existing one, and returns only once the move is on
// the disk. A read-only target, or one another program holds open without letting it be
// deleted, is refused (and stays as it was). Windows itself refuses to replace a read-only
// file; the attribute is checked first so that every system that runs this (Wine too) does.
int RenameCall(const char* from, const char* to) {
    const std::wstring target = WidePath(to);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        errno = EACCES;
        return -1;
    }
    return MoveFileExW(WidePath(from).c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : Failed();
}
#else
ssize_t WriteCall(int descriptor, const void* bytes, std::size_t count) {
    return ::write(descriptor, bytes, count);
}
int SyncCall(int descriptor) { return ::fsync(descriptor); }
int CloseCall(int descriptor) { return ::close(descriptor); }
int RemoveFileCall(const char* path) { return ::unlink(path); }
int RemoveDirectoryCall(const char* path) { return ::rmdir(path); }
int RenameCall(const char* from, const char* to) { return std::rename(from, to); }
#endif
#if defined(__linux__)
int SyncFileSystemCall(int descriptor) { return ::syncfs(descriptor); }
#elif defined(_WIN32)
int SyncFileSystemCall(int) { return 0; }  // each file is committed by _commit instead
#else
int SyncFileSystemCall(int) {
    ::sync();
    return 0;
}
#endif

}  // namespace

FileCalls RealFileCalls() {
    return FileCalls{.write = &WriteCall,
                     .fsync = &SyncCall,
                     .rename = &RenameCall,
                     .close = &CloseCall,
                     .syncFileSystem = &SyncFileSystemCall,
                     .removeFile = &RemoveFileCall,
                     .removeDirectory = &RemoveDirectoryCall};
}

FileCalls& SaveFileCalls() {
    static FileCalls calls = RealFileCalls();
    return calls;
}

}  // namespace pernard
