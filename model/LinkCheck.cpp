#include "model/LinkCheck.h"

#include <climits>
#include <unordered_set>

#include "util/Numbers.h"

namespace pernard {

namespace {

bool ReadInteger(const std::string& text, long long& value) {
    return ParseWholeNumber(text, value);
}

// The host of an http or https URL, in lower case, without user, password and port; empty for
// anything else.
std::string HostOf(std::string_view url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return {};
    std::string_view authority = url.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    const std::size_t user = authority.rfind('@');
    if (user != std::string_view::npos) authority.remove_prefix(user + 1);
    const std::size_t end = authority.starts_with('[') ? authority.find(']') + 1
                                                       : authority.find(':');
    std::string host(authority.substr(0, end));
    for (char& c : host) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return host;
}

// The resolver found the host of this link: an HTTP answer came, or a failure past the name.
bool NameWasResolved(const LinkResult& result) {
    if (result.status != 0) return true;
    return !result.error.empty() && result.error != "dns" && result.error != "timeout" &&
           result.error != "unsupported";
}

// A host given as an address (IPv4 digits and dots, or an IPv6 address in brackets), which is
// reached without the resolver.
bool IsAddress(std::string_view host) {
    if (host.starts_with('[')) return true;
    return !host.empty() && host.find_first_not_of("0123456789.") == std::string_view::npos;
}

// The host a DNS failure is about: where the redirects had got to.
std::string FailedHostOf(const LinkResult& result) {
    return HostOf(result.finalUrl.empty() ? result.url : result.finalUrl);
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

LinkClass ClassOf(const LinkResult& result) {
    if (result.status == 0) {
        return result.error == "unsupported" ? LinkClass::NotChecked : LinkClass::NoAnswer;
    }
    if (result.status >= 400 && result.status < 500) return LinkClass::ClientError;
    if (result.status < 200 || result.status >= 500) return LinkClass::ServerError;
    if (result.redirects == 0) {
        // A 3xx answer that was not followed (no Location, 304) is its own kind of move.
        if (result.status < 300) return LinkClass::Ok;
        return result.status == 301 || result.status == 308 ? LinkClass::MovedPermanently
                                                            : LinkClass::MovedTemporarily;
    }
    return result.temporaryRedirect ? LinkClass::MovedTemporarily : LinkClass::MovedPermanently;
}

const char* LinkClassText(LinkClass linkClass) {
    switch (linkClass) {
        case LinkClass::Ok:
            return "正常";
        case LinkClass::MovedPermanently:
            return "移転（恒久）";
        case LinkClass::MovedTemporarily:
            return "移転（一時）";
        case LinkClass::ClientError:
            return "クライアントエラー";
        case LinkClass::ServerError:
            return "サーバーエラー";
        case LinkClass::NoAnswer:
            return "応答なし";
        case LinkClass::NotChecked:
            return "対象外";
    }
    return "";
}

bool IsBrokenForGood(const LinkResult& result) {
    return result.status == 404 || result.status == 410 ||
           (result.status == 0 && result.error == "dns");
}

std::string RedirectedUrl(const std::string& url, const std::string& finalUrl) {
    // A browser carries the fragment across a redirect whose target has none.
    const std::size_t hash = url.find('#');
    if (hash == std::string::npos || finalUrl.find('#') != std::string::npos) return finalUrl;
    return finalUrl + url.substr(hash);
}

CleanupOutcome ReplaceRedirectedUrls(BmLogic& model, const std::vector<CheckedLink>& links,
                                     bool temporaryToo) {
    std::vector<UrlChange> changes;
    for (const CheckedLink& link : links) {
        const LinkResult& result = link.result;
        const LinkClass linkClass = ClassOf(result);
        const bool moved = linkClass == LinkClass::MovedPermanently ||
                           (temporaryToo && linkClass == LinkClass::MovedTemporarily);
        if (!moved || result.redirects == 0 || result.status < 200 || result.status >= 300) {
            continue;
        }
        changes.push_back({link.entry, result.url, RedirectedUrl(result.url, result.finalUrl)});
    }
    return model.ReplaceUrls(changes, "リダイレクト先への置換");
}

std::vector<NodeRef> BrokenForGood(const std::vector<CheckedLink>& links) {
    std::unordered_set<std::string> resolved;
    for (const CheckedLink& link : links) {
        const std::string host = HostOf(link.result.url);
        if (NameWasResolved(link.result) && !IsAddress(host)) resolved.insert(host);
    }
    resolved.erase(std::string());
    // A failed name proves the resolver only by a name other than itself.
    auto resolverAnswers = [&resolved](const std::string& failed) {
        return resolved.size() > 1 || (resolved.size() == 1 && !resolved.contains(failed));
    };
    std::vector<NodeRef> entries;
    for (const CheckedLink& link : links) {
        const LinkResult& result = link.result;
        if (!IsBrokenForGood(result)) continue;
        if (result.status == 0 && !resolverAnswers(FailedHostOf(result))) continue;
        entries.push_back(link.entry);
    }
    return entries;
}

std::size_t CheckedCount(const std::vector<CheckedLink>& links) {
    std::size_t checked = 0;
    for (const CheckedLink& link : links) {
        if (!link.result.url.empty() && ClassOf(link.result) != LinkClass::NotChecked) ++checked;
    }
    return checked;
}

bool TooManyToMove(std::size_t moving, std::size_t checked) {
    return moving > kBrokenMovesWithoutQuestion && moving * 2 > checked;
}

CleanupOutcome MoveBrokenLinks(BmLogic& model, const std::vector<NodeRef>& entries,
                               const std::string& folder) {
    return model.MoveIntoRootFolders(entries, folder, "リンク切れの移動");
}

CleanupOutcome DeleteBrokenLinks(BmLogic& model, const std::vector<NodeRef>& entries) {
    return model.DeleteEntries(entries, "リンク切れの削除");
}

std::string ArchivedCopyUrl(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string address = "https://web.archive.org/web/*/";
    for (char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F) {
            address += c;
        } else {
            address += '%';
            address += kHex[byte >> 4];
            address += kHex[byte & 15];
        }
    }
    return address;
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
