#pragma once
// A C file handle that closes itself.

#include <cstdio>
#include <memory>
#include <string>

namespace pernard {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// The file opened for reading bytes; empty when it cannot be opened.
inline OpenFile OpenForReading(const std::string& path) {
    return OpenFile(std::fopen(path.c_str(), "rb"));
}

}  // namespace pernard
