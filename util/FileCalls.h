#pragma once
// The system calls every save goes through, in one replaceable table, so that tests can make
// the n-th write, sync, rename, close or removal fail and check that nothing is lost.

#include <sys/types.h>
#include <cstddef>

namespace pernard {

struct FileCalls {
    ssize_t (*write)(int descriptor, const void* bytes, std::size_t count);
    int (*fsync)(int descriptor);
    int (*rename)(const char* from, const char* to);
    int (*close)(int descriptor);
    // Puts everything written to the file system that holds `descriptor` on the disk at once.
    int (*syncFileSystem)(int descriptor);
    // Removes a file (a link itself, never what it points to), and an empty directory.
    int (*removeFile)(const char* path);
    int (*removeDirectory)(const char* path);
};

// The table in use; the real calls unless a test replaced them.
FileCalls& SaveFileCalls();
// The real calls.
FileCalls RealFileCalls();

}  // namespace pernard
