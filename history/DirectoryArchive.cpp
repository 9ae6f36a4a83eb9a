#include "history/DirectoryArchive.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <unordered_set>

#include "util/OpenFile.h"
#include "util/SafeFile.h"
#include "util/Text.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "pernard-directory 1\n";

bool IsShortcut(const fs::path& path) { return LowerAscii(path.extension().string()) == ".url"; }

std::optional<std::string> ReadWhole(const fs::path& path, std::uint64_t limit) {
    OpenFile file = OpenForReading(path.string());
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t read = std::fread(buffer, 1, sizeof buffer, file.get());
        if (std::ferror(file.get()) || bytes.size() + read > limit) return std::nullopt;
        if (read == 0) return bytes;
        bytes.append(buffer, read);
    }
}

void AppendEntry(std::string& packed, const std::string& path, const std::string* bytes) {
    packed += bytes == nullptr ? "D " : "F ";
    packed += std::to_string(path.size());
    if (bytes != nullptr) packed += " " + std::to_string(bytes->size());
    packed += '\n';
    packed += path;
    if (bytes != nullptr) packed += *bytes;
}

// A path an archive may name: relative, in parts that are neither empty, "." nor "..".
bool IsSafeRelative(std::string_view path) {
    if (path.empty() || path.front() == '/' || path.find('\0') != std::string_view::npos) {
        return false;
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
#ifdef _WIN32
        if (part.find_first_of("\\:") != std::string_view::npos) return false;
#endif
        start = end + 1;
    }
    return true;
}

// Reads a decimal number up to `stop`.
bool TakeNumber(std::string_view& text, char stop, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() + text.size() || *end != stop) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
    return true;
}

// Whether the way from `base` to `relative` (the directory itself and every folder on the way,
// and the place itself) passes a link: what is written there would land outside the directory.
bool PassesLink(const fs::path& base, const std::string& relative) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(base, error))) return true;
    fs::path walk = base;
    for (const fs::path& part : fs::path(relative)) {
        walk /= part;
        if (fs::is_symlink(fs::symlink_status(walk, error))) return true;
    }
    return false;
}

}  // namespace

std::optional<PackedDirectory> PackDirectory(const std::string& directory, std::uint64_t limit,
                                             std::string& error) {
    PackedDirectory result;
    result.packed = kHeader;
    std::vector<fs::path> paths;
    std::error_code failure;
    fs::recursive_directory_iterator walk(directory, failure);
    for (; !failure && walk != fs::recursive_directory_iterator(); walk.increment(failure)) {
        paths.push_back(walk->path());
    }
    if (failure) {
        error = "ディレクトリを読めません : " + directory;
        return std::nullopt;
    }
    // The same directory packs to the same bytes, whatever order the system lists it in.
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths) {
        const fs::file_status status = fs::symlink_status(path, failure);
        const std::string relative = path.lexically_relative(directory).generic_string();
        if (fs::is_directory(status)) {
            AppendEntry(result.packed, relative, nullptr);
            ++result.folders;
        } else if (fs::is_regular_file(status)) {
            std::optional<std::string> bytes = ReadWhole(path, limit - result.bytes);
            if (!bytes) {
                error = result.bytes >= limit ? "履歴の上限を超えます"
                                              : "ファイルを読めません : " + path.string();
                return std::nullopt;
            }
            result.bytes += bytes->size();
            if (IsShortcut(path)) ++result.shortcuts;
            AppendEntry(result.packed, relative, &*bytes);
        }
    }
    return result;
}

std::optional<std::vector<ArchivedEntry>> UnpackDirectory(std::string_view packed) {
    if (packed.substr(0, kHeader.size()) != kHeader) return std::nullopt;
    packed.remove_prefix(kHeader.size());
    std::vector<ArchivedEntry> entries;
    while (!packed.empty()) {
        if (packed.size() < 2 || (packed[0] != 'D' && packed[0] != 'F') || packed[1] != ' ') {
            return std::nullopt;
        }
        ArchivedEntry entry;
        entry.directory = packed[0] == 'D';
        packed.remove_prefix(2);
        std::uint64_t pathLength = 0;
        std::uint64_t size = 0;
        if (!TakeNumber(packed, entry.directory ? '\n' : ' ', pathLength)) return std::nullopt;
        if (!entry.directory && !TakeNumber(packed, '\n', size)) return std::nullopt;
        if (pathLength > packed.size() || size > packed.size() - pathLength) return std::nullopt;
        entry.path = std::string(packed.substr(0, pathLength));
        entry.bytes = std::string(packed.substr(pathLength, size));
        packed.remove_prefix(pathLength + size);
        if (!IsSafeRelative(entry.path)) return std::nullopt;
        entries.push_back(std::move(entry));
    }
    return entries;
}

DirectoryRestore RestoreDirectory(const std::string& directory,
                                  const std::vector<ArchivedEntry>& entries) {
    DirectoryRestore result;
    const fs::path base(directory);
    std::error_code error;
    fs::create_directories(base, error);
    std::unordered_set<std::string> held;
    SafeFileBatch batch;
    for (const ArchivedEntry& entry : entries) {
        held.insert(entry.path);
        const fs::path path = base / fs::path(entry.path);
        if (PassesLink(base, entry.path)) {
            result.failed.push_back(path.string());
        } else if (entry.directory) {
            fs::create_directories(path, error);
            if (!fs::is_directory(fs::symlink_status(path, error))) {
                result.failed.push_back(path.string());
            }
        } else if (!batch.Add(path.string(), entry.bytes)) {
            result.failed.push_back(path.string());
        }
    }
    for (const std::string& target : batch.Commit()) result.failed.push_back(target);
    // What the archive does not hold, deepest first, so that a folder is empty when its turn
    // comes; a link is removed as a link, never followed.
    std::vector<fs::path> present;
    fs::recursive_directory_iterator walk(base, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        present.push_back(walk->path());
    }
    std::sort(present.rbegin(), present.rend());
    for (const fs::path& path : present) {
        if (held.count(path.lexically_relative(base).generic_string()) > 0) continue;
        const fs::file_status status = fs::symlink_status(path, error);
        std::error_code removal;
        if (fs::is_regular_file(status) && IsShortcut(path)) {
            if (!fs::remove(path, removal)) result.failed.push_back(path.string());
        } else if (fs::is_directory(status) && fs::is_empty(path, removal)) {
            fs::remove(path, removal);
        }
    }
    result.ok = result.failed.empty();
    return result;
}

}  // namespace pernard
