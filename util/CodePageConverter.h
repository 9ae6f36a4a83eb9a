#pragma once
// The converter under util/CodePage: one charset into another, one side always UTF-8, in the
// shape of iconv. One back end per platform: the C library's iconv (CodePageIconv.cpp) and
// Windows' own code pages (CodePageWindows.cpp). Both stop at the same places, so that the
// kept-byte rules above them hold alike.

#include <cstddef>

namespace pernard {

// A converter from `from` to `to` (names as iconv spells them: "CP932", "EUC-JP", "UTF-8",
// ...), or nullptr when either is unknown.
void* OpenConverter(const char* to, const char* from);
void CloseConverter(void* handle);

// As iconv(3): converts from *in into *out, advancing both, and returns (size_t)-1 with errno
// EILSEQ (a character that does not convert; *in is left on it), EINVAL (the input ends
// inside a character) or E2BIG (no room left). A null `in` resets the converter.
std::size_t RunConverter(void* handle, char** in, std::size_t* inLeft, char** out,
                         std::size_t* outLeft);

}  // namespace pernard
