#pragma once
// 接続テスト: what the server says before anything is synced with it. It reaches the folder with
// the user's credentials, looks at the shared file and its lock, and finds out whether the server
// keeps a conditional write's condition (If-Match, If-None-Match: *), with a probe file of its own
// beside the shared file, deleted again. The shared file and its lock are only read.

#include <string>
#include <vector>

#include "sync/SyncServer.h"

namespace pernard::sync {

struct ConnectionReport {
    bool reached = false;          // the folder answered with the credentials given
    bool fileExists = false;       // the shared file is there
    bool lockHeld = false;         // another client's run holds the lock now
    bool conditionsKept = false;   // a stale If-Match and If-None-Match: * were refused
    std::vector<std::string> lines;  // what was found, one line each (in Japanese)
    bool Usable() const { return reached; }
};

// The probe's name beside the shared file `fileName`.
std::string ProbeName(const std::string& fileName);

ConnectionReport CheckConnection(SyncServer& server, const std::string& fileName);

}  // namespace pernard::sync
