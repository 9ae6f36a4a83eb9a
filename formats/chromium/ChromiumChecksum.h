#pragma once
// The `checksum` of a Chromium `Bookmarks` file: the MD5 of, for every node of the bookmark
// bar, the other bookmarks and the mobile ones in that order whatever the file's order (each
// folder before what it holds), the node's id, its name as UTF-16 (little-endian), and "url"
// with its URL or "folder". Vivaldi's sum goes on over its trash, Opera's over each of its own
// folders below `custom_root` in the order of their keys. The browser compares it with what it
// reads to tell a file it wrote from one changed behind its back.

#include <nettle/md5.h>
#include <simdjson.h>

#include <string>
#include <string_view>

namespace pernard {

class ChromiumChecksum {
public:
    ChromiumChecksum();
    void AddUrl(std::string_view id, std::string_view name, std::string_view url);
    void AddFolder(std::string_view id, std::string_view name);
    // The checksum as the file holds it: 32 lowercase hexadecimal digits.
    std::string Hex();

private:
    void AddBytes(std::string_view bytes);
    void AddUtf16(std::string_view utf8);

    md5_ctx state_;
};

// The checksum of a whole file as its browser computes it.
std::string ChecksumOfStore(const simdjson::dom::element& document);

}  // namespace pernard
