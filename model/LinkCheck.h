#pragma once
// Checking the links of the collection: the port to an HTTP engine (linkcheck/ holds the one
// built on libcurl), the parameters of a run, what a result means, and how a result reaches
// the entry it was fetched for.

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "model/BmLogic.h"

namespace pernard {

inline constexpr int kMaxCheckThreads = 8;

struct LinkRequest {
    std::size_t token = 0;  // the caller's: names the entry the URL belongs to
    std::string url;
};

struct LinkResult {
    std::size_t token = 0;
    std::string url;       // as requested
    int slot = 0;          // which of the parallel requests fetched it (0 .. threads - 1)
    long status = 0;       // the final HTTP status; 0 when no answer came
    std::string error;     // a word for a failure: timeout, refused, dns, tls, redirects, ...
    std::string detail;    // the failure's own text
    std::string finalUrl;  // after redirects
    int redirects = 0;
    long long lastModified = -1;  // seconds since 1970 from Last-Modified; -1 when not given
    long long size = -1;          // Content-Length, or the bytes received; -1 when unknown
    std::string server;           // the Server header
    std::string headers;          // the final response's header lines
    std::string body;             // the body as far as it was read (body checks only)
};

struct LinkCheckOptions {
    int threads = kMaxCheckThreads;  // requests in flight at once
    int intervalMs = 0;              // at least this long between two starts
    long timeoutMs = 60000;          // for one whole request
    bool body = false;               // fetch bodies (GET), not only headers (HEAD)
    std::size_t bodyLimit = std::size_t{1} << 20;
    int maxRedirects = 10;
    std::string proxyHost;
    int proxyPort = 0;
    // The request headers the user gave; credentials go only to a server that asks for them.
    std::string cookie, email, localProgram, referer, userId, password;
};

// The engine: fetches every request, calls `onResult` (on the caller's thread) as each one
// finishes, and returns when all are done or `stop` was set (unfinished requests are dropped).
class LinkChecker {
public:
    using ResultSink = std::function<void(LinkResult&&)>;
    virtual ~LinkChecker() = default;
    virtual void Run(const std::vector<LinkRequest>& requests, const LinkCheckOptions& options,
                     const ResultSink& onResult, const std::atomic<bool>& stop) = 0;
};

enum class LinkOutcome { Ok, Redirected, Broken, Failed };

// 2xx: ok (redirected when it took redirects); 3xx left unresolved: redirected; 4xx, 5xx:
// broken; no answer: failed.
LinkOutcome OutcomeOf(const LinkResult& result);
// The status code as text, or the failure's word.
std::string StatusText(const LinkResult& result);
// What the list's 備考 shows: the redirect target, or the failure's text.
std::string RemarkText(const LinkResult& result);

// The parameters of a run read from the fields that hold them. The thread count is kept to
// 1..8 (a field that holds no number gives 1); a time-out in minutes that is no number, not
// above 0 or too large gives one minute. False, with a message, for a proxy port outside
// 1..65535 when a proxy is used.
bool ReadCheckParameters(const std::string& threads, const std::string& timeoutMinutes,
                         bool useProxy, const std::string& proxyHost, const std::string& proxyPort,
                         LinkCheckOptions& options, std::string& errorText);

// Writes a result into the entry it was fetched for: its last-modified time (and the tree
// image that follows it). False, and nothing changes, when that entry no longer exists or no
// longer holds the URL that was fetched.
bool ApplyLinkResult(BmLogic& model, const NodeRef& entry, const LinkResult& result);

}  // namespace pernard
