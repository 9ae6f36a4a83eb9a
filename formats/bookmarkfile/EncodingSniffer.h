#pragma once
// Finds out which encoding a bookmark file is written in.

#include <cstddef>
#include <string>
#include <string_view>

namespace pernard {

struct SniffedEncoding {
    std::string charset;        // the converter's name: "UTF-8", "CP932", "EUC-JP", ...
    std::size_t bomLength = 0;  // bytes of a byte order mark to skip
};

// Decides from `head`, the first block of the file (`wholeFile` when it is all of it), in this
// order: a UTF-8 byte order mark means UTF-8, a UTF-16 one UTF-16 in its byte order (kUtf16Le,
// kUtf16Be: the line reader then decodes it, see LineReader::DecodeUtf16); a charset declared in a META line before the first
// <DL> is taken when the converter knows it; then `fallback` (a charset label) when it is given
// and known; else a head that holds a multi-byte sequence is UTF-8 when it is valid UTF-8 (a
// sequence the block cuts off at its end counts as valid) and CP932 when not. A head of ASCII
// alone leaves the charset empty when more follows: the reader decides with CharsetOfFirstText
// where the first other bytes come, and an all-ASCII file is CP932.
SniffedEncoding SniffEncoding(std::string_view head, bool wholeFile,
                              const std::string& fallback = {});

// The charset of an undeclared file whose first bytes beyond ASCII are on `line`, with
// `following` the bytes read after it: UTF-8 when both are valid UTF-8 (a sequence cut off at the
// end of `following` counts as valid), else CP932.
std::string CharsetOfFirstText(std::string_view line, std::string_view following);

// The charset named by "charset=" in a line holding a META tag, or an empty text.
std::string DeclaredCharset(const std::string& line);

}  // namespace pernard
