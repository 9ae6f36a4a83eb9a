#include "util/UserFolders.h"

#ifdef _WIN32
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "util/Paths.h"
#include "util/WidePath.h"
#else
#include <cstdlib>
#endif

namespace pernard {

#ifdef _WIN32

std::string EnvironmentVariable(const char* name) {
    const std::wstring wideName = WideFromUtf8(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    if (length == 0 || length >= size) return {};
    value.resize(length);
    return Utf8FromWide(value);
}

std::string DefaultFavoritesDirectory() {
    PWSTR known = nullptr;
    std::string directory;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Favorites, KF_FLAG_DEFAULT, nullptr, &known)) &&
        known != nullptr) {
        directory = Utf8FromWide(known);
    }
    CoTaskMemFree(known);
    if (!directory.empty()) return directory;
    const std::string profile = EnvironmentVariable("USERPROFILE");
    return profile.empty() ? std::string() : JoinPath(profile, "Favorites");
}

#else

std::string EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string DefaultFavoritesDirectory() { return {}; }

#endif

std::string ProgramDataDirectory() {
#ifdef _WIN32
    const std::string local = EnvironmentVariable("LOCALAPPDATA");
    return local.empty() ? std::string() : local + "\\Pernard";
#else
    std::string data = EnvironmentVariable("XDG_DATA_HOME");
    if (data.empty() || data.front() != '/') {
        const std::string home = EnvironmentVariable("HOME");
        if (home.empty()) return {};
        data = home + "/.local/share";
    }
    return data + "/pernard";
#endif
}

}  // namespace pernard
