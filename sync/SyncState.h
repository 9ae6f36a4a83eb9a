#pragma once
// What a sync keeps between runs, per local collection and shared file: the file's bytes as both
// sides last agreed (the base of the next merge), its form and ETag, the id of this device, and
// the server's last ten versions before this program replaced them. All in a folder only the user
// can enter; the agreed state is one file, replaced whole.

#include <string>
#include <vector>

#include "sync/SharedFile.h"
#include "util/FileLock.h"

namespace pernard::sync {

struct SyncState {
    bool hasBase = false;
    std::string base;  // the shared file's bytes (decrypted) as last agreed
    SharedFormat format = SharedFormat::Xbel;
    std::string etag;
    std::string deviceId;  // 32 hex characters, made once
    bool fresh = false;    // no state was kept yet: this one is new, not saved
};

class SyncStateStore {
public:
    explicit SyncStateStore(std::string directory) : directory_(std::move(directory)) {}

    // The default folder of the sync of `localPath` with the file at `remoteUrl`, in the
    // program's data folder; empty when the environment names none.
    static std::string DefaultDirectory(const std::string& localPath, const std::string& remoteUrl);

    // The shared file a local file is synced with: its URL, kept in the program's data folder
    // once a sync of the two went through; empty when there is none. A local file's entries
    // carry the ids of one shared file only, so a second one would mistake them for its own.
    static std::string LinkedRemote(const std::string& localPath);
    static bool LinkRemote(const std::string& localPath, const std::string& remoteUrl);

    const std::string& Directory() const { return directory_; }
    // Whether a sync went through here before (a first sync has no base).
    bool HasBase() const;
    // Takes the folder's run lock (a second run of this sync is refused while one holds it).
    bool LockRun();
    // Reads the state; a folder without one is a first sync, with a new device id (not saved
    // yet). False, with the reason, when the state is damaged.
    bool Load(SyncState& state, std::string& error);
    // Replaces the state whole.
    bool Save(const SyncState& state, std::string& error);
    // Keeps a version of the server's file; the oldest beyond ten go.
    bool KeepRemoteVersion(const std::string& bytes);
    // The kept versions, oldest first (their paths).
    std::vector<std::string> RemoteVersions() const;

private:
    std::string StatePath() const;
    std::string directory_;
    FileLock runLock_;
};

}  // namespace pernard::sync
