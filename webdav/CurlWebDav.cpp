#include "webdav/CurlWebDav.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "util/Text.h"

namespace pernard {

using sync::PutCondition;
using sync::ServerReply;

namespace {

// What a request's replies other than a GET's may hold (an error page, a multistatus).
constexpr std::int64_t kSmallBodyLimit = 1 << 20;

const char kPropfindBody[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><propfind xmlns=\"DAV:\"><prop>"
    "<getcontentlength/><getetag/></prop></propfind>";

}  // namespace

// What one request sends.
struct WebDavRequest {
    const char* method = "GET";
    std::string url;
    std::vector<std::string> headers;
    std::string_view upload;
    bool sendsBody = false;
    bool lengthIsFile = false;  // a GET: its Content-Length is the file's size
    std::int64_t bodyLimit = kSmallBodyLimit;
};

namespace {

// One exchange with the server: what goes up, what comes back.
struct Exchange {
    std::string_view upload;
    curl_slist* headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};
    std::size_t sent = 0;
    std::int64_t bodyLimit = 0;
    bool overLimit = false;
    ServerReply reply;

    Exchange() = default;
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    ~Exchange() { curl_slist_free_all(headers); }
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::int64_t ParseLength(std::string_view digits) {
    std::int64_t value = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() && value >= 0 ? value : -1;
}

// Takes the headers the sync needs, whatever their case. A new status line (a 401 before the
// authenticated answer, a 100 Continue) starts them again, so that they are the last answer's.
size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* exchange = static_cast<Exchange*>(user);
    ServerReply& reply = exchange->reply;
    const std::string_view line(data, size * count);
    if (StartsWithNoCase(line, "HTTP/")) {
        reply.etag.clear();
        reply.lastModified.clear();
        reply.date.clear();
        reply.length = -1;
        return size * count;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return size * count;
    const std::string_view field = TrimBlanksView(line.substr(0, colon));
    const std::string value = TrimBlanks(line.substr(colon + 1));
    if (EqualsNoCase(field, "ETag")) {
        reply.etag = value;
    } else if (EqualsNoCase(field, "Last-Modified")) {
        reply.lastModified = value;
    } else if (EqualsNoCase(field, "Date")) {
        reply.date = value;
    } else if (EqualsNoCase(field, "Content-Length")) {
        reply.length = ParseLength(value);
    }
    return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* exchange = static_cast<Exchange*>(user);
    const std::size_t bytes = size * count;
    if (static_cast<std::int64_t>(exchange->reply.body.size() + bytes) > exchange->bodyLimit) {
        exchange->overLimit = true;
        return 0;  // ends the transfer: a write error
    }
    exchange->reply.body.append(data, bytes);
    return bytes;
}

size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
    auto* exchange = static_cast<Exchange*>(user);
    const std::size_t bytes = std::min(
        size * count, exchange->upload.size() - std::min(exchange->sent, exchange->upload.size()));
    std::memcpy(buffer, exchange->upload.data() + exchange->sent, bytes);
    exchange->sent += bytes;
    return bytes;
}

// Lets curl send the body again from the start: after a 401 that asked for credentials, or on a
// new connection.
int OnSeek(void* user, curl_off_t offset, int origin) {
    auto* exchange = static_cast<Exchange*>(user);
    if (origin != SEEK_SET || offset < 0 ||
        static_cast<std::size_t>(offset) > exchange->upload.size()) {
        return CURL_SEEKFUNC_CANTSEEK;
    }
    exchange->sent = static_cast<std::size_t>(offset);
    return CURL_SEEKFUNC_OK;
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string PercentEncoded(std::string_view segment) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : segment) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

ServerReply Refused(std::string why) {
    ServerReply reply;
    reply.error = std::move(why);
    return reply;
}

bool IsLockName(std::string_view name) {
    constexpr std::string_view kSuffix = ".lock";
    return name.size() > kSuffix.size() && name.substr(name.size() - kSuffix.size()) == kSuffix;
}

// The five XML entities and numeric references below 128; the rest is left as it is.
std::string XmlText(std::string_view text) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&quot;", '"'}, {"&amp;", '&'}, {"&lt;", '<'},   {"&gt;", '>'},  {"&apos;", '\''},
        {"&#34;", '"'},  {"&#38;", '&'}, {"&#39;", '\''}, {"&#x22;", '"'}};
    std::string out;
    for (std::size_t k = 0; k < text.size();) {
        bool replaced = false;
        if (text[k] == '&') {
            for (const auto& [entity, c] : kEntities) {
                if (text.substr(k, entity.size()) == entity) {
                    out += c;
                    k += entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[k++];
    }
    return out;
}

// The text of the first element whose local name is `local`, whatever its prefix (or none);
// false when there is none.
bool ElementText(std::string_view xml, std::string_view local, std::string& text) {
    for (std::size_t open = xml.find('<'); open != std::string_view::npos;
         open = xml.find('<', open + 1)) {
        const std::size_t nameEnd = xml.find_first_of(" \t\r\n/>", open + 1);
        if (nameEnd == std::string_view::npos) return false;
        std::string_view name = xml.substr(open + 1, nameEnd - open - 1);
        if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) {
            name.remove_prefix(colon + 1);
        }
        if (name != local) continue;
        const std::size_t close = xml.find('>', nameEnd);
        if (close == std::string_view::npos) return false;
        text.clear();
        if (xml[close - 1] == '/') return true;  // <getetag/>
        const std::size_t end = xml.find('<', close);
        if (end == std::string_view::npos) return false;
        text = XmlText(xml.substr(close + 1, end - close - 1));
        return true;
    }
    return false;
}

void Configure(CURL* easy, const WebDavSettings& settings, const std::string& agent,
               const WebDavRequest& request, Exchange& exchange) {
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, exchange.errorText);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // A redirect is an answer like any other: a PUT is never sent on to somewhere else.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, settings.totalTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, settings.lowSpeedSeconds);
#ifdef _WIN32
    // Windows' own certificate store: Schannel takes it anyway, another TLS backend only so.
    curl_easy_setopt(easy, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NATIVE_CA));
