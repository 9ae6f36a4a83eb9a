#include "formats/SourceRead.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "formats/ChromiumReader.h"
#include "formats/FavoritesReader.h"
#include "formats/FirefoxReader.h"
#include "formats/NetscapeReader.h"

#include "util/OpenFile.h"

namespace pernard {

namespace {

// The first bytes of a file; empty when it cannot be read.
std::string Head(const std::string& path, std::size_t bytes) {
    const OpenFile file = OpenForReading(path);
    if (!file) return {};
    std::string head(bytes, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    return head;
}

// A JSON object whose first keys include "roots", as Chromium writes its Bookmarks file.
bool LooksLikeChromiumBookmarks(const std::string& head) {
    std::size_t at = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    at = head.find_first_not_of(" \t\r\n", at);
    return at != std::string::npos && head[at] == '{' &&
           head.find("\"roots\"", at) != std::string::npos;
}

}  // namespace

SourceKind KindOfSource(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error) || IsShortcutFileName(path)) {
        return SourceKind::Favorites;
    }
    const std::string head = Head(path, 64 * 1024);
    if (head.compare(0, 16, std::string("SQLite format 3\0", 16)) == 0) return SourceKind::Firefox;
    if (LooksLikeChromiumBookmarks(head)) return SourceKind::Chromium;
    return SourceKind::BookmarkFile;
}

ReadOutcome ReadSourceAs(BmLogic& model, bool complete, const std::string& path, SourceKind kind) {
    switch (kind) {
        case SourceKind::Favorites: {
            // One shortcut file reads as a Favorites collection of one.
            std::error_code error;
            const bool oneShortcut =
                IsShortcutFileName(path) && !std::filesystem::is_directory(path, error);
            return oneShortcut ? ReadShortcutCollection(model, complete, path)
                               : ReadFavoritesDirectory(model, complete, path);
        }
        case SourceKind::Chromium:
            return ReadChromiumStore(model, complete, path);
        case SourceKind::Firefox:
            return ReadFirefoxStore(model, complete, path);
        case SourceKind::BookmarkFile:
            break;
    }
    return ReadBookmarkFile(model, complete, path);
}

ReadOutcome ReadSourceOf(BmLogic& model, bool complete, const std::string& path) {
    return ReadSourceAs(model, complete, path, KindOfSource(path));
}

bool ReadSource(BmLogic& model, bool complete, const std::string& path, int& urlCount,
                std::string& errorText) {
    return Unpacked(ReadSourceOf(model, complete, path), urlCount, errorText);
}

}  // namespace pernard
