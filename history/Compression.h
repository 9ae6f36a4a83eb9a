#pragma once
// The history's compressed copies: zstd frames that carry a checksum of their content, so that a
// copy damaged on the disk is told apart from the version it was, never taken for it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pernard {

// Compresses the whole of `bytes`.
std::string Compress(std::string_view bytes);
// Compresses the file at `from` into a new file at `to` (owner-only), a piece at a time;
// false when either file failed.
bool CompressFile(const std::string& from, const std::string& to);
// The content of a compressed copy; nullopt when it is no complete frame, its checksum does not
// hold, or it would grow beyond `limit` bytes.
std::optional<std::string> DecompressFile(const std::string& path, std::uint64_t limit);

}  // namespace pernard
