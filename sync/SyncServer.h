#pragma once
// The server the shared file lives on, as the sync needs it: a folder of files reached by name
// (the shared file, its lock). The program's WebDAV client stands behind this port
// (webdav/CurlWebDav.h); the tests put servers of their own behind it.

#include <cstdint>
#include <string>
#include <string_view>

namespace pernard::sync {

struct ServerReply {
    // The HTTP status; 0 when no answer came (no connection, a timeout, a cut transfer).
    int status = 0;
    std::string body;
    std::string etag;          // the ETag header, as sent (quotes and W/ kept); empty when none
    std::string lastModified;  // the Last-Modified header, as sent
    std::string date;          // the Date header: the server's clock
    // The size the server holds for the file (Content-Length of a GET, getcontentlength of a
    // PROPFIND); -1 when it did not say.
    std::int64_t length = -1;
    // What went wrong when status is 0 (the transport's own words).
    std::string error;

    bool Answered() const { return status != 0; }
    bool Ok() const { return status >= 200 && status < 300; }
};

enum class PutCondition {
    None,            // unconditional (only the lock file)
    IfMatch,         // If-Match: the given ETag
    IfNoneMatchAny,  // If-None-Match: * (the file must not exist yet)
};

class SyncServer {
public:
    virtual ~SyncServer() = default;
    // GET of the file `name` in the folder.
    virtual ServerReply Get(const std::string& name) = 0;
    // PUT of `body` as the file `name`, under `condition` (`etag` for IfMatch).
    virtual ServerReply Put(const std::string& name, std::string_view body,
                            std::string_view contentType, PutCondition condition,
                            const std::string& etag) = 0;
    // PROPFIND (Depth: 0) of the file `name`: its size in `length`, its ETag when the server
    // gives one there.
    virtual ServerReply Stat(const std::string& name) = 0;
    // DELETE of a lock file. The shared file itself is never deleted: implementations refuse
    // any name that does not end in ".lock".
    virtual ServerReply DeleteLock(const std::string& name) = 0;
};

}  // namespace pernard::sync
