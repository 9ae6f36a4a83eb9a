#pragma once
// Writes a Chromium-family browser's `Bookmarks` file back from the root read from it. The file
// as read (RootInfo::store) is where the new one starts: every node the root still holds is
// found by its key (ChromiumNodeKeys) and keeps its id and guid as they were (or the lack of
// them), its dates while the table holds what was read, and the keys the program does not
// know; a new node gets a fresh id and a new guid; the checksum is the browser's, and stays as
// the file had it while what it covers is unchanged; `sync_metadata`, a trash and every other
// key stay as they were. The browser's own top folders keep their names. What the root holds at
// its top outside those folders goes at the end of the other bookmarks.

#include <string>
#include <utility>
#include <vector>

#include "formats/chromium/ChromiumLeftOut.h"
#include "model/BmLogic.h"
#include "model/WritePermit.h"

namespace pernard {

struct ChromiumStoreText {
    bool ok = false;
    std::string text;
    // Entries whose key is another in the text written (a new node's id and guid, a node known
    // by its place that moved): index, key.
    std::vector<std::pair<int, std::string>> newKeys;
    // What the entries held that a store has no place for (tags, an icon, separators…).
    StoreLeftOut leftOut;
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

// Writes the permitted root to its store (the file a link names, when the path is a link). The
// browser must not be running on the profile, checked again just before the file is replaced;
// with `backUp` a copy of the file as it is goes beside it first
// ("Bookmarks.pernard-backup-YYYYMMDD-HHMMSS"); the new file replaces the old one only once
// complete.
ChromiumStoreWrite WriteChromiumStore(const BmLogic& model, const WritePermit& permit, bool backUp);

// Said when a browser runs on the profile of a store to be written.
inline constexpr const char* kBrowserRunningMessage =
    "ブラウザーが起動しているため、ブックマークを書き込めません。ブラウザーを終了してから"
    "保存してください : ";

}  // namespace pernard
