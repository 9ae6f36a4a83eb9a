#pragma once
// A directory for what other users of the machine must not read (a copy of a user's browsing
// history): made new below the user's temporary directory, at a name no one can guess, that
// only its owner can enter, and removed with everything in it when its owner goes.

#include <filesystem>
#include <string_view>

namespace pernard {

class PrivateDirectory {
public:
    // Makes the directory, named `prefix` and random characters. Path() is empty when it could
    // not be made.
    explicit PrivateDirectory(std::string_view prefix);
    ~PrivateDirectory();
    PrivateDirectory(const PrivateDirectory&) = delete;
    PrivateDirectory& operator=(const PrivateDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Leaves a file readable and writable by its owner only.
void MakeOwnerOnly(const std::filesystem::path& file);

}  // namespace pernard
