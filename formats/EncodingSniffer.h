#pragma once
// Finds out which encoding a bookmark file is written in.

#include <cstddef>
#include <string>

namespace pernard {

struct SniffedEncoding {
    std::string charset;        // the converter's name: "UTF-8", "CP932", "EUC-JP", ...
    std::size_t bomLength = 0;  // bytes of a byte order mark to skip
};

// In this order: a UTF-8 byte order mark means UTF-8; a charset declared in a META line before
// the first <DL> is taken when the converter knows it; then `fallback` (a charset label) when
// it is given and known; else a file that is valid UTF-8 and holds at least one multi-byte
// sequence is UTF-8, and anything else is CP932.
SniffedEncoding SniffEncoding(const std::string& path, const std::string& fallback = {});

// The charset named by "charset=" in a line holding a META tag, or an empty text.
std::string DeclaredCharset(const std::string& line);

}  // namespace pernard
