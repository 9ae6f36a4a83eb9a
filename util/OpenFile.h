#pragma once
// A C file handle that closes itself.

#include <cstdio>
#include <memory>
#include <string>

#ifdef _WIN32
#include "util/WidePath.h"
#endif

namespace pernard {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// The file opened for reading bytes; empty when it cannot be opened. On Windows through the
// wide-character call, which reaches any name and (with "\\?\") any length.
inline OpenFile OpenForReading(const std::string& path) {
#ifdef _WIN32
    return OpenFile(_wfopen(WidePath(path).c_str(), L"rb"));
#else
    return OpenFile(std::fopen(path.c_str(), "rb"));
#endif
}

}  // namespace pernard
