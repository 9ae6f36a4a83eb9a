#pragma once
// The lock file beside the shared file, as every client of the file takes it: one run at a time
// writes the file. It is taken when missing, or when the lock there is older than 15 minutes by
// the server's clock, or at once when it is this device's own leftover; it is put again every
// two minutes while the run goes on, and deleted when the run ends, however it ends. It never
// outlives the run: the browsers' extension counts any lock as held until its own last good sync
// is two hours old.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "sync/SyncServer.h"

namespace pernard::sync {

// Seconds since 1970 of an HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT"); nullopt when it is none.
std::optional<std::int64_t> ParseHttpDate(const std::string& text);

class ServerLock {
public:
    // `fileName` is the shared file's; the lock is `fileName`.lock.
    ServerLock(SyncServer& server, std::string fileName, std::string deviceId);
    // Deletes the lock when this run holds it.
    ~ServerLock();
    ServerLock(const ServerLock&) = delete;
    ServerLock& operator=(const ServerLock&) = delete;

    enum class Outcome { Taken, HeldElsewhere, Unreachable, Failed };
    // Takes the lock; `error` says why not (in Japanese).
    Outcome Take(std::string& error);
    // Puts the lock again when two minutes passed since it was last put; false when it was lost.
    bool Refresh();
    // Deletes the lock (when this run holds it); false when the delete failed.
    bool Release();
    bool Held() const { return held_; }

    static constexpr std::int64_t kStaleSeconds = 15 * 60;
    static constexpr auto kRefreshEvery = std::chrono::minutes(2);

private:
    bool PutOurs(PutCondition condition, const std::string& etag);
    bool StillOurs();
    std::string Body() const;

    SyncServer& server_;
    std::string lockName_;
    std::string deviceId_;
    std::string nonce_;
    bool held_ = false;
    int lastPutStatus_ = 0;
    std::chrono::steady_clock::time_point putAt_{};
};

}  // namespace pernard::sync
