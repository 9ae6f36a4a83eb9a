#include "sync/SharedFileParts.h"

#include <limits>

#include "util/Text.h"

namespace pernard::sync {

namespace {

constexpr std::string_view kCommentStart = "<!--- highestId :";

}  // namespace

std::string HighestIdComment(SyncId highestId) {
    return std::string(kCommentStart) + std::to_string(highestId) +
           ": for Floccus bookmark sync browser extension -->";
}

SyncId HighestIdOf(std::string_view bytes) {
    const std::size_t found = bytes.find(kCommentStart);
    if (found == std::string_view::npos) return 0;
    const std::size_t lineStart = bytes.rfind('\n', found) + 1;  // npos + 1 is 0
    const std::string_view line = bytes.substr(lineStart, bytes.find('\n', found) - lineStart);
    const std::size_t first = line.find(':');
    const std::size_t last = line.rfind(':');
    if (first == last) return 0;
    const std::string_view number = TrimBlanksView(line.substr(first + 1, last - first - 1));
    // Read as a script's parseInt reads it: the digits at the start, whatever follows.
    SyncId value = 0;
    for (char c : number) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > kMaxSyncId) return 0;
    }
    return value;
}

SyncId ParseSyncId(std::string_view raw) {
    if (raw.empty() || raw.size() > 18) return kNoId;
    SyncId value = 0;
    for (char c : raw) {
        if (c < '0' || c > '9') return kNoId;
        value = value * 10 + (c - '0');
    }
    return value > kMaxSyncId ? kNoId : value;
}

std::string FormError(std::string_view why) {
    return "共有ファイルの形式が違います（" + std::string(why) + "）";
}

std::string DeepNestingError() {
    return FormError("フォルダーの入れ子が " + std::to_string(kMaxFolderDepth) +
                     " 段を超えています");
}

}  // namespace pernard::sync
