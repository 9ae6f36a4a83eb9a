#pragma once
// Writes a Chromium-family browser's `Bookmarks` file back from the root read from it. The file
// as read (RootInfo::store) is where the new one starts: every node the root still holds keeps
// its id, guid, dates and the keys the program does not know; a new node gets an id above the
// highest and a new guid; the checksum is computed as the browser computes it; `sync_metadata`,
// a trash and every other key stay as they were. The browser's own top folders keep their
// names. What the root holds at its top outside those folders goes at the end of the other
// bookmarks.

#include <string>
#include <utility>
#include <vector>

#include "model/BmLogic.h"
#include "model/WritePermit.h"

namespace pernard {

struct ChromiumStoreText {
    bool ok = false;
    std::string text;
    // Entries written as new nodes, with the ids they were given: index, id.
    std::vector<std::pair<int, std::string>> newKeys;
    // Entries that held what a store has no place for (tags, an icon, separators…), left out.
    int droppedExtras = 0;
};

// The store's text for root `root`; not ok when the root holds no store as read, or that is
// no longer JSON.
ChromiumStoreText ChromiumStoreTextOf(const BmLogic& model, int root);

// Whether a store's text holds `sync_metadata`: its profile syncs with the browser maker's
// server, whose copy may bring back on the next start what was deleted here.
bool HoldsSyncMetadata(const std::string& storeText);

struct ChromiumStoreWrite {
    bool written = false;
    std::string errorText;  // why nothing was written
    ChromiumStoreText store;
    std::string backup;  // the copy of the old file made before it, if one was
};

// Writes the permitted root to its store. The browser must not be running on the profile,
// checked again just before the file is replaced; with `backUp` a copy of the file as it is goes
// beside it first ("Bookmarks.pernard-backup-YYYYMMDD-HHMMSS"); the new file replaces the old
// one only once complete.
ChromiumStoreWrite WriteChromiumStore(const BmLogic& model, const WritePermit& permit, bool backUp);

// Said when a browser runs on the profile of a store to be written.
inline constexpr const char* kBrowserRunningMessage =
    "ブラウザーが起動しているため、ブックマークを書き込めません。ブラウザーを終了してから"
    "保存してください : ";

}  // namespace pernard
