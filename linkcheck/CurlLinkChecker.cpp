#include "linkcheck/CurlLinkChecker.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "util/Text.h"

namespace pernard {

namespace {

constexpr std::size_t kHeaderLimit = 64 * 1024;

enum class Fetch { Head, HeadersByGet, Body };

// One request in flight.
struct Transfer {
    LinkRequest request;
    Fetch fetch = Fetch::Head;
    int slot = 0;
    CURL* easy = nullptr;
    curl_slist* headerLines = nullptr;
    std::string headers;  // of the latest response (a redirect starts them again)
    std::string server;
    long firstRedirect = 0;          // the status of the first 3xx response
    bool temporaryRedirect = false;  // a 3xx response other than 301 and 308 came
    std::string body;
    bool stoppedOnPurpose = false;  // the write callback ended the transfer: not a failure
    std::size_t bodyLimit = 0;
    char errorText[CURL_ERROR_SIZE] = {};

    ~Transfer() {
        if (easy != nullptr) curl_easy_cleanup(easy);
        curl_slist_free_all(headerLines);
    }
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    if (StartsWithNoCase(line, "HTTP/")) {
        transfer->headers.clear();
        transfer->server.clear();
        // "HTTP/1.1 301 Moved Permanently": each response of a chain of redirects passes here.
        const std::size_t blank = line.find(' ');
        const long status =
            blank == std::string_view::npos ? 0 : std::strtol(line.data() + blank + 1, nullptr, 10);
        if (status >= 300 && status < 400) {
            if (transfer->firstRedirect == 0) transfer->firstRedirect = status;
            if (status != 301 && status != 308) transfer->temporaryRedirect = true;
        }
    }
    if (StartsWithNoCase(line, "Server:")) transfer->server = TrimBlanks(line.substr(7));
    if (transfer->headers.size() + line.size() <= kHeaderLimit) transfer->headers += line;
    return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer->fetch == Fetch::HeadersByGet) {
        // The headers are in: the body is not wanted.
        transfer->stoppedOnPurpose = true;
        return 0;
    }
    const std::size_t room =
        transfer->bodyLimit - std::min(transfer->bodyLimit, transfer->body.size());
    transfer->body.append(data, std::min(room, bytes));
    if (bytes > room) {
        transfer->stoppedOnPurpose = true;
        return 0;
    }
    return bytes;
}

const char* ErrorWord(CURLcode code) {
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            return "timeout";
        case CURLE_COULDNT_CONNECT:
            return "refused";
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return "dns";
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
            return "tls";
        case CURLE_TOO_MANY_REDIRECTS:
            return "redirects";
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return "unsupported";
        default:
            return "error";
    }
}

void Configure(Transfer& transfer, const LinkCheckOptions& options) {
    CURL* easy = transfer.easy;
    curl_easy_setopt(easy, CURLOPT_URL, transfer.request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.errorText);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(options.maxRedirects));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, options.timeoutMs);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, std::min(options.timeoutMs, 30000L));
    curl_easy_setopt(easy, CURLOPT_FILETIME, 1L);
    if (transfer.fetch == Fetch::Head) {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    const std::string agent = options.localProgram.empty()
                                  ? std::string("Pernard/") + PERNARD_VERSION
                                  : options.localProgram;
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    if (!options.referer.empty()) curl_easy_setopt(easy, CURLOPT_REFERER, options.referer.c_str());
    if (!options.cookie.empty()) curl_easy_setopt(easy, CURLOPT_COOKIE, options.cookie.c_str());
    if (!options.email.empty()) {
        transfer.headerLines =
            curl_slist_append(transfer.headerLines, ("From: " + options.email).c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headerLines);
    }
    // The proxy of the settings, or none: never one from the environment.
    curl_easy_setopt(easy, CURLOPT_PROXY, options.proxyHost.c_str());
    if (!options.proxyHost.empty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(options.proxyPort));
    }
    if (!options.userId.empty()) {
        // Any method the server asks for, and only once it has asked (a 401): the credentials
        // are never sent unasked, nor to another host after a redirect.
        curl_easy_setopt(easy, CURLOPT_USERNAME, options.userId.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, options.password.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
    }
}

