#include "formats/SourceRead.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

#include "formats/bookmarkfile/BookmarkFileParser.h"
#include "formats/chromium/ChromiumReader.h"
#include "formats/favorites/FavoritesReader.h"
#include "formats/firefox/FirefoxReader.h"

#include "util/OpenFile.h"

namespace pernard {

namespace {

constexpr std::size_t kBlock = 64 * 1024;

// Whether the JSON text that starts a file, `head` being its first block, holds a "roots" key
// anywhere: Chromium writes it first, but a tool that sorts or rewrites the file may put it
// after megabytes of other members, so the whole file is searched, a block at a time.
bool HoldsRootsKey(std::FILE* file, std::string head) {
    constexpr std::string_view kKey = "\"roots\"";
    std::string block(kBlock, '\0');
    for (;;) {
        if (head.find(kKey) != std::string::npos) return true;
        const std::size_t got = std::fread(block.data(), 1, block.size(), file);
        if (got == 0) return false;
        // The key may straddle two blocks: the end of the last one stays in front.
        head.erase(0, head.size() > kKey.size() ? head.size() - kKey.size() + 1 : 0);
        head.append(block, 0, got);
    }
}

// A JSON object holding a "roots" key, as Chromium writes its Bookmarks file: its first
// character after the blanks, however many blocks of them come first.
bool LooksLikeChromiumBookmarks(std::FILE* file, std::string head) {
    std::size_t at = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    at = head.find_first_not_of(" \t\r\n", at);
    while (at == std::string::npos) {
        head.resize(kBlock);
        head.resize(std::fread(head.data(), 1, head.size(), file));
        if (head.empty()) return false;
        at = head.find_first_not_of(" \t\r\n");
    }
    return head[at] == '{' && HoldsRootsKey(file, head);
}

}  // namespace

SourceKind KindOfSource(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error) || IsShortcutFileName(path)) {
        return SourceKind::Favorites;
    }
    // Only a regular file is looked into (a FIFO would wait for a writer): anything else is
    // left to the bookmark file reader, which refuses it with its message.
    const OpenFile file = OpenForReading(path);
    if (!file) return SourceKind::BookmarkFile;
    std::string head(kBlock, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    if (head.compare(0, 16, std::string("SQLite format 3\0", 16)) == 0) return SourceKind::Firefox;
    if (LooksLikeChromiumBookmarks(file.get(), head)) return SourceKind::Chromium;
    return SourceKind::BookmarkFile;
}

OpenedSource OpenSource(const std::string& path, SourceKind kind) {
    switch (kind) {
        case SourceKind::Favorites: {
            // One shortcut file reads as a Favorites collection of one.
            std::error_code error;
            const bool oneShortcut =
                IsShortcutFileName(path) && !std::filesystem::is_directory(path, error);
            return oneShortcut ? OpenShortcutFile(path) : OpenFavoritesDirectory(path);
        }
        case SourceKind::Chromium:
            return OpenChromiumStore(path);
        case SourceKind::Firefox:
            return OpenFirefoxStore(path);
        case SourceKind::BookmarkFile:
            break;
    }
    return OpenBookmarkFile(path);
}

}  // namespace pernard
