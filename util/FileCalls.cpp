#include "util/FileCalls.h"

#include <cstdio>

#ifdef _WIN32
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
#else
ssize_t WriteCall(int descriptor, const void* bytes, std::size_t count) {
    return ::write(descriptor, bytes, count);
}
int SyncCall(int descriptor) { return ::fsync(descriptor); }
int CloseCall(int descriptor) { return ::close(descriptor); }
#endif
int RenameCall(const char* from, const char* to) { return std::rename(from, to); }

}  // namespace

FileCalls RealFileCalls() { return FileCalls{&WriteCall, &SyncCall, &RenameCall, &CloseCall}; }

FileCalls& SaveFileCalls() {
    static FileCalls calls = RealFileCalls();
    return calls;
}

}  // namespace pernard
