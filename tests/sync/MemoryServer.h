#pragma once
// A server for the sync's tests, in memory: files with ETags new on every write, conditional PUTs
// as lighttpd answers them, a clock of its own (for the lock's age), and faults to inject: no
// answer at all, a PUT lost before it arrives, a PUT whose answer is lost after it was stored,
// another writer's PUT right before this one's.

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "sync/SyncServer.h"

namespace pernard::sync {

class MemoryServer : public SyncServer {
public:
    struct File {
        std::string bytes;
        std::string etag;
        std::int64_t modified = 0;  // seconds, by the server's clock
    };

    ServerReply Get(const std::string& name) override;
    ServerReply Put(const std::string& name, std::string_view body, std::string_view contentType,
                    PutCondition condition, const std::string& etag) override;
    ServerReply Stat(const std::string& name) override;
    ServerReply DeleteLock(const std::string& name) override;

    // Direct access, as another program with its own login would have.
    std::map<std::string, File> files;
    std::int64_t now = 1'800'000'000;  // the server's clock
    void Store(const std::string& name, std::string bytes);

    // --- faults
    bool offline = false;
    // The next PUT of a name without ".lock" does this.
    enum class PutFault { None, Lost, AnswerLost, OtherWriterFirst };
    PutFault nextPut = PutFault::None;
    // Called for OtherWriterFirst, to change the file before this PUT is looked at.
    std::function<void(MemoryServer&)> otherWriter;
    int requests = 0;
    int deletesOfFile = 0;  // DELETEs of anything but a lock (never expected)

private:
    ServerReply Reply(int status);
    int etagCounter_ = 0;
};

// "Sun, 06 Nov 1994 08:49:37 GMT" of seconds since 1970.
std::string HttpDateOf(std::int64_t seconds);

}  // namespace pernard::sync
