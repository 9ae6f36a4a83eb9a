#include "util/FileCalls.h"

#include <cstdio>

#if defined(__linux__)
#include <unistd.h>
#endif

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace pernard {

namespace {

#ifdef _WIN32
ssize_t WriteCall(int descriptor, const void* bytes, std::size_t count) {
    return _write(descriptor, bytes, static_cast<unsigned>(count));
}
int SyncCall(int descriptor) { return _commit(descriptor); }
int CloseCall(int descriptor) { return _close(descriptor); }
int RemoveFileCall(const char* path) { return _unlink(path); }
int RemoveDirectoryCall(const char* path) { return _rmdir(path); }
#else
ssize_t WriteCall(int descriptor, const void* bytes, std::size_t count) {
    return ::write(descriptor, bytes, count);
}
int SyncCall(int descriptor) { return ::fsync(descriptor); }
int CloseCall(int descriptor) { return ::close(descriptor); }
int RemoveFileCall(const char* path) { return ::unlink(path); }
int RemoveDirectoryCall(const char* path) { return ::rmdir(path); }
#endif
int RenameCall(const char* from, const char* to) { return std::rename(from, to); }
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
