#include "model/LinkCheck.h"

#include <climits>
#include "util/Numbers.h"

namespace pernard {

namespace {

bool ReadInteger(const std::string& text, long long& value) {
    return ParseWholeNumber(text, value);
}

}  // namespace

LinkOutcome OutcomeOf(const LinkResult& result) {
    if (result.status == 0) return LinkOutcome::Failed;
    if (result.status >= 200 && result.status < 300) {
        return result.redirects > 0 ? LinkOutcome::Redirected : LinkOutcome::Ok;
    }
    if (result.status >= 300 && result.status < 400) return LinkOutcome::Redirected;
    return LinkOutcome::Broken;
}

std::string StatusText(const LinkResult& result) {
    if (result.status == 0) return result.error.empty() ? std::string("error") : result.error;
    return std::to_string(result.status);
}

std::string RemarkText(const LinkResult& result) {
    if (result.status == 0) return result.detail;
    if (result.redirects > 0 && result.finalUrl != result.url) return "→ " + result.finalUrl;
    return {};
}

bool ReadCheckParameters(const std::string& threads, const std::string& timeoutMinutes,
                         bool useProxy, const std::string& proxyHost, const std::string& proxyPort,
                         LinkCheckOptions& options, std::string& errorText) {
    long long count = 1;
    if (!ReadInteger(threads, count)) count = 1;
    options.threads = static_cast<int>(count < 1                  ? 1
                                       : count > kMaxCheckThreads ? kMaxCheckThreads
                                                                  : count);
    long long minutes = 0;
    constexpr long long kLongestMinutes = LONG_MAX / 60000;
    if (!ReadInteger(timeoutMinutes, minutes) || minutes <= 0 || minutes > kLongestMinutes) {
        minutes = 1;
    }
    options.timeoutMs = static_cast<long>(minutes * 60000);
    options.proxyHost.clear();
    options.proxyPort = 0;
    if (useProxy && !proxyHost.empty()) {
        long long port = 0;
        if (!ReadInteger(proxyPort, port) || port < 1 || port > 65535) {
            errorText = "プロキシのポート番号は 1 から 65535 で指定してください";
            return false;
        }
        options.proxyHost = proxyHost;
        options.proxyPort = static_cast<int>(port);
    }
    return true;
}

bool ApplyLinkResult(BmLogic& model, const NodeRef& entry, const LinkResult& result) {
    const int index = model.IndexOf(entry);
    if (index < 0) return false;
    if (model.IsFolder(index) || model.glUrl[index] != result.url) return false;
    // Only the page itself dates the bookmark: an error page's date (404, 500, 401, ...) is
    // the error page's.
    const bool success = result.status >= 200 && result.status < 300;
    if (result.lastModified < 0 || !success) return true;
    const std::string seconds = std::to_string(result.lastModified);
    if (model.glLast[index] == seconds) return true;
    model.RecordModified(index, seconds);
    model.MarkChangedOutsideHistory();
    return true;
}

}  // namespace pernard