LinkResult ResultOf(Transfer& transfer, CURLcode code) {
    LinkResult result;
    result.token = transfer.request.token;
    result.url = transfer.request.url;
    result.slot = transfer.slot;
    CURL* easy = transfer.easy;
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    const bool finished =
        code == CURLE_OK || (code == CURLE_WRITE_ERROR && transfer.stoppedOnPurpose);
    if (finished && status > 0) {
        result.status = status;
    } else {
        result.error = ErrorWord(code);
        result.detail =
            transfer.errorText[0] != '\0' ? transfer.errorText : curl_easy_strerror(code);
    }
    char* effective = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective);
    if (effective != nullptr) result.finalUrl = effective;
    long redirects = 0;
    curl_easy_getinfo(easy, CURLINFO_REDIRECT_COUNT, &redirects);
    result.redirects = static_cast<int>(redirects);
    if (redirects > 0) {
        result.redirectStatus = transfer.firstRedirect;
        result.temporaryRedirect = transfer.temporaryRedirect;
    }
    curl_off_t filetime = -1;
    if (curl_easy_getinfo(easy, CURLINFO_FILETIME_T, &filetime) == CURLE_OK && filetime >= 0) {
        result.lastModified = static_cast<long long>(filetime);
    }
    curl_off_t length = -1;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    result.size = length >= 0
                      ? static_cast<long long>(length)
                      : (transfer.body.empty() ? -1 : static_cast<long long>(transfer.body.size()));
    result.server = std::move(transfer.server);
    result.headers = std::move(transfer.headers);
    result.body = std::move(transfer.body);
    return result;
}

// A server that refuses HEAD gets a GET, stopped once its headers are in.
bool RefusesHead(const Transfer& transfer, CURLcode code) {
    if (transfer.fetch != Fetch::Head) return false;
    long status = 0;
    curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
    if (code != CURLE_OK) return code == CURLE_GOT_NOTHING || code == CURLE_RECV_ERROR;
    return status == 400 || status == 403 || status == 405 || status == 501;
}

// One Run of the checker: the requests go out through a curl multi handle, at most one per slot
// at a time and, with an interval, one start per interval; each result goes to the sink as its
// transfer finishes.
class TransferRun {
public:
    TransferRun(const std::vector<LinkRequest>& requests, const LinkCheckOptions& options,
                const LinkChecker::ResultSink& onResult)
        : requests_(requests),
          options_(options),
          onResult_(onResult),
          multi_(curl_multi_init()),
          slots_(static_cast<std::size_t>(std::clamp(options.threads, 1, 32))),
          lastStart_(Clock::now() - Interval()) {}

    ~TransferRun() {
        for (auto& slot : slots_) {
            if (slot != nullptr && slot->easy != nullptr) {
                curl_multi_remove_handle(multi_, slot->easy);
            }
            slot.reset();
        }
        curl_multi_cleanup(multi_);
    }

    TransferRun(const TransferRun&) = delete;
    TransferRun& operator=(const TransferRun&) = delete;

    // Until every request has its result, or `stop` is set.
    void Run(const std::atomic<bool>& stop) {
        while (!stop.load()) {
            StartDue();
            if (inFlight_ == 0 && AllStarted()) break;
            int running = 0;
            curl_multi_perform(multi_, &running);
            // A freed slot takes its next request at once, not after the next wait.
            if (CollectFinished() && !AllStarted() && options_.intervalMs == 0) continue;
            Wait();
        }
    }

private:
    using Clock = std::chrono::steady_clock;

    std::chrono::milliseconds Interval() const {
        return std::chrono::milliseconds(options_.intervalMs);
    }
    bool AllStarted() const { return next_ >= requests_.size(); }

