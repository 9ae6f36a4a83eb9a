#include "util/WhatwgUrl.h"

#include <cstring>
#include <optional>
#include <vector>

#include "util/Text.h"
#include "util/WhatwgHost.h"

namespace pernard {

namespace {

// The bytes each piece of a URL writes percent-encoded, beyond the controls and non-ASCII
// bytes every piece encodes ("%" itself never is: an encoding already there stays as it is).
enum class EncodeSet { Controls, Fragment, Query, SpecialQuery, Path, Userinfo };

bool InEncodeSet(unsigned char c, EncodeSet set) {
    if (c < 0x20 || c > 0x7E) return true;
    const char* extra = "";
    switch (set) {
        case EncodeSet::Controls:
            return false;
        case EncodeSet::Fragment:
            extra = " \"<>`";
            break;
        case EncodeSet::Query:
            extra = " \"#<>";
            break;
        case EncodeSet::SpecialQuery:
            extra = " \"#<>'";
            break;
        case EncodeSet::Path:
            extra = " \"#<>?`{}";
            break;
        case EncodeSet::Userinfo:
            extra = " \"#<>?`{}/:;=@[\\]^|";
            break;
    }
    return std::strchr(extra, c) != nullptr;
}

void AppendEncoded(std::string& out, std::string_view text, EncodeSet set) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (InEncodeSet(byte, set)) {
            AppendPercentByte(out, byte);
        } else {
            out += c;
        }
    }
}

std::string Encoded(std::string_view text, EncodeSet set) {
    std::string out;
    AppendEncoded(out, text, set);
    return out;
}

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsSpecialScheme(std::string_view scheme) {
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "ws" ||
           scheme == "wss" || scheme == "file";
}

int DefaultPort(std::string_view scheme) {
    if (scheme == "http" || scheme == "ws") return 80;
    if (scheme == "https" || scheme == "wss") return 443;
    if (scheme == "ftp") return 21;
    return -1;
}

// What the parser reads: the text as a browser's string holds it (a byte that is not UTF-8 as
// U+FFFD), without the controls and spaces at its ends, without tabs and line ends anywhere.
std::string Prepared(std::string_view url) {
    std::size_t begin = 0;
    std::size_t end = url.size();
    while (begin < end && static_cast<unsigned char>(url[begin]) <= 0x20) ++begin;
    while (end > begin && static_cast<unsigned char>(url[end - 1]) <= 0x20) --end;
    const std::string_view inner = url.substr(begin, end - begin);
    const bool valid = IsValidUtf8(inner);
    std::string out;
    out.reserve(inner.size());
    for (std::size_t at = 0; at < inner.size();) {
        const int size = std::max(CharSize(inner, at), 1);
        const std::string_view one = inner.substr(at, static_cast<std::size_t>(size));
        at += static_cast<std::size_t>(size);
        if (one == "\t" || one == "\n" || one == "\r") continue;
        out += valid || IsValidUtf8(one) ? one : std::string_view("\xEF\xBF\xBD");
    }
    return out;
}

struct Url {
    std::string scheme;
    bool special = false;
    std::string username;
    std::string password;
    std::optional<std::string> host;
    int port = -1;
    std::optional<std::string> opaquePath;
    std::vector<std::string> path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

bool IsWindowsDriveLetter(std::string_view text) {
    return text.size() == 2 && IsAsciiAlpha(text[0]) && (text[1] == ':' || text[1] == '|');
}

bool IsSingleDot(std::string_view segment) {
    return segment == "." || EqualsNoCase(segment, "%2e");
}

bool IsDoubleDot(std::string_view segment) {
    return segment == ".." || EqualsNoCase(segment, ".%2e") || EqualsNoCase(segment, "%2e.") ||
           EqualsNoCase(segment, "%2e%2e");
}

void ShortenPath(Url& url) {
    if (url.scheme == "file" && url.path.size() == 1 && url.path[0].size() == 2 &&
        IsAsciiAlpha(url.path[0][0]) && url.path[0][1] == ':') {
        return;  // a drive letter is never removed
    }
    if (!url.path.empty()) url.path.pop_back();
}

// Reads path segments from `text` (no query or fragment left in it): each segment encoded,
// "." dropped and ".." removing the one before; a special scheme takes "\" as "/".
void ParseSegments(std::string_view text, Url& url) {
    std::string segment;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        const bool end = at == text.size();
        if (!end && text[at] != '/' && !(url.special && text[at] == '\\')) {
            AppendEncoded(segment, text.substr(at, 1), EncodeSet::Path);
            continue;
        }
        if (IsDoubleDot(segment)) {
            ShortenPath(url);
            if (end) url.path.emplace_back();
        } else if (IsSingleDot(segment)) {
            if (end) url.path.emplace_back();
        } else {
            if (url.scheme == "file" && url.path.empty() && IsWindowsDriveLetter(segment)) {
                segment[1] = ':';
            }
            url.path.push_back(segment);
        }
        segment.clear();
    }
}

// The path after a host: its first "/" (or "\" for a special scheme) opens it. A special
// scheme's path is never empty; another scheme's may be.
void ParsePathAfterHost(std::string_view text, Url& url) {
    if (!text.empty() && (text[0] == '/' || (url.special && text[0] == '\\'))) {
        text.remove_prefix(1);
    } else if (text.empty() && !url.special) {
        return;
    }
    ParseSegments(text, url);
}

