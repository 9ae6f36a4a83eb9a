#pragma once
// Bytes written as hexadecimal text: digests in file names, salts, device ids.

#include <cstddef>
#include <string>

namespace pernard {

// The bytes as lower-case hexadecimal, two digits each ("0a1f").
std::string LowerHex(const unsigned char* bytes, std::size_t size);

}  // namespace pernard