#endif
    if (!settings.user.empty()) {
        // Whichever of the two the server asks for, once it has asked.
        curl_easy_setopt(easy, CURLOPT_USERNAME, settings.user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, settings.password.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH,
                         static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
    }
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange);
    if (request.sendsBody) {
        // Read through a callback that can go back to the start, so that curl can send the body
        // again when the server first answers 401.
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE,
                         static_cast<curl_off_t>(request.upload.size()));
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &OnRead);
        curl_easy_setopt(easy, CURLOPT_READDATA, &exchange);
        curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, &OnSeek);
        curl_easy_setopt(easy, CURLOPT_SEEKDATA, &exchange);
    }
    if (request.method != std::string_view("GET") && request.method != std::string_view("PUT")) {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method);
    }
    for (const std::string& header : request.headers) {
        exchange.headers = curl_slist_append(exchange.headers, header.c_str());
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, exchange.headers);
}

}  // namespace

DavProperties ReadDavProperties(std::string_view xml) {
    DavProperties properties;
    std::string text;
    if (ElementText(xml, "getcontentlength", text)) {
        properties.length = ParseLength(TrimBlanksView(text));
    }
    if (ElementText(xml, "getetag", text)) properties.etag = TrimBlanks(text);
    return properties;
}

CurlWebDav::CurlWebDav(WebDavSettings settings) : settings_(std::move(settings)) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (settings_.folderUrl.empty() || settings_.folderUrl.back() != '/') {
        settings_.folderUrl += '/';
    }
    easy_ = curl_easy_init();
    agent_ = std::string("Pernard/") + PERNARD_VERSION;
}

CurlWebDav::~CurlWebDav() {
    if (easy_ != nullptr) curl_easy_cleanup(easy_);
}

std::string CurlWebDav::FileUrl(std::string_view name) const {
    return settings_.folderUrl + PercentEncoded(name);
}

ServerReply CurlWebDav::Get(const std::string& name) {
    WebDavRequest request;
    request.url = FileUrl(name);
    request.bodyLimit = settings_.bodyLimit;
    request.lengthIsFile = true;
    return Perform(request);
}

ServerReply CurlWebDav::Put(const std::string& name, std::string_view body,
                            std::string_view contentType, PutCondition condition,
                            const std::string& etag) {
    WebDavRequest request;
    request.method = "PUT";
    request.url = FileUrl(name);
    request.upload = body;
    request.sendsBody = true;
    request.headers.push_back("Content-Type: " + std::string(contentType));
    if (condition == PutCondition::IfMatch) {
        if (etag.empty()) return Refused("ETag のない条件付きの書き込みはしません");
        request.headers.push_back("If-Match: " + etag);
    } else if (condition == PutCondition::IfNoneMatchAny) {
        request.headers.push_back("If-None-Match: *");
    }
    return Perform(request);
}

ServerReply CurlWebDav::Stat(const std::string& name) {
    WebDavRequest request;
    request.method = "PROPFIND";
    request.url = FileUrl(name);
    request.upload = kPropfindBody;
    request.sendsBody = true;
    request.headers = {"Depth: 0", "Content-Type: application/xml; charset=utf-8"};
    ServerReply reply = Perform(request);
    if (reply.Ok()) {
        const DavProperties properties = ReadDavProperties(reply.body);
        reply.length = properties.length;
        if (!properties.etag.empty()) reply.etag = properties.etag;
    } else {
        reply.length = -1;
    }
    return reply;
}

ServerReply CurlWebDav::DeleteLock(const std::string& name) {
    if (!IsLockName(name)) return Refused("ロックファイルでないものは削除しません: " + name);
    WebDavRequest request;
    request.method = "DELETE";
    request.url = FileUrl(name);
    return Perform(request);
}

ServerReply CurlWebDav::Perform(const WebDavRequest& request) {
    std::lock_guard lock(mutex_);
    if (easy_ == nullptr) return Refused("curl を初期化できません");
    if (request.url == settings_.folderUrl) return Refused("ファイル名がありません");
    Exchange exchange;
    exchange.upload = request.upload;
    exchange.bodyLimit = request.bodyLimit;
    Configure(easy_, settings_, agent_, request, exchange);
    const CURLcode code = curl_easy_perform(easy_);
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    // Nothing of this exchange stays on the handle but its connection.
    curl_easy_reset(easy_);

    ServerReply reply = std::move(exchange.reply);
    if (code == CURLE_OK && status > 0) {
        reply.status = static_cast<int>(status);
        // A Content-Length is the file's size only in a GET's own answer.
        if (!request.lengthIsFile || !reply.Ok()) reply.length = -1;
        return reply;
    }
    if (exchange.overLimit) {
        return Refused("答えが " + std::to_string(request.bodyLimit) + " バイトを超えました");
    }
    return Refused(exchange.errorText[0] != '\0' ? exchange.errorText : curl_easy_strerror(code));
}

}  // namespace pernard
