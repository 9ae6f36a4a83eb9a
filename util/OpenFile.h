#pragma once
// A C file handle that closes itself.

#include <cstdio>
#include <memory>
#include <string>

#ifdef _WIN32
#include <filesystem>
#include <system_error>

#include "util/WidePath.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pernard {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// The regular file opened for reading bytes; empty when it cannot be opened or is no regular
// file. A FIFO, a device or a socket is never read: opening a FIFO waits for a writer, reading a
// device may never end. On POSIX the file is opened without waiting and looked at through the
// handle itself, so nothing put in its place meanwhile is read. On Windows through the
// wide-character call, which reaches any name and (with "\\?\") any length.
inline OpenFile OpenForReading(const std::string& path) {
#ifdef _WIN32
    std::error_code error;
    if (!std::filesystem::is_regular_file(WidePath(path), error)) return {};
    return OpenFile(_wfopen(WidePath(path).c_str(), L"rb"));
#else
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return {};
    struct stat status {};
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(descriptor);
        return {};
    }
    std::FILE* file = ::fdopen(descriptor, "rb");
    if (file == nullptr) ::close(descriptor);
    return OpenFile(file);
#endif
}

}  // namespace pernard
