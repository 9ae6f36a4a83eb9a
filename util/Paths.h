#pragma once
// Path and URL helpers. Paths use the platform's separator ("\" on Windows, "/" elsewhere).

#include <string>
#include <string_view>

namespace pernard {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// "file:///" URL of a local path. A Windows path has its "\" turned into "/" and its ":" into
// "|" (C:\Data\list.htm gives file:///C|/Data/list.htm); an absolute POSIX path is put behind
// "file://" so that its own leading "/" makes the third slash. Nothing is percent-encoded.
std::string PathToFileUrl(std::string_view path, char separator = kPathSeparator);

// The path without its last component: a/b/c gives a/b, a/ gives a, abc stays abc. Leading
// separators are kept (an absolute path stays absolute, a network path keeps its "\\").
std::string ParentPath(std::string_view path, char separator = kPathSeparator);

// The last component of a path (the text after the last separator).
std::string FileNamePart(std::string_view path, char separator = kPathSeparator);

// Joins a directory and a name with the platform separator.
std::string JoinPath(std::string_view directory, std::string_view name,
                     char separator = kPathSeparator);

// The path with "." and ".." components and doubled separators taken out, for comparisons.
std::string NormalPath(const std::string& path);

// Removes a directory and everything below it. Symbolic links are removed, never followed.
// A failure does not stop the walk; the result is false when anything could not be removed,
// and then the directories on the way to it stay.
bool DeleteTree(const std::string& directory);

}  // namespace pernard
