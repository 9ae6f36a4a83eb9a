#pragma once
// Temporary files and directories for tests, and a one-line-per-entry dump of the table.

#include <filesystem>
#include <string>

#include "model/BmLogic.h"

namespace pernard::testing {

// A fresh directory below the system's temporary directory, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    // Writes `bytes` to a file below the directory and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);

// Sets an environment variable (unsets it, given nullptr) for the object's life, then puts back
// what it was.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    bool wasSet_ = false;
    std::string was_;
};

// One line per entry: "index parent kind name url", kind being R (root), F (folder) or U.
std::string DumpTable(const BmLogic& model);

// The folder of the shared corpus, or an empty path when it is not there.
std::filesystem::path CorpusDir();

// The bytes of a shortcut file holding `url`, as the program writes them.
inline std::string ShortcutText(const std::string& url) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

// Converts UTF-8 test text into CP932 bytes.
std::string ToCp932(const std::string& utf8);

}  // namespace pernard::testing
