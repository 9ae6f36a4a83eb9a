#pragma once
// A WebDAV server for the sync's tests: lighttpd with mod_webdav in the foreground on 127.0.0.1,
// at a free port, over a temporary document root; stopped when destroyed. Its folders: "open"
// without authentication, "basic" and "digest" behind that scheme (user kUser, password
// kPassword). And a server that takes connections and never answers, for the time-outs.

#include <filesystem>
#include <string>

#include "util/PrivateDirectory.h"

namespace pernard::testing {

enum class DavAuth { None, Basic, Digest };

class WebDavServer {
public:
    static constexpr const char* kUser = "user";
    static constexpr const char* kPassword = "secret";

    WebDavServer();
    ~WebDavServer();
    WebDavServer(const WebDavServer&) = delete;
    WebDavServer& operator=(const WebDavServer&) = delete;

    // Whether lighttpd is on this machine (the tests that need it are skipped when not; always
    // false on Windows).
    bool Installed() const { return installed_; }
    // Why the server is not running: empty when it is.
    const std::string& Problem() const { return problem_; }

    // "http://127.0.0.1:PORT/open/" and so on: the folder behind `auth`.
    std::string FolderUrl(DavAuth auth) const;
    // That folder on disk, for planting and checking files.
    std::filesystem::path Folder(DavAuth auth) const;
    const std::filesystem::path& DocumentRoot() const { return root_; }

private:
    bool Start(const std::string& program);
    void Stop();

    PrivateDirectory work_{"pernard-webdav-"};
    std::filesystem::path root_;
    bool installed_ = false;
    std::string problem_;
    int port_ = 0;
    long pid_ = 0;
};

// A port on 127.0.0.1 that accepts connections (the system's backlog completes them) and never
// answers a byte; closed when destroyed.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::string Url(const std::string& path) const;

private:
    long long listener_ = -1;  // the socket (a SOCKET on Windows)
    int port_ = 0;
};

}  // namespace pernard::testing
