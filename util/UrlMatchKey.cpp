#include "util/UrlMatchKey.h"

#include <uriparser/Uri.h>

#include <array>
#include <cstring>

#include "util/Text.h"

namespace pernard {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The loose rules by name, in the order MatchRuleText tries them.
constexpr std::array<std::pair<const char*, bool LooseRules::*>, 6> kLooseRules{{
    {"fragment", &LooseRules::fragment},
    {"slash", &LooseRules::slash},
    {"index", &LooseRules::index},
    {"tracking", &LooseRules::tracking},
    {"www", &LooseRules::www},
    {"scheme", &LooseRules::scheme},
}};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

char LowerAsciiChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool IsUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string_view TextOf(const UriTextRangeA& range) {
    if (range.first == nullptr) return {};
    return std::string_view(range.first, static_cast<std::size_t>(range.afterLast - range.first));
}

// Appends `text` with its percent-encodings in upper case and the encoded unreserved characters
// decoded; with `lower`, the other letters lowered (a host).
void AppendNormalized(std::string& out, std::string_view text, bool lower) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (c == '%' && k + 2 < text.size()) {
            const int high = HexValue(text[k + 1]);
            const int low = HexValue(text[k + 2]);
            if (high >= 0 && low >= 0) {
                const auto byte = static_cast<unsigned char>(high * 16 + low);
                if (IsUnreserved(byte)) {
                    out +=
                        lower ? LowerAsciiChar(static_cast<char>(byte)) : static_cast<char>(byte);
                } else {
                    out += '%';
                    out += kHexDigits[high];
                    out += kHexDigits[low];
                }
                k += 2;
                continue;
            }
        }
        out += lower ? LowerAsciiChar(c) : c;
    }
}

// Every byte beyond ASCII percent-encoded: what a URI may hold.
void AppendPercentEncodedHighBytes(std::string& out, std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += '%';
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 15];
        }
    }
}

std::string_view DefaultPort(std::string_view scheme) {
    static constexpr std::pair<std::string_view, std::string_view> kPorts[] = {
        {"http", "80"},  {"https", "443"}, {"ws", "80"},     {"wss", "443"},   {"ftp", "21"},
        {"sftp", "22"},  {"ssh", "22"},    {"telnet", "23"}, {"gopher", "70"}, {"nntp", "119"},
        {"ldap", "389"}, {"ldaps", "636"}, {"rtsp", "554"},  {"imap", "143"},  {"pop", "110"},
    };
    for (const auto& [name, port] : kPorts) {
        if (name == scheme) return port;
    }
    return {};
}

// The path without "." and ".." segments (RFC 3986, 5.2.4); `output` is scratch room.
void RemoveDotSegments(std::string& path, std::string& output) {
    if (path.find("/.") == std::string::npos) return;
    std::string_view input = path;
    output.clear();
    auto dropLastSegment = [&output] {
        const std::size_t slash = output.rfind('/');
        output.erase(slash == std::string::npos ? 0 : slash);
    };
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./")) {
            input.remove_prefix(2);
        } else if (input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.remove_prefix(3);
            dropLastSegment();
        } else if (input == "/..") {
            input = "/";
            dropLastSegment();
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const std::size_t end = input.find('/', input[0] == '/' ? 1 : 0);
            const std::size_t length = end == std::string_view::npos ? input.size() : end;
            output.append(input.substr(0, length));
            input.remove_prefix(length);
        }
    }
    path.swap(output);
}

bool IsIndexPage(std::string_view segment) {
    return EqualsNoCase(segment, "index.html") || EqualsNoCase(segment, "index.htm");
}

// Trailing slashes and a final index page, dropped as the rules say until neither applies.
void LoosenPath(std::string& path, const LooseRules& rules) {
    for (bool changed = true; changed;) {
        changed = false;
        if (rules.slash) {
            while (!path.empty() && path.back() == '/') {
                path.pop_back();
                changed = true;
            }
        }
        const std::size_t slash = path.rfind('/');
        if (rules.index && slash != std::string::npos && IsIndexPage(path.substr(slash + 1))) {
            path.erase(slash + 1);
            changed = true;
        }
    }
}

bool IsTrackingParameter(std::string_view parameter) {
    const std::string_view name = parameter.substr(0, parameter.find('='));
    return (name.size() > 4 && EqualsNoCase(name.substr(0, 4), "utm_")) ||
           EqualsNoCase(name, "fbclid") || EqualsNoCase(name, "gclid") ||
           EqualsNoCase(name, "msclkid");
}

// The query without tracking parameters, the others in their order, into `kept`.
void DropTracking(std::string_view query, std::string& kept) {
    kept.clear();
    bool first = true;
    for (std::size_t start = 0; start <= query.size();) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos) end = query.size();
        const std::string_view parameter = query.substr(start, end - start);
        if (!IsTrackingParameter(parameter)) {
            if (!first) kept += '&';
            kept.append(parameter);
            first = false;
        }
        start = end + 1;
    }
}

// The parts of a key as they are made; reused from key to key, so that keying a million URLs
// does not allocate a million times.
struct KeyParts {
    std::string encoded;  // the URL that is parsed, when it had bytes beyond ASCII
    std::string scheme, host, path, query, spare;
};