// "user:password@host:port": the last "@" ends the user's name and password, the first ":" the
// name.
bool ParseAuthority(std::string_view authority, Url& url) {
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view userinfo = authority.substr(0, at);
        const std::size_t colon = userinfo.find(':');
        url.username = Encoded(userinfo.substr(0, colon), EncodeSet::Userinfo);
        if (colon != std::string_view::npos) {
            url.password = Encoded(userinfo.substr(colon + 1), EncodeSet::Userinfo);
        }
        authority.remove_prefix(at + 1);
        if (authority.empty()) return false;
    }
    std::size_t colon = std::string_view::npos;
    bool inBrackets = false;
    for (std::size_t k = 0; k < authority.size() && colon == std::string_view::npos; ++k) {
        if (authority[k] == '[') inBrackets = true;
        if (authority[k] == ']') inBrackets = false;
        if (authority[k] == ':' && !inBrackets) colon = k;
    }
    const std::string_view hostText = authority.substr(0, colon);
    if (hostText.empty() && (url.special || colon != std::string_view::npos)) return false;
    if (colon != std::string_view::npos) {
        const std::string_view portText = authority.substr(colon + 1);
        long port = 0;
        for (char c : portText) {
            if (c < '0' || c > '9') return false;
            port = port * 10 + (c - '0');
            if (port > 65535) return false;
        }
        if (!portText.empty() && port != DefaultPort(url.scheme)) url.port = static_cast<int>(port);
    }
    url.host = ParseWhatwgHost(hostText, !url.special);
    return url.host.has_value();
}

// A file URL: an optional host after "//" ("localhost" is none), a drive letter kept as the
// path's first segment even where a host would stand.
bool ParseFileBody(std::string_view body, Url& url) {
    url.host = "";
    const auto isSlash = [](char c) { return c == '/' || c == '\\'; };
    if (body.size() >= 2 && isSlash(body[0]) && isSlash(body[1])) {
        const std::size_t hostEnd = std::min(body.find_first_of("/\\", 2), body.size());
        const std::string_view hostText = body.substr(2, hostEnd - 2);
        if (IsWindowsDriveLetter(hostText)) {
            ParseSegments(body.substr(2), url);
            return true;
        }
        if (!hostText.empty()) {
            url.host = ParseWhatwgHost(hostText, false);
            if (!url.host) return false;
            if (*url.host == "localhost") url.host = "";
        }
        ParsePathAfterHost(body.substr(hostEnd), url);
        return true;
    }
    if (!body.empty() && isSlash(body[0])) body.remove_prefix(1);
    ParseSegments(body, url);
    return true;
}

// Everything after "scheme:" up to the query and fragment.
bool ParseBody(std::string_view body, Url& url) {
    if (url.scheme == "file") return ParseFileBody(body, url);
    if (url.special) {
        const std::size_t start = std::min(body.find_first_not_of("/\\"), body.size());
        const std::size_t end = std::min(body.find_first_of("/\\", start), body.size());
        if (!ParseAuthority(body.substr(start, end - start), url)) return false;
        ParsePathAfterHost(body.substr(end), url);
        return true;
    }
    if (body.substr(0, 2) == "//") {
        const std::size_t end = std::min(body.find('/', 2), body.size());
        if (!ParseAuthority(body.substr(2, end - 2), url)) return false;
        ParsePathAfterHost(body.substr(end), url);
        return true;
    }
    if (!body.empty() && body[0] == '/') {
        ParseSegments(body.substr(1), url);
        return true;
    }
    url.opaquePath = Encoded(body, EncodeSet::Controls);
    return true;
}

std::optional<Url> Parse(std::string_view input) {
    Url url;
    if (input.empty() || !IsAsciiAlpha(input[0])) return std::nullopt;
    std::size_t colon = 1;
    while (colon < input.size() &&
           (IsAsciiAlpha(input[colon]) || (input[colon] >= '0' && input[colon] <= '9') ||
            input[colon] == '+' || input[colon] == '-' || input[colon] == '.')) {
        ++colon;
    }
    if (colon >= input.size() || input[colon] != ':') return std::nullopt;
    url.scheme = LowerAscii(input.substr(0, colon));
    url.special = IsSpecialScheme(url.scheme);
    std::string_view rest = input.substr(colon + 1);
    const std::size_t hash = rest.find('#');
    if (hash != std::string_view::npos) {
        url.fragment = Encoded(rest.substr(hash + 1), EncodeSet::Fragment);
        rest = rest.substr(0, hash);
    }
    const std::size_t question = rest.find('?');
    if (question != std::string_view::npos) {
        url.query = Encoded(rest.substr(question + 1),
                            url.special ? EncodeSet::SpecialQuery : EncodeSet::Query);
        rest = rest.substr(0, question);
    }
    if (!ParseBody(rest, url)) return std::nullopt;
    return url;
}

std::string Serialize(const Url& url) {
    std::string out = url.scheme + ":";
    if (url.host) {
        out += "//";
        if (!url.username.empty() || !url.password.empty()) {
            out += url.username;
            if (!url.password.empty()) out += ":" + url.password;
            out += "@";
        }
        out += *url.host;
        if (url.port >= 0) out += ":" + std::to_string(url.port);
    }
    if (url.opaquePath) {
        out += *url.opaquePath;
    } else {
        // Without a host, a path starting with an empty segment would read back as a host.
        if (!url.host && url.path.size() > 1 && url.path[0].empty()) out += "/.";
        for (const std::string& segment : url.path) out += "/" + segment;
    }
    if (url.query) out += "?" + *url.query;
    if (url.fragment) out += "#" + *url.fragment;
    return out;
}

}  // namespace

std::string WhatwgNormalizedUrl(std::string_view url) {
    const std::optional<Url> parsed = Parse(Prepared(url));
    return parsed ? Serialize(*parsed) : std::string(url);
}

}  // namespace pernard
