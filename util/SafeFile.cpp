#include "util/SafeFile.h"

#include "util/FileCalls.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
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
    temporary_ = (fs::path(target_).parent_path() / ".pernard-tmp").string();
    descriptor_ = _open(temporary_.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
#else
    // A short name beside the target: target + suffix could pass the 255-byte name limit.
    const fs::path directory = fs::path(target_).parent_path();
    std::string pattern = (directory / ".pernard-XXXXXX").string();
    descriptor_ = mkstemp(pattern.data());
    if (descriptor_ >= 0) temporary_ = pattern;
#endif
    if (descriptor_ < 0) {
        temporary_.clear();
        return false;
    }
    return true;
}

void SafeFileWriter::Write(std::string_view bytes) {
    if (descriptor_ < 0 || failed_) return;
    while (!bytes.empty()) {
        const ssize_t written = SaveFileCalls().write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            failed_ = true;
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool SyncDirectory(const std::string& directory) {
#ifdef _WIN32
    (void)directory;
    return true;
#else
    const int handle = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (handle < 0) return false;
    const bool synced = SaveFileCalls().fsync(handle) == 0;
    return SaveFileCalls().close(handle) == 0 && synced;
#endif
}

bool SafeFileWriter::Commit() {
    if (descriptor_ < 0) return false;
    const FileCalls& calls = SaveFileCalls();
    bool ok = !failed_ && calls.fsync(descriptor_) == 0;
#ifndef _WIN32
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat existing {};
    const mode_t mode = stat(target_.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                              : static_cast<mode_t>(0644);
    ok = ok && fchmod(descriptor_, mode) == 0;
#endif
    ok = calls.close(descriptor_) == 0 && ok;
    descriptor_ = -1;
    ok = ok && calls.rename(temporary_.c_str(), target_.c_str()) == 0;
    // The rename itself must reach the disk before the save counts as done.
    if (syncDirectory_) ok = ok && SyncDirectory(fs::path(target_).parent_path().string());
    if (!ok) std::remove(temporary_.c_str());
    temporary_.clear();
    return ok;
}

void SafeFileWriter::Abandon() {
    if (descriptor_ >= 0) {
        SaveFileCalls().close(descriptor_);
        descriptor_ = -1;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace pernard
