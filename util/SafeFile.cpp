#include "util/SafeFile.h"

#include "util/FileCalls.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "util/WidePath.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pernard {

namespace fs = std::filesystem;

namespace {

// Removes a file this code made (or a link it replaces), outside the save's own calls.
bool RemoveQuietly(const std::string& path) {
#ifdef _WIN32
    return DeleteFileW(WidePath(path).c_str()) != 0;
#else
    return std::remove(path.c_str()) == 0;
#endif
}

}  // namespace

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
    // Only a regular file is ever replaced: never a directory, a device or anything else; and
    // never one its owner made read-only (as on Windows, where the replace refuses it).
    const fs::file_status status = fs::status(target_, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) return false;
    if (fs::exists(status) && (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        return false;
    }
#ifdef _WIN32
    // A short name beside the target that no other file holds: made only if it is not there.
    const std::string directory = fs::path(target_).parent_path().string();
    const std::string stem = ".pernard-" + std::to_string(GetCurrentProcessId()) + "-";
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100 && descriptor_ < 0; ++attempt) {
        const std::string name = stem + std::to_string(++serial);
        const std::string candidate = directory.empty() ? name : directory + "\\" + name;
        descriptor_ = _wopen(WidePath(candidate).c_str(),
                             _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (descriptor_ >= 0) temporary_ = candidate;
        if (descriptor_ < 0 && errno != EEXIST) break;
    }
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
    ok = ok && TakeTargetMode();
    ok = calls.close(descriptor_) == 0 && ok;
    descriptor_ = -1;
    ok = ok && calls.rename(temporary_.c_str(), target_.c_str()) == 0;
    // The rename itself must reach the disk before the save counts as done.
    ok = ok && SyncDirectory(fs::path(target_).parent_path().string());
    if (!ok) RemoveQuietly(temporary_);
    temporary_.clear();
    return ok;
}

bool SafeFileWriter::TakeTargetMode() {
#ifndef _WIN32
    // Keep the permissions of the file being replaced (or copied); a new file gets the usual
    // ones.
    const std::string& source = modeSource_.empty() ? target_ : modeSource_;
    struct stat existing {};
    const bool exists = stat(source.c_str(), &existing) == 0;
    // And its owner, where this process may give it (an administrator saving a user's file):
    // else the user could no longer write, or even read, what was theirs.
    if (exists && (existing.st_uid != geteuid() || existing.st_gid != getegid()) &&
        fchown(descriptor_, existing.st_uid, existing.st_gid) != 0) {
        (void)fchown(descriptor_, static_cast<uid_t>(-1), existing.st_gid);
    }
    const mode_t mode = exists ? (existing.st_mode & 07777) : static_cast<mode_t>(0644);
    return fchmod(descriptor_, mode) == 0;
#else
    return true;
#endif
}

std::string SafeFileWriter::Finish() {
    if (descriptor_ < 0) return {};
    if (!TakeTargetMode()) failed_ = true;
    const bool closed = SaveFileCalls().close(descriptor_) == 0;
    descriptor_ = -1;
    std::string finished;
    if (closed && !failed_) {
        finished.swap(temporary_);
    } else {
        Abandon();
    }
    return finished;
}

SafeFileBatch::~SafeFileBatch() {
    // An uncommitted batch leaves nothing: neither temporary files nor new files.
    for (const Pending& file : pending_) {
        RemoveQuietly(file.temporary.empty() ? file.target : file.temporary);
    }
}

namespace {

// Creates `target`, which must not exist yet, and writes `bytes` into it; false (and nothing
// left behind) when it exists or cannot be written.
bool WriteNewFile(const std::string& target, std::string_view bytes) {
    // O_EXCL never opens what is already there, a link included.
#ifdef _WIN32
    const int created = _wopen(WidePath(target).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                               _S_IREAD | _S_IWRITE);
#else
    const int created = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
#endif
    if (created < 0) return false;
    bool ok = true;
    for (std::string_view rest = bytes; ok && !rest.empty();) {
        const ssize_t written = SaveFileCalls().write(created, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) continue;
        ok = written > 0;
        if (ok) rest.remove_prefix(static_cast<std::size_t>(written));
    }
    ok = SaveFileCalls().close(created) == 0 && ok;
    if (!ok) {
        RemoveQuietly(target);
        errno = EIO;
    }
    return ok;
}

}  // namespace

bool SafeFileBatch::Add(const std::string& target, std::string_view bytes) {
    // A file that does not exist yet has no old version to protect: it is written in place and
    // counts once the batch is synced. Only when something is already there is it looked at.
    if (WriteNewFile(target, bytes)) {
        pending_.push_back(Pending{std::string(), target});
        return true;
    }
    if (errno != EEXIST) return false;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        // A link is replaced, never written through.
        if (!RemoveQuietly(target) || !WriteNewFile(target, bytes)) return false;
        pending_.push_back(Pending{std::string(), target});
        return true;
    }
    SafeFileWriter file;
    if (!file.Open(target)) return false;
    file.Write(bytes);
    const std::string temporary = file.Finish();
    if (temporary.empty()) return false;
    pending_.push_back(Pending{temporary, target});
    return true;
}

std::vector<std::string> SafeFileBatch::Commit() {
    std::vector<std::string> failed;
    if (pending_.empty()) return failed;
    const FileCalls& calls = SaveFileCalls();
    // One sync for every file written: the file system's, through the directory of one of them.
    const std::string first = fs::path(pending_.front().target).parent_path().string();
    bool synced = false;
#ifndef _WIN32
    const int handle = open(first.empty() ? "." : first.c_str(), O_RDONLY | O_DIRECTORY);
    if (handle >= 0) {
        synced = calls.syncFileSystem(handle) == 0;
        synced = calls.close(handle) == 0 && synced;
    }
#else
    synced = true;
#endif
    std::vector<std::string> directories;
    for (const Pending& file : pending_) {
        const bool inPlace = file.temporary.empty();
        if (!synced ||
            (!inPlace && calls.rename(file.temporary.c_str(), file.target.c_str()) != 0)) {
            // A file written in place is new: without the sync it does not count, and goes.
            RemoveQuietly(inPlace ? file.target : file.temporary);
            failed.push_back(file.target);
            continue;
        }
        const std::string directory = fs::path(file.target).parent_path().string();
        if (directories.empty() || directories.back() != directory)
            directories.push_back(directory);
    }
    pending_.clear();
    std::sort(directories.begin(), directories.end());
    directories.erase(std::unique(directories.begin(), directories.end()), directories.end());
    for (const std::string& directory : directories) {
        if (!SyncDirectory(directory)) failed.push_back(directory);
    }
    return failed;
}

void SafeFileWriter::Abandon() {
    if (descriptor_ >= 0) {
        SaveFileCalls().close(descriptor_);
        descriptor_ = -1;
    }
    if (!temporary_.empty()) {
        RemoveQuietly(temporary_);
        temporary_.clear();
    }
}

}  // namespace pernard
