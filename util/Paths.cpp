#include "util/Paths.h"

#include <filesystem>
#include <system_error>

#include "util/Text.h"

namespace pernard {

namespace fs = std::filesystem;

std::string PathToFileUrl(std::string_view path, char separator) {
    std::string url(path);
    if (separator == '\\') {
        ReplaceChar("\\", "/", url);
        ReplaceChar(":", "|", url);
        return "file:///" + url;
    }
    if (!url.empty() && url[0] == '/') return "file://" + url;
    return "file:///" + url;
}

namespace {

// Windows takes "/" as a separator as well as the backslash; elsewhere only the separator does.
bool IsSeparator(char c, char separator) {
    return c == separator || (separator == '\\' && c == '/');
}

std::size_t LastSeparator(std::string_view path, char separator) {
    return separator == '\\' ? path.find_last_of("\\/") : path.rfind(separator);
}

}  // namespace

std::string ParentPath(std::string_view path, char separator) {
    std::size_t leading = 0;
    while (leading < path.size() && IsSeparator(path[leading], separator)) ++leading;
    std::string_view body = path.substr(leading);
    while (!body.empty() && IsSeparator(body.back(), separator)) body.remove_suffix(1);
    const std::size_t last = LastSeparator(body, separator);
    if (last == std::string_view::npos) {
        // Nothing above the only component: the path is returned whole, as written.
        return std::string(path.substr(0, leading + body.size()));
    }
    return std::string(path.substr(0, leading)) + std::string(body.substr(0, last));
}

std::string FileNamePart(std::string_view path, char separator) {
    const std::size_t last = LastSeparator(path, separator);
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string NormalPath(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

std::string JoinPath(std::string_view directory, std::string_view name, char separator) {
    std::string joined(directory);
    if (joined.empty() || !IsSeparator(joined.back(), separator)) joined += separator;
    joined += name;
    return joined;
}

namespace {

bool DeleteTreeAt(const fs::path& directory) {
    std::error_code error;
    fs::directory_iterator it(directory, error);
    if (error) return false;
    bool allRemoved = true;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) {
            allRemoved = false;
            break;
        }
        const fs::path entry = it->path();
        const fs::file_status status = fs::symlink_status(entry, error);
        if (!error && fs::is_directory(status)) {
            if (!DeleteTreeAt(entry)) allRemoved = false;
        } else if (!fs::remove(entry, error) || error) {
            allRemoved = false;
        }
    }
    if (!allRemoved) return false;
    return fs::remove(directory, error) && !error;
}

}  // namespace

bool DeleteTree(const std::string& directory) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(fs::path(directory), error);
    if (error || !fs::is_directory(status)) return false;
    return DeleteTreeAt(fs::path(directory));
}

}  // namespace pernard
