#include "formats/StoreBackup.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "util/SafeFile.h"

namespace pernard {

std::string BackupPath(const std::string& target) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = target + ".pernard-backup-" + stamp;
    std::string path = base;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(path, error); ++n)
        path = base + "-" + std::to_string(n);
    return path;
}

bool CopyToBackup(const std::string& target, const std::string& backup) {
    std::ifstream in(std::filesystem::path(target), std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    SafeFileWriter file;
    // The copy is as private as the file: a browser keeps its bookmarks to its user.
    file.TakeModeOf(target);
    if (!file.Open(backup)) return false;
    file.Write(bytes);
    return file.Commit();
}

}  // namespace pernard
