#include "util/FileStamp.h"

#include <chrono>
#include <filesystem>
#include <system_error>

namespace pernard {

namespace fs = std::filesystem;

namespace {

// The absolute, normal form of a path, with links on the existing part resolved.
fs::path Canonical(const fs::path& path) {
    std::error_code error;
    fs::path canonical = fs::weakly_canonical(path, error);
    if (error) canonical = fs::absolute(path, error).lexically_normal();
    return canonical;
}

// A directory named with a separator at its end as the directory itself ("Favorites/" is
// "Favorites"; a root keeps its own): Windows' C runtime finds no directory by the longer name.
fs::path WithoutEndSeparator(const std::string& path) {
    const fs::path named(path);
    return named.has_relative_path() && !named.has_filename() ? named.parent_path() : named;
}

}  // namespace

FileStamp StampOf(const std::string& path) {
    FileStamp stamp;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) return stamp;
    stamp.exists = true;
    if (fs::is_regular_file(status)) {
        const std::uintmax_t size = fs::file_size(path, error);
        if (!error) stamp.size = size;
    }
    const fs::file_time_type time = fs::last_write_time(path, error);
    if (!error) {
        stamp.modified =
            std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
    }
    return stamp;
}

bool SamePath(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    const fs::path first = WithoutEndSeparator(a);
    const fs::path second = WithoutEndSeparator(b);
    std::error_code error;
    if (fs::exists(first, error) && fs::exists(second, error)) {
        const bool same = fs::equivalent(first, second, error);
        if (!error) return same;
    }
    return Canonical(first) == Canonical(second);
}

bool IsInside(const std::string& path, const std::string& directory) {
    if (path.empty() || directory.empty()) return false;
    const fs::path inner = Canonical(path);
    const fs::path outer = Canonical(directory);
    auto walk = inner.begin();
    for (auto part = outer.begin(); part != outer.end(); ++part, ++walk) {
        // A trailing separator leaves an empty last part.
        if (part->empty() && std::next(part) == outer.end()) break;
        if (walk == inner.end() || *walk != *part) return false;
    }
    return walk != inner.end() && !walk->empty();
}

}  // namespace pernard
