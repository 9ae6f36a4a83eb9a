#include "formats/bookmarkfile/EncodingSniffer.h"

#include "util/CodePage.h"
#include "util/Text.h"

namespace pernard {

namespace {

// Lines looked at for a declaration before giving up on finding the first <DL>.
constexpr int kDeclarationLineLimit = 2000;

bool StartsWithUtf8Bom(std::string_view head) { return head.substr(0, 3) == "\xEF\xBB\xBF"; }

// `bytes` without a UTF-8 sequence that the end of the block cuts off.
std::string_view WithoutCutSequence(std::string_view bytes) {
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const unsigned char byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if (IsContinuationByte(static_cast<char>(byte))) continue;
        const std::size_t need = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return need > back ? bytes.substr(0, bytes.size() - back) : bytes;
    }
    return bytes;
}

std::string DeclaredCharsetBeforeFirstList(std::string_view head) {
    std::size_t at = 0;
    for (int count = 0; count < kDeclarationLineLimit && at < head.size(); ++count) {
        std::size_t end = head.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = head.size();
        const std::string line(head.substr(at, end - at));
        at = end + 1;
        const std::size_t list = FindNoCase(line, "<DL>");
        const std::string declared =
            DeclaredCharset(list == std::string::npos ? line : line.substr(0, list));
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

SniffedEncoding SniffEncoding(std::string_view head, bool wholeFile, const std::string& fallback) {
    SniffedEncoding result;
    if (StartsWithUtf8Bom(head)) {
        result.charset = kUtf8;
        result.bomLength = 3;
        return result;
    }
    if (head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF") {
        result.charset = head[0] == '\xFF' ? kUtf16Le : kUtf16Be;
        result.bomLength = 2;
        return result;
    }
    const std::string declared = CanonicalCharset(DeclaredCharsetBeforeFirstList(head));
    if (!declared.empty()) {
        result.charset = declared;
        return result;
    }
    const std::string chosen = CanonicalCharset(fallback);
    if (!chosen.empty()) {
        result.charset = chosen;
        return result;
    }
    if (HasHighBytes(head)) {
        result.charset = CharsetOfFirstText({}, head);
    } else if (wholeFile) {
        result.charset = kCp932;
    }
    return result;
}

std::string CharsetOfFirstText(std::string_view line, std::string_view following) {
    return IsValidUtf8(line) && IsValidUtf8(WithoutCutSequence(following)) ? kUtf8 : kCp932;
}

}  // namespace pernard