// The key of a parsed URI with an authority.
void ResourceKey(const UriUriA& uri, const UrlMatch& match, KeyParts& parts, std::string& key) {
    const bool loose = match.level == MatchLevel::Loose;
    const LooseRules& rules = match.loose;
    std::string& scheme = parts.scheme;
    scheme.clear();
    for (char c : TextOf(uri.scheme)) scheme += LowerAsciiChar(c);
    key.clear();

    std::string& host = parts.host;
    host.clear();
    const bool literal = uri.hostData.ip6 != nullptr || uri.hostData.ipFuture.first != nullptr;
    AppendNormalized(host, TextOf(uri.hostText), true);
    if (loose && rules.www && !literal) {
        std::size_t drop = 0;
        while (host.size() - drop > 4 && host.compare(drop, 4, "www.") == 0) drop += 4;
        host.erase(0, drop);
    }

    std::string_view port = TextOf(uri.portText);
    while (port.size() > 1 && port[0] == '0') port.remove_prefix(1);
    if (port == DefaultPort(scheme)) port = {};
    if (loose && rules.scheme && scheme == "http") {
        scheme = "https";
        if (port == DefaultPort(scheme)) port = {};
    }

    key += scheme;
    key += "://";
    if (uri.userInfo.first != nullptr) {
        AppendNormalized(key, TextOf(uri.userInfo), false);
        key += '@';
    }
    if (literal) key += '[';
    key += host;
    if (literal) key += ']';
    if (!port.empty()) {
        key += ':';
        key += port;
    }

    std::string& path = parts.path;
    path.clear();
    if (uri.pathHead == nullptr) path = "/";
    for (const UriPathSegmentA* segment = uri.pathHead; segment != nullptr;
         segment = segment->next) {
        path += '/';
        AppendNormalized(path, TextOf(segment->text), false);
    }
    RemoveDotSegments(path, parts.spare);
    if (loose) LoosenPath(path, rules);
    key += path;

    if (uri.query.first != nullptr) {
        std::string& query = parts.query;
        query.clear();
        AppendNormalized(query, TextOf(uri.query), false);
        if (loose && rules.tracking) {
            DropTracking(query, parts.spare);
            query.swap(parts.spare);
        }
        if (!(loose && rules.tracking && query.empty())) {
            key += '?';
            key += query;
        }
    }
    if (uri.fragment.first != nullptr && !(loose && rules.fragment)) {
        key += '#';
        AppendNormalized(key, TextOf(uri.fragment), false);
    }
}

}  // namespace

void UrlMatchKeyInto(std::string_view url, const UrlMatch& match, std::string& key) {
    // Only a URL of `scheme://authority` form is normalized; anything else is its own key.
    if (match.level == MatchLevel::Exact || url.find("://") == std::string_view::npos) {
        key.assign(url);
        return;
    }
    thread_local KeyParts parts;
    std::string_view text = url;
    if (HasHighBytes(url)) {
        parts.encoded.clear();
        AppendPercentEncodedHighBytes(parts.encoded, url);
        text = parts.encoded;
    }
    UriUriA uri;
    const char* errorAt = nullptr;
    const bool parsed =
        uriParseSingleUriExA(&uri, text.data(), text.data() + text.size(), &errorAt) == URI_SUCCESS;
    if (parsed && uri.scheme.first != nullptr && uri.hostText.first != nullptr) {
        ResourceKey(uri, match, parts, key);
    } else {
        key.assign(url);
    }
    if (parsed) uriFreeUriMembersA(&uri);
}

std::string UrlMatchKey(std::string_view url, const UrlMatch& match) {
    std::string key;
    UrlMatchKeyInto(url, match, key);
    return key;
}

std::string MatchRuleText(std::string_view a, std::string_view b, const UrlMatch& match) {
    if (a == b || match.level == MatchLevel::Exact) return "exact";
    UrlMatch same{MatchLevel::SameResource, {}};
    if (UrlMatchKey(a, same) == UrlMatchKey(b, same)) return "same";
    // The fewest loose rules that still make them match: each is left out when it is not needed.
    UrlMatch needed = match;
    for (const auto& [name, rule] : kLooseRules) {
        if (!(needed.loose.*rule)) continue;
        needed.loose.*rule = false;
        if (UrlMatchKey(a, needed) != UrlMatchKey(b, needed)) needed.loose.*rule = true;
    }
    return "loose:" + LooseRuleNames(needed.loose);
}

bool ParseLooseRules(std::string_view text, LooseRules& rules) {
    if (text == "all") {
        rules = LooseRules{};
        return true;
    }
    LooseRules chosen;
    for (const auto& [name, rule] : kLooseRules) chosen.*rule = false;
    if (text == "none") {
        rules = chosen;
        return true;
    }
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(',', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view word = text.substr(start, end - start);
        bool known = false;
        for (const auto& [name, rule] : kLooseRules) {
            if (word == name) {
                chosen.*rule = true;
                known = true;
            }
        }
        if (!known) return false;
        start = end + 1;
    }
    rules = chosen;
    return true;
}

std::string LooseRuleNames(const LooseRules& rules) {
    std::string names;
    for (const auto& [name, rule] : kLooseRules) {
        if (!(rules.*rule)) continue;
        if (!names.empty()) names += ',';
        names += name;
    }
    return names.empty() ? "none" : names;
}

}  // namespace pernard
