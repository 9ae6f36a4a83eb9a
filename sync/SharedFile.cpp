#include "sync/SharedFile.h"

#include <unordered_set>

#include "sync/SharedFileParts.h"
#include "util/Text.h"

namespace pernard::sync {

namespace {

std::string Quoted(const std::string& title) { return "「" + title + "」"; }

// Every item but the root has a positive id no other item has, and none is above highestId.
std::string CheckIds(const SyncTree& tree) {
    std::unordered_set<SyncId> seen;
    for (int i = 1; i < tree.Size(); ++i) {
        const SyncItem& item = tree[i];
        if (item.id <= 0) return "ID のない項目があります（" + Quoted(item.title) + "）";
        if (!seen.insert(item.id).second) {
            return "ID " + std::to_string(item.id) + " が二つの項目にあります";
        }
        if (item.id > tree.highestId) {
            return "ID " + std::to_string(item.id) + " が highestId（" +
                   std::to_string(tree.highestId) + "）を超えています";
        }
    }
    return {};
}

}  // namespace

SharedFormat FormatForName(std::string_view name) {
    constexpr std::string_view kHtml = ".html";
    return name.size() >= kHtml.size() &&
                   EqualsNoCase(name.substr(name.size() - kHtml.size()), kHtml)
               ? SharedFormat::Html
               : SharedFormat::Xbel;
}

const char* FormatName(SharedFormat format) {
    return format == SharedFormat::Html ? "html" : "xbel";
}

SharedFileRead ReadSharedFile(std::string_view bytes, SharedFormat format) {
    // The extension compares the UTF-8 length of the text it decoded with the server's size of
    // the file: a byte order mark or a byte that is not UTF-8 makes every client stop there.
    SharedFileRead read;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        read.error = FormError("先頭にバイト順マークがあります");
    } else if (!IsValidUtf8(bytes)) {
        read.error = FormError("UTF-8 として読めないバイトがあります");
    } else {
        read.error = format == SharedFormat::Html ? ReadHtmlFile(bytes, read.tree)
                                                  : ReadXbelFile(bytes, read.tree);
    }
    read.ok = read.error.empty();
    if (!read.ok) read.tree = SyncTree();
    return read;
}

std::string WriteSharedFile(const SyncTree& tree, SharedFormat format) {
    return format == SharedFormat::Html ? WriteHtmlFile(tree) : WriteXbelFile(tree);
}

std::string CheckBeforeUpload(const SyncTree& tree, std::string_view bytes, SharedFormat format) {
    if (std::string ids = CheckIds(tree); !ids.empty()) return ids;
    const SharedFileRead read = ReadSharedFile(bytes, format);
    if (!read.ok) return "書き出したファイルが読み戻せません: " + read.error;
    if (!SameTree(read.tree, tree)) return "書き出したファイルを読み戻すと元と違う内容になります";
    if (read.tree.highestId != tree.highestId) {
        return "書き出したファイルの highestId（" + std::to_string(read.tree.highestId) +
               "）が元の値（" + std::to_string(tree.highestId) + "）と違います";
    }
    return {};
}

bool EndsWhole(std::string_view bytes, SharedFormat format) {
    std::size_t end = bytes.size();
    while (end > 0 && static_cast<unsigned char>(bytes[end - 1]) <= ' ') --end;
    const std::string_view text = bytes.substr(0, end);
    const auto endsWith = [&text](std::string_view tail) {
        return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
    };
    if (format == SharedFormat::Xbel) return endsWith("</xbel>");
    return endsWith("</html>") || endsWith("</DL><p>") || endsWith("</DL>");
}

std::string SharedTitle(std::string_view title) {
    std::string text(title);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    return TrimmedTitle(text);
}

}  // namespace pernard::sync
