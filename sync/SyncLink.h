#pragma once
// A local bookmark file linked to a shared file on the user's WebDAV server: where the file is,
// who the program is there, and when it syncs by itself. The password and the passphrase are
// never part of it: they live in the system's credential store.

#include <string>

#include "sync/SharedFile.h"

namespace pernard::sync {

struct SyncLink {
    std::string localPath;  // the synced root's bookmark file
    std::string folderUrl;  // the server's folder, with its final slash
    std::string user;
    std::string fileName = "bookmarks.xbel";
    bool encrypted = false;  // a passphrase is kept for it
    bool onStart = true;     // syncs when the program starts
    bool afterChange = true; // syncs a little after each change
    int intervalMinutes = 15;  // syncs this often; 0: never by the clock

    // The shared file's URL: the folder and the name (the key of the sync's state).
    std::string SharedUrl() const { return folderUrl + fileName; }
    SharedFormat Format() const { return FormatForName(fileName); }
};

inline constexpr int kLongestSyncInterval = 24 * 60;

// The folder URL as requests take it: trimmed, with its final slash.
std::string NormalisedFolderUrl(std::string url);
// Why the link cannot be kept (in Japanese); empty when it can.
std::string LinkProblem(const SyncLink& link);
// Why a sync of `localPath` with `sharedUrl` would mix two shared files' ids: the file is synced
// with another shared file already, and this is no first sync with the new one (in Japanese;
// empty when it may go on). `hasBase`: this pair synced before; `firstChosen`: the user chose
// how a first sync goes.
std::string RelinkProblem(const std::string& localPath, const std::string& sharedUrl, bool hasBase,
                          bool firstChosen);

}  // namespace pernard::sync