    // Starts the next requests in the free slots once the interval since the last start is
    // over: every free slot without an interval, one with.
    void StartDue() {
        if (Clock::now() - lastStart_ < Interval()) return;
        for (auto& slot : slots_) {
            if (AllStarted()) return;
            if (slot != nullptr) continue;
            StartNext(slot);
            if (options_.intervalMs > 0) return;
        }
    }

    void StartNext(std::unique_ptr<Transfer>& slot) {
        slot = std::make_unique<Transfer>();
        slot->request = requests_[next_++];
        slot->fetch = options_.body ? Fetch::Body : Fetch::Head;
        slot->bodyLimit = options_.bodyLimit;
        slot->easy = curl_easy_init();
        Launch(slot);
    }

    // Sends the slot's request again, as its fetch now says, from a clean response.
    void StartAgain(std::unique_ptr<Transfer>& slot) {
        curl_easy_reset(slot->easy);
        curl_slist_free_all(slot->headerLines);
        slot->headerLines = nullptr;
        slot->headers.clear();
        slot->server.clear();
        slot->firstRedirect = 0;
        slot->temporaryRedirect = false;
        slot->errorText[0] = '\0';
        Launch(slot);
    }

    void Launch(std::unique_ptr<Transfer>& slot) {
        slot->slot = static_cast<int>(&slot - slots_.data());
        Configure(*slot, options_);
        curl_multi_add_handle(multi_, slot->easy);
        ++inFlight_;
        lastStart_ = Clock::now();
    }

    // Takes in the transfers that finished; true when any gave its result.
    bool CollectFinished() {
        bool finishedAny = false;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg != CURLMSG_DONE) continue;
            if (Finish(*message)) finishedAny = true;
        }
        return finishedAny;
    }

    // A finished transfer gives its result and frees its slot, unless its server refused HEAD:
    // then it goes again as a GET. True when it gave its result.
    bool Finish(const CURLMsg& message) {
        Transfer* transfer = nullptr;
        curl_easy_getinfo(message.easy_handle, CURLINFO_PRIVATE, &transfer);
        const CURLcode code = message.data.result;
        curl_multi_remove_handle(multi_, transfer->easy);
        --inFlight_;
        std::unique_ptr<Transfer>& slot = slots_[static_cast<std::size_t>(transfer->slot)];
        if (RefusesHead(*transfer, code)) {
            transfer->fetch = Fetch::HeadersByGet;
            StartAgain(slot);
            return false;
        }
        onResult_(ResultOf(*transfer, code));
        slot.reset();
        return true;
    }

    // Waits for the transfers in flight (at most until the next start is due, and 100 ms), or
    // sleeps as long when none is.
    void Wait() {
        int waitMs = 100;
        if (!AllStarted() && options_.intervalMs > 0) {
            const auto left = Interval() - std::chrono::duration_cast<std::chrono::milliseconds>(
                                               Clock::now() - lastStart_);
            waitMs = static_cast<int>(std::clamp<long long>(left.count(), 0, 100));
        }
        if (inFlight_ > 0) {
            curl_multi_poll(multi_, nullptr, 0, waitMs, nullptr);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::max(waitMs, 1)));
        }
    }

    const std::vector<LinkRequest>& requests_;
    const LinkCheckOptions& options_;
    const LinkChecker::ResultSink& onResult_;
    CURLM* multi_;
    std::vector<std::unique_ptr<Transfer>> slots_;
    std::size_t next_ = 0;  // the next request to start
    int inFlight_ = 0;
    Clock::time_point lastStart_;
};

}  // namespace

CurlLinkChecker::CurlLinkChecker() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void CurlLinkChecker::Run(const std::vector<LinkRequest>& requests, const LinkCheckOptions& options,
                          const ResultSink& onResult, const std::atomic<bool>& stop) {
    TransferRun(requests, options, onResult).Run(stop);
}

}  // namespace pernard
