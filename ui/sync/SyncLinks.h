#pragma once
// The links of local bookmark files to shared files on the user's servers, kept in the settings
// (section "Sync"): one per file, found by the file's path.

#include <optional>
#include <string>
#include <vector>

#include "sync/SyncLink.h"

namespace pernard::ui {

std::vector<sync::SyncLink> ReadSyncLinks();
void WriteSyncLinks(const std::vector<sync::SyncLink>& links);
// The link of this bookmark file, when it has one.
std::optional<sync::SyncLink> LinkOf(const std::string& localPath);
// Keeps `link` in place of the file's earlier one.
void KeepLink(const sync::SyncLink& link);
void DropLink(const std::string& localPath);

}  // namespace pernard::ui
