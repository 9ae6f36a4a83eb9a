#pragma once
// Whether a text is a JSON object that the JSON parser the program reads stores with would take
// whole, checked without building its document: only the parser's index of the text is held,
// about half the text's size, and nothing of it remains after the check.

#include <cstddef>

namespace pernard {

// True when `data` (`length` bytes, followed by zeros up to `capacity`, which must leave
// simdjson's padding after the text) is a JSON object: well formed, UTF-8, every escape, number
// and literal valid, no deeper than the parser goes, nothing after it.
bool IsWholeJsonObject(const char* data, std::size_t length, std::size_t capacity);

}  // namespace pernard
