#ifdef _WIN32
#define _CRT_RAND_S  // rand_s, the system's cryptographic generator
#endif

#include "util/PrivateDirectory.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

namespace pernard {

namespace fs = std::filesystem;

PrivateDirectory::PrivateDirectory(std::string_view prefix) {
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) return;
#ifdef _WIN32
    // The temporary directory is the user's own (below the profile, which other users cannot
    // enter), and a new directory takes its permissions. The name holds 64 random bits.
    for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
        unsigned int high = 0;
        unsigned int low = 0;
        if (rand_s(&high) != 0 || rand_s(&low) != 0) return;
        char random[17];
        std::snprintf(random, sizeof random, "%08x%08x", high, low);
        const fs::path candidate = base / (std::string(prefix) + random);
        // False without an error when something is there already: another name is tried.
        if (fs::create_directory(candidate, error) && !error) path_ = candidate;
    }
#else
    // mkdtemp makes the directory with mode 0700 at a name of its own that no one else holds.
    const std::string pattern = (base / (std::string(prefix) + "XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) path_ = name.data();
#endif
}

PrivateDirectory::~PrivateDirectory() {
    std::error_code error;
    if (!path_.empty()) fs::remove_all(path_, error);
}

void MakeOwnerOnly(const fs::path& file) {
    std::error_code error;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace,
                    error);
}

}  // namespace pernard
