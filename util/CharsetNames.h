#pragma once
// The names of the charsets the program converts between, as iconv spells them.

namespace pernard {

// Name of the code page Windows uses for Japanese (Shift_JIS with its Windows extensions).
inline constexpr const char* kCp932 = "CP932";
inline constexpr const char* kUtf8 = "UTF-8";

}  // namespace pernard
