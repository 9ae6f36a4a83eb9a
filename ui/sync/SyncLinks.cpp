#include "ui/sync/SyncLinks.h"

#include <algorithm>

#include "ui/app/Registry.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

namespace {

constexpr const char* kSyncSection = "Sync";
constexpr int kMostLinks = 100;

QString Key(int n, const char* field) { return QString("Link%1.%2").arg(n).arg(field); }

}  // namespace

std::vector<sync::SyncLink> ReadSyncLinks() {
    std::vector<sync::SyncLink> links;
    const int count = Registry::ReadInteger(kSyncSection, "Links", 0, 0, kMostLinks);
    for (int n = 1; n <= count; ++n) {
        sync::SyncLink link;
        link.localPath = Bytes(Registry::ReadText(kSyncSection, Key(n, "Local"), {}));
        link.folderUrl = Bytes(Registry::ReadText(kSyncSection, Key(n, "Folder"), {}));
        link.user = Bytes(Registry::ReadText(kSyncSection, Key(n, "User"), {}));
        link.fileName = Bytes(Registry::ReadText(kSyncSection, Key(n, "File"), "bookmarks.xbel"));
        link.encrypted = Registry::ReadCheck(kSyncSection, Key(n, "Encrypted"), false);
        link.onStart = Registry::ReadCheck(kSyncSection, Key(n, "OnStart"), true);
        link.afterChange = Registry::ReadCheck(kSyncSection, Key(n, "AfterChange"), true);
        link.intervalMinutes = Registry::ReadInteger(kSyncSection, Key(n, "Interval"), 15, 0,
                                                     sync::kLongestSyncInterval);
        // A damaged entry is left out rather than synced somewhere unintended.
        if (sync::LinkProblem(link).empty()) links.push_back(std::move(link));
    }
    return links;
}

void WriteSyncLinks(const std::vector<sync::SyncLink>& links) {
    const int count = std::min(static_cast<int>(links.size()), kMostLinks);
    Registry::WriteInteger(kSyncSection, "Links", count);
    for (int n = 1; n <= count; ++n) {
        const sync::SyncLink& link = links[static_cast<std::size_t>(n - 1)];
        Registry::WriteText(kSyncSection, Key(n, "Local"), Text(link.localPath));
        Registry::WriteText(kSyncSection, Key(n, "Folder"), Text(link.folderUrl));
        Registry::WriteText(kSyncSection, Key(n, "User"), Text(link.user));
        Registry::WriteText(kSyncSection, Key(n, "File"), Text(link.fileName));
        Registry::WriteCheck(kSyncSection, Key(n, "Encrypted"), link.encrypted);
        Registry::WriteCheck(kSyncSection, Key(n, "OnStart"), link.onStart);
        Registry::WriteCheck(kSyncSection, Key(n, "AfterChange"), link.afterChange);
        Registry::WriteInteger(kSyncSection, Key(n, "Interval"), link.intervalMinutes);
    }
    Registry::Sync();
}

std::optional<sync::SyncLink> LinkOf(const std::string& localPath) {
    for (sync::SyncLink& link : ReadSyncLinks()) {
        if (link.localPath == localPath) return std::move(link);
    }
    return std::nullopt;
}

void KeepLink(const sync::SyncLink& link) {
    std::vector<sync::SyncLink> links = ReadSyncLinks();
    std::erase_if(links, [&](const sync::SyncLink& l) { return l.localPath == link.localPath; });
    links.push_back(link);
    WriteSyncLinks(links);
}

void DropLink(const std::string& localPath) {
    std::vector<sync::SyncLink> links = ReadSyncLinks();
    std::erase_if(links, [&](const sync::SyncLink& l) { return l.localPath == localPath; });
    WriteSyncLinks(links);
}

}  // namespace pernard::ui
