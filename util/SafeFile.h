#pragma once
// Writing a file so that the previous version survives any failure: the bytes go to a
// temporary file beside the target, which replaces the target only once it is complete.

#include <cstdio>
#include <string>
#include <string_view>

namespace pernard {

class SafeFileWriter {
public:
    SafeFileWriter() = default;
    ~SafeFileWriter();  // abandons an uncommitted temporary file
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file beside `target`; false when it cannot be created.
    bool Open(const std::string& target);
    // Appends bytes; a failure is remembered and reported by Commit.
    void Write(std::string_view bytes);
    // Flushes, syncs and renames the temporary file over the target. False (and the target
    // untouched) when anything failed on the way.
    bool Commit();

private:
    void Abandon();

    std::string target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

}  // namespace pernard
