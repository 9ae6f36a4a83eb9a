#pragma once
// The host of a URL as a browser's URL parser reads it (util/WhatwgUrl.h): an IPv6 address in
// brackets, a domain (percent-decoded, mapped to ASCII as international domain names are, an
// IPv4 address in any of its number forms written dotted-decimal), or, for a scheme the standard
// does not know, an opaque host kept as written with its control and non-ASCII bytes encoded.

#include <optional>
#include <string>
#include <string_view>

namespace pernard {

// The serialised host of `input`; nullopt when a browser would refuse it. `opaque` is for
// schemes other than http, https, ftp, ws, wss and file.
std::optional<std::string> ParseWhatwgHost(std::string_view input, bool opaque);

// Appends `byte` to `out` as "%XX" (upper-case hex).
void AppendPercentByte(std::string& out, unsigned char byte);

}  // namespace pernard
