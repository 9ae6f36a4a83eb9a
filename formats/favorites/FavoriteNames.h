#pragma once
// The file names a Favorites save gives folders and shortcuts: names Windows can hold, never a
// path out of the target directory, and names that collide without regard to letter case made
// free as Windows needs.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

namespace pernard {

// The longest file name, in bytes, that file systems take (Linux and Windows alike: 255).
inline constexpr std::size_t kLongestFileName = 255;

// The file name (UTF-8) for an entry named `name`: the characters a Windows file name cannot
// hold (\ / : * ? " < > | and control characters) become their full-width forms (control
// characters their pictures, U+2400 + code), a reserved device name (CON, NUL, COM1, ...) before
// its first "." becomes full-width, and for a folder (`directory`) a leading dot (which would
// hide it from the next read) and the trailing dots and blanks that Windows would drop become
// "．" and "　". Empty for an empty name. Never a path: it holds
// no separator, and a folder's is never "." or "..".
std::string PortableFileName(std::string_view name, bool directory);

// Whether `name` holds a path separator or a NUL: it would name something else than a file of
// the directory it is joined to.
bool HoldsSeparator(std::string_view name);
// Whether `name` names something inside a directory as it stands: not empty, "." or "..", no
// separator or NUL.
bool IsPlainFileName(std::string_view name);

// The names given so far in one directory, compared without regard to letter case as Windows
// does: a later entry whose name is taken gets "name (2)", "name (3)", ... A name whose file
// the load read in this very directory keeps its own name, though: two such files differing
// only in case already live side by side, and renaming one on every save would never end.
class NamesInDirectory {
public:
    // The name to use for `name` (a file name without `suffix`, such as ".url", or a directory
    // name with an empty suffix). A name too long for the file system is shortened. `readHere`
    // tells whether the load read a file of exactly that name and suffix in this directory.
    std::string Claim(const std::string& name, const std::string& suffix, bool readHere = false);
    // Whether `fileName` (name and suffix, as given) was given out.
    bool Given(const std::string& fileName) const { return exact_.count(fileName) > 0; }

private:
    std::unordered_set<std::string> used_;   // as Windows compares them (FileNameCaseKey)
    std::unordered_set<std::string> exact_;  // as given
};

}  // namespace pernard
