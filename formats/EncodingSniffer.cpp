#include "formats/EncodingSniffer.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "formats/LineReader.h"
#include "util/CodePage.h"
#include "util/OpenFile.h"
#include "util/Text.h"

namespace pernard {

namespace {

// Lines looked at for a declaration before giving up on finding the first <DL>.
constexpr int kDeclarationLineLimit = 2000;

bool StartsWithUtf8Bom(const std::string& path) {
    const OpenFile file = OpenForReading(path);
    if (!file) return false;
    unsigned char head[3] = {0, 0, 0};
    return std::fread(head, 1, 3, file.get()) == 3 && head[0] == 0xEF && head[1] == 0xBB &&
           head[2] == 0xBF;
}

// Whether the whole file is valid UTF-8 and holds a multi-byte sequence. Stops reading at the
// first byte that is not UTF-8, which for a Shift_JIS file comes early.
bool IsUtf8WithMultiByte(const std::string& path) {
    const OpenFile file = OpenForReading(path);
    if (!file) return false;
    constexpr std::size_t kBlock = 1 << 20;
    std::vector<char> buffer(kBlock + 4);
    std::size_t carried = 0;  // bytes of an incomplete sequence kept from the previous block
    bool multiByte = false;
    for (;;) {
        const std::size_t got = std::fread(buffer.data() + carried, 1, kBlock, file.get());
        if (got == 0) break;
        const std::size_t size = carried + got;
        // Keep back a sequence that the block cuts off: a lead byte within the last three
        // bytes whose sequence needs more bytes than the block still has.
        std::size_t end = size;
        for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
            const unsigned char byte = static_cast<unsigned char>(buffer[size - back]);
            if (IsContinuationByte(static_cast<char>(byte))) continue;
            const std::size_t need = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            if (need > back) end = size - back;
            break;
        }
        const std::string_view body(buffer.data(), end);
        if (!IsValidUtf8(body)) return false;
        if (!multiByte) {
            for (char c : body) {
                if (static_cast<unsigned char>(c) >= 0x80) {
                    multiByte = true;
                    break;
                }
            }
        }
        carried = size - end;
        std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(end),
                  buffer.begin() + static_cast<std::ptrdiff_t>(size), buffer.begin());
    }
    return carried == 0 && multiByte;
}

std::string DeclaredCharsetBeforeFirstList(const std::string& path) {
    LineReader reader;
    if (!reader.Open(path)) return {};
    std::string line;
    for (int count = 0; count < kDeclarationLineLimit && reader.NextLine(line); ++count) {
        const std::size_t list = FindNoCase(line, "<DL>");
        const std::string before = list == std::string::npos ? line : line.substr(0, list);
        const std::string declared = DeclaredCharset(before);
        if (!declared.empty()) return declared;
        if (list != std::string::npos) break;
    }
    return {};
}

}  // namespace

std::string DeclaredCharset(const std::string& line) {
    if (FindNoCase(line, "<META") == std::string::npos) return {};
    const std::size_t at = FindNoCase(line, "charset=");
    if (at == std::string::npos) return {};
    std::size_t start = at + 8;
    while (start < line.size() &&
           (line[start] == '"' || line[start] == '\'' || line[start] == ' ')) {
        ++start;
    }
    std::size_t end = start;
    while (end < line.size() && line[end] != '"' && line[end] != '\'' && line[end] != ';' &&
           line[end] != ' ' && line[end] != '>' && line[end] != '/') {
        ++end;
    }
    return line.substr(start, end - start);
}

SniffedEncoding SniffEncoding(const std::string& path, const std::string& fallback) {
    SniffedEncoding result;
    if (StartsWithUtf8Bom(path)) {
        result.charset = kUtf8;
        result.bomLength = 3;
        return result;
    }
    const std::string declared = CanonicalCharset(DeclaredCharsetBeforeFirstList(path));
    if (!declared.empty()) {
        result.charset = declared;
        return result;
    }
    const std::string chosen = CanonicalCharset(fallback);
    if (!chosen.empty()) {
        result.charset = chosen;
        return result;
    }
    result.charset = IsUtf8WithMultiByte(path) ? kUtf8 : kCp932;
    return result;
}

}  // namespace pernard
