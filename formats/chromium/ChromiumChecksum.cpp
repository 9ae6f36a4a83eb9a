#include "formats/chromium/ChromiumChecksum.h"

#include <utf8proc.h>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/chromium/ChromiumNodes.h"

namespace pernard {

ChromiumChecksum::ChromiumChecksum() { md5_init(&state_); }

void ChromiumChecksum::AddBytes(std::string_view bytes) {
    md5_update(&state_, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
}

void ChromiumChecksum::AddUtf16(std::string_view utf8) {
    std::string units;
    units.reserve(utf8.size() * 2);
    auto addUnit = [&units](unsigned unit) {
        units += static_cast<char>(unit & 0xFF);
        units += static_cast<char>(unit >> 8);
    };
    const auto* at = reinterpret_cast<const utf8proc_uint8_t*>(utf8.data());
    utf8proc_ssize_t left = static_cast<utf8proc_ssize_t>(utf8.size());
    while (left > 0) {
        utf8proc_int32_t code = 0;
        utf8proc_ssize_t length = utf8proc_iterate(at, left, &code);
        if (length <= 0) {
            // The browser reads a byte that is no UTF-8 as U+FFFD.
            code = 0xFFFD;
            length = 1;
        }
        if (code >= 0x10000) {
            addUnit(0xD800 + ((code - 0x10000) >> 10));
            addUnit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            addUnit(static_cast<unsigned>(code));
        }
        at += length;
        left -= length;
    }
    AddBytes(units);
}

void ChromiumChecksum::AddUrl(std::string_view id, std::string_view name, std::string_view url) {
    AddBytes(id);
    AddUtf16(name);
    AddBytes("url");
    AddBytes(url);
}

void ChromiumChecksum::AddFolder(std::string_view id, std::string_view name) {
    AddBytes(id);
    AddUtf16(name);
    AddBytes("folder");
}

std::string ChromiumChecksum::Hex() {
    std::uint8_t digest[MD5_DIGEST_SIZE];
    md5_digest(&state_, MD5_DIGEST_SIZE, digest);
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

namespace {

using simdjson::dom::element;

void AddNode(ChromiumChecksum& checksum, const element& node) {
    if (!node.is_object()) return;
    const std::string id = TextOf(node, "id");
    const std::string name = TextOf(node, "name");
    if (TextOf(node, "type") == "url") {
        checksum.AddUrl(id, name, TextOf(node, "url"));
        return;
    }
    checksum.AddFolder(id, name);
    element children;
    if (!LastMember(node, "children", children) || !children.is_array()) return;
    for (const element child : simdjson::dom::array(children)) AddNode(checksum, child);
}

// The members of an object that are nodes, by key, the last of each name.
std::vector<std::pair<std::string_view, element>> NodesByKey(const element& holder) {
    std::vector<std::pair<std::string_view, element>> nodes;
    if (!holder.is_object()) return nodes;
    for (const auto field : simdjson::dom::object(holder)) {
        element last;
        if (LastMember(holder, field.key, last) && last.is_object() &&
            std::none_of(nodes.begin(), nodes.end(),
                         [&field](const auto& node) { return node.first == field.key; })) {
            nodes.emplace_back(field.key, last);
        }
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return nodes;
}

}  // namespace

std::string ChecksumOfStore(const element& document) {
    ChromiumChecksum checksum;
    element roots;
    if (LastMember(document, "roots", roots) && roots.is_object()) {
        for (const char* key : {"bookmark_bar", "other", "synced", "trash"}) {
            element node;
            if (LastMember(roots, key, node)) AddNode(checksum, node);
        }
        element custom;
        if (LastMember(roots, "custom_root", custom)) {
            for (const auto& [key, node] : NodesByKey(custom)) AddNode(checksum, node);
        }
    }
    return checksum.Hex();
}

}  // namespace pernard
