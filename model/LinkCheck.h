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
    long redirectStatus = 0;         // the first redirect's status (301, 302, ...); 0 for none
    bool temporaryRedirect = false;  // a redirect on the way was not permanent (301, 308)
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

// What a result says of its link, finer than LinkOutcome: what the clean-up acts on.
enum class LinkClass {
    Ok,                // 2xx without a redirect
    MovedPermanently,  // redirected by 301 and 308 only (to 2xx, or to a 3xx not followed)
    MovedTemporarily,  // redirected by 302, 303, 307 (or another 3xx) on the way
    ClientError,       // 4xx in the end (404, 410, 401, ...), redirected or not
    ServerError,       // 5xx in the end (or no status a server should give)
    NoAnswer,          // time-out, refused, a name the DNS does not know, TLS, endless redirects
    NotChecked,        // not fetched: a URL that is not http or https
};
LinkClass ClassOf(const LinkResult& result);
// The class as the window names it.
const char* LinkClassText(LinkClass linkClass);
// Gone for good as far as the result alone says: 404, 410, or a host name the DNS does not
// know.
bool IsBrokenForGood(const LinkResult& result);

// A result with the entry it was fetched for (held by its node).
struct CheckedLink {
    NodeRef entry;
    LinkResult result;
};

// The folder that --move-broken and the window move broken links into.
inline constexpr const char* kBrokenLinkFolderName = "リンク切れ";

// The URL a redirected bookmark is replaced by: the final URL, with the bookmark's #fragment
// when the final URL has none (as a browser follows it).
std::string RedirectedUrl(const std::string& url, const std::string& finalUrl);

// Replaces the URL of each redirected entry with its final URL: the redirects that were
// permanent and ended in 2xx, or with `temporaryToo` the temporary ones as well. An entry
// that no longer holds the URL that was checked is left alone. One step.
CleanupOutcome ReplaceRedirectedUrls(BmLogic& model, const std::vector<CheckedLink>& links,
                                     bool temporaryToo);
// The entries whose links are gone for good (IsBrokenForGood). A DNS failure counts only when
// the resolver was seen answering in the same check: a link to another host name (not an
// address, which needs no resolver) got an HTTP answer
// or a failure past the name (refused, TLS, ...; a time-out may be the resolver's own). A
// resolver that is down fails every name alike, and nothing it failed is gone.
std::vector<NodeRef> BrokenForGood(const std::vector<CheckedLink>& links);
// The links that were fetched (a result came, and not for a URL that is not http or https).
std::size_t CheckedCount(const std::vector<CheckedLink>& links);
// Moving `moving` of `checked` links into リンク切れ takes the user's word (a question, or
// --force): more than half of them and more than kBrokenMovesWithoutQuestion. So many dead at
// once is likelier a fault on this side (a proxy, a captive portal) than the web.
inline constexpr std::size_t kBrokenMovesWithoutQuestion = 5;
bool TooManyToMove(std::size_t moving, std::size_t checked);
// Moves the entries to the end of the folder `folder` of their root (made at the root's end
// when missing); deletes them. One step each.
CleanupOutcome MoveBrokenLinks(BmLogic& model, const std::vector<NodeRef>& entries,
                               const std::string& folder = kBrokenLinkFolderName);
CleanupOutcome DeleteBrokenLinks(BmLogic& model, const std::vector<NodeRef>& entries);

// Where the web archive lists its copies of a page: https://web.archive.org/web/*/ and the URL
// (blanks, control characters and bytes beyond ASCII percent-encoded).
std::string ArchivedCopyUrl(std::string_view url);

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
