#pragma once
// The sync's server over WebDAV, on libcurl's easy interface: GET, conditional PUT, PROPFIND of
// one file and DELETE of a lock file, in one folder on the user's server. Basic or Digest
// authentication (whichever the server asks for), TLS against the system's certificates, the
// proxy of the environment, http and https only, no redirect followed. One request at a time per
// object (callers on several threads wait their turn); nothing here touches the UI.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "sync/SyncServer.h"

namespace pernard {

struct WebDavRequest;

struct WebDavSettings {
    // The folder the files are in ("https://host/dav/bookmarks/"); a missing final slash is
    // added.
    std::string folderUrl;
    std::string user;  // empty: no credentials are sent
    std::string password;
    long connectTimeoutMs = 15000;
    // A transfer slower than one byte a second for this long is given up.
    long lowSpeedSeconds = 30;
    // The bound on a whole request; 0 for none (the low-speed bound still holds).
    long totalTimeoutMs = 0;
    // A GET whose body grows past this fails instead.
    std::int64_t bodyLimit = std::int64_t{512} << 20;
};

class CurlWebDav : public sync::SyncServer {
public:
    explicit CurlWebDav(WebDavSettings settings);
    ~CurlWebDav() override;
    CurlWebDav(const CurlWebDav&) = delete;
    CurlWebDav& operator=(const CurlWebDav&) = delete;

    sync::ServerReply Get(const std::string& name) override;
    sync::ServerReply Put(const std::string& name, std::string_view body,
                          std::string_view contentType, sync::PutCondition condition,
                          const std::string& etag) override;
    sync::ServerReply Stat(const std::string& name) override;
    sync::ServerReply DeleteLock(const std::string& name) override;

    // The folder's URL as requests use it (with its final slash).
    const std::string& FolderUrl() const { return settings_.folderUrl; }
    // The URL of the file `name` in the folder: the name percent-encoded as one path segment.
    std::string FileUrl(std::string_view name) const;

private:
    sync::ServerReply Perform(const WebDavRequest& request);

    WebDavSettings settings_;
    std::mutex mutex_;      // one request at a time on the handle
    void* easy_ = nullptr;  // the CURL handle, kept so that its connection is reused
    std::string agent_;
};

// The getcontentlength and getetag of a PROPFIND's multistatus answer, whatever prefix its
// elements carry; length -1 and etag empty for what it does not hold.
struct DavProperties {
    std::int64_t length = -1;
    std::string etag;
};
DavProperties ReadDavProperties(std::string_view xml);

}  // namespace pernard
