#pragma once
// A URL as a browser's URL parser writes it back (the WHATWG URL standard's serialisation, as
// `new URL(u).href` gives it): scheme and host lower-cased, a default port dropped, an empty path
// of a special scheme written "/", an international host in punycode, characters outside ASCII
// and those the standard's encode sets name percent-encoded, "." and ".." segments resolved. Two
// URLs with the same normalised text are the same URL to the browsers' sync extension.

#include <string>
#include <string_view>

namespace pernard {

// The normalised text of `url`; the text itself, unchanged, when it does not parse as a URL.
std::string WhatwgNormalizedUrl(std::string_view url);

}  // namespace pernard
