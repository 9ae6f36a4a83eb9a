#pragma once
// Windows only: the UTF-8 paths of the program as the UTF-16 the system's wide-character calls
// take, and back.

#ifdef _WIN32

#include <string>
#include <string_view>

namespace pernard {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// A path for the wide-character file calls: "/" turned into "\", and an absolute path longer
// than the old 260-character limit given the "\\?\" prefix that lifts it.
std::wstring WidePath(std::string_view utf8);

}  // namespace pernard

#endif
