#include "util/SafeFile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pernard {

namespace fs = std::filesystem;

SafeFileWriter::~SafeFileWriter() { Abandon(); }

bool SafeFileWriter::Open(const std::string& target) {
    Abandon();
    target_ = target;
    failed_ = false;
    // Saving through a symbolic link replaces the file it points to, not the link.
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        const fs::path real = fs::weakly_canonical(target, error);
        if (!error) target_ = real.string();
    }
    // Only a regular file is ever replaced: never a directory, a device or anything else.
    const fs::file_status status = fs::status(target_, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) return false;
#ifdef _WIN32
    temporary_ = target_ + ".pernard-tmp";
    file_ = std::fopen(temporary_.c_str(), "wb");
#else
    std::string pattern = target_ + ".XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) return false;
    temporary_ = pattern;
    file_ = fdopen(descriptor, "wb");
    if (file_ == nullptr) {
        close(descriptor);
        std::remove(temporary_.c_str());
    }
#endif
    if (file_ == nullptr) {
        temporary_.clear();
        return false;
    }
    return true;
}

void SafeFileWriter::Write(std::string_view bytes) {
    if (file_ == nullptr || failed_ || bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
}

bool SafeFileWriter::Commit() {
    if (file_ == nullptr) return false;
    bool ok = !failed_ && std::fflush(file_) == 0;
#ifndef _WIN32
    ok = ok && fsync(fileno(file_)) == 0;
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat existing {};
    const mode_t mode = stat(target_.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                              : static_cast<mode_t>(0644);
    ok = ok && fchmod(fileno(file_), mode) == 0;
#endif
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok) {
        std::error_code error;
        fs::rename(temporary_, target_, error);
        ok = !error;
#ifndef _WIN32
        // Make the rename itself durable: sync the directory that holds the file.
        if (ok) {
            const std::string directory = fs::path(target_).parent_path().string();
            const int handle =
                open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
            if (handle >= 0) {
                fsync(handle);
                close(handle);
            }
        }
#endif
    }
    if (!ok) std::remove(temporary_.c_str());
    temporary_.clear();
    return ok;
}

void SafeFileWriter::Abandon() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace pernard
