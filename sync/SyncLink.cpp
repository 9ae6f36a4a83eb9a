#include "sync/SyncLink.h"

#include "sync/SyncState.h"

namespace pernard::sync {

namespace {

bool StartsWithAnyCase(const std::string& text, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        const char c = text[i];
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::string NormalisedFolderUrl(std::string url) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!url.empty() && blank(url.back())) url.pop_back();
    std::size_t start = 0;
    while (start < url.size() && blank(url[start])) ++start;
    url.erase(0, start);
    if (!url.empty() && url.back() != '/') url += '/';
    return url;
}

std::string LinkProblem(const SyncLink& link) {
    if (link.localPath.empty()) return "このルートには読込元のブックマークファイルがありません";
    const std::string& url = link.folderUrl;
    if (!StartsWithAnyCase(url, "http://") && !StartsWithAnyCase(url, "https://")) {
        return "URL は http:// か https:// で始まるフォルダーの URL を指定してください";
    }
    if (url.find_first_of(" \t\r\n") != std::string::npos) return "URL に空白は使えません";
    if (link.fileName.empty()) return "ファイル名を指定してください";
    if (link.fileName.front() == '/' || link.fileName.find_first_of("/\\") != std::string::npos) {
        return "ファイル名にフォルダーの区切り（/ や \\）は使えません";
    }
    if (link.fileName == "." || link.fileName == "..") return "そのファイル名は使えません";
    if (link.intervalMinutes < 0 || link.intervalMinutes > kLongestSyncInterval) {
        return "同期の間隔は 0 から 1440 分までです";
    }
    return {};
}

std::string RelinkProblem(const std::string& localPath, const std::string& sharedUrl, bool hasBase,
                          bool firstChosen) {
    const std::string linked = SyncStateStore::LinkedRemote(localPath);
    if (linked.empty() || linked == sharedUrl || (!hasBase && firstChosen)) return {};
    return localPath + " は別の共有ファイル " + linked +
           " と同期しています。一つのファイルは一つの共有ファイルとだけ同期できます";
}

}  // namespace pernard::sync
