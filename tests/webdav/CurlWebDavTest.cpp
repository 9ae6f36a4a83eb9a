// The sync's WebDAV client against lighttpd started for the test: reads, conditional writes,
// properties, the lock's deletion, both authentication schemes, Japanese names, a missing folder,
// the body cap; and what a server that never answers, or nothing listening, comes back as.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>

#include "support/LocalHttpServer.h"
#include "support/WebDavServer.h"
#include "webdav/CurlWebDav.h"

using namespace pernard;
using namespace pernard::testing;
using sync::PutCondition;
using sync::ServerReply;
namespace fs = std::filesystem;

namespace {

enum class Client { Open, Basic, Digest, BasicWrong, DigestWrong, MissingFolder, Capped };
enum class Op { Get, PutNew, PutIfMatch, PutAny, Stat, DeleteLock };
// The ETag a PutIfMatch sends: the latest the file had, or the one before it.
enum class Tag { Latest, Stale };

struct Step {
    const char* what;
    Client client;
    Op op;
    std::string name;
    std::string sent;  // the body of a PUT
    int status;        // 2 for any 2xx, 0 for no answer
    // What the file holds on disk after the step (what a GET gives, the size PROPFIND gives);
    // nullopt: it is not there.
    std::optional<std::string> held;
    Tag tag = Tag::Latest;
};

DavAuth AuthOf(Client client) {
    switch (client) {
        case Client::Basic:
        case Client::BasicWrong:
            return DavAuth::Basic;
        case Client::Digest:
        case Client::DigestWrong:
            return DavAuth::Digest;
        default:
            return DavAuth::None;
    }
}

std::unique_ptr<CurlWebDav> MakeClient(const WebDavServer& server, Client client) {
    WebDavSettings settings;
    settings.folderUrl = server.FolderUrl(AuthOf(client));
    settings.folderUrl.pop_back();  // the client adds the final slash itself
    if (client == Client::MissingFolder) {
        settings.folderUrl = server.FolderUrl(DavAuth::None) + "missing";
    }
    if (client != Client::Open && client != Client::MissingFolder && client != Client::Capped) {
        settings.user = WebDavServer::kUser;
        const bool wrong = client == Client::BasicWrong || client == Client::DigestWrong;
        settings.password = wrong ? "wrong" : WebDavServer::kPassword;
    }
    if (client == Client::Capped) settings.bodyLimit = 4;
    settings.connectTimeoutMs = 2000;
    settings.lowSpeedSeconds = 5;
    return std::make_unique<CurlWebDav>(settings);
}

std::optional<std::string> OnDisk(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ServerReply Perform(CurlWebDav& dav, const Step& step, const std::vector<std::string>& etags) {
    const std::string latest = etags.empty() ? "" : etags.back();
    const std::string stale = etags.size() < 2 ? "" : etags[etags.size() - 2];
    switch (step.op) {
        case Op::Get:
            return dav.Get(step.name);
        case Op::PutNew:
            return dav.Put(step.name, step.sent, "application/xml", PutCondition::IfNoneMatchAny,
                           "");
        case Op::PutIfMatch:
            return dav.Put(step.name, step.sent, "application/xml", PutCondition::IfMatch,
                           step.tag == Tag::Latest ? latest : stale);
        case Op::PutAny:
            return dav.Put(step.name, step.sent, "text/html", PutCondition::None, "");
        case Op::Stat:
            return dav.Stat(step.name);
        case Op::DeleteLock:
            return dav.DeleteLock(step.name);
    }
    return {};
}

const std::string kFile = "bookmarks.xbel";
const std::string kLock = "bookmarks.xbel.lock";
const std::string kJapanese = "ブックマーク 一覧#あ?.xbel";
const std::string kFirst = "<xbel>一</xbel>";
const std::string kSecond = "<xbel>二</xbel>";
const std::string kLockBody = "<html><body>I am a lock file</body></html>";
const std::string kPlanted = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n置いた";
// Large enough that a 401's challenge comes before all of it is sent: it goes again.
const std::string kLarge(300 * 1024, 'x');

}  // namespace

TEST(CurlWebDav, SpeaksToARealServer) {
    WebDavServer server;
    if (!server.Installed()) GTEST_SKIP() << server.Problem();
    ASSERT_EQ(server.Problem(), "");
    std::ofstream(server.Folder(DavAuth::None) / "planted.html", std::ios::binary) << kPlanted;

    const Step steps[] = {
        {"a file not there yet", Client::Open, Op::Get, kFile, "", 404, std::nullopt},
        {"has no properties", Client::Open, Op::Stat, kFile, "", 404, std::nullopt},
        {"If-None-Match: * creates it", Client::Open, Op::PutNew, kFile, kFirst, 2, kFirst},
        {"and refuses once it is there", Client::Open, Op::PutNew, kFile, kSecond, 412, kFirst},
        {"a GET gives bytes, size and ETag", Client::Open, Op::Get, kFile, "", 200, kFirst},
        {"PROPFIND gives the size", Client::Open, Op::Stat, kFile, "", 207, kFirst},
        {"If-Match with the latest ETag", Client::Open, Op::PutIfMatch, kFile, kSecond, 2, kSecond},
        {"If-Match with a stale ETag", Client::Open, Op::PutIfMatch, kFile, kFirst, 412, kSecond,
         Tag::Stale},
        {"the GET after the write", Client::Open, Op::Get, kFile, "", 200, kSecond},
        {"a body past the cap", Client::Capped, Op::Get, kFile, "", 0, kSecond},
        {"the lock", Client::Open, Op::PutAny, kLock, kLockBody, 2, kLockBody},
        {"its deletion", Client::Open, Op::DeleteLock, kLock, "", 2, std::nullopt},
        {"no deletion but of a lock", Client::Open, Op::DeleteLock, kFile, "", 0, kSecond},
        {"a file put there by hand", Client::Open, Op::Get, "planted.html", "", 200, kPlanted},
        {"a Japanese name", Client::Open, Op::PutNew, kJapanese, kFirst, 2, kFirst},
        {"read back", Client::Open, Op::Get, kJapanese, "", 200, kFirst},
        {"a missing folder", Client::MissingFolder, Op::PutNew, kFile, kFirst, 409, std::nullopt},
        {"Basic", Client::Basic, Op::PutNew, kFile, kLarge, 2, kLarge},
        {"Basic's read", Client::Basic, Op::Get, kFile, "", 200, kLarge},
        {"Basic, wrong password", Client::BasicWrong, Op::Get, kFile, "", 401, kLarge},
        {"Basic, wrong password, write", Client::BasicWrong, Op::PutAny, kFile, kFirst, 401,
         kLarge},
        {"Digest", Client::Digest, Op::PutNew, kFile, kLarge, 2, kLarge},
        {"Digest's properties", Client::Digest, Op::Stat, kFile, "", 207, kLarge},
        {"Digest, wrong password", Client::DigestWrong, Op::Get, kFile, "", 401, kLarge},
        {"Digest, wrong password, write", Client::DigestWrong, Op::PutAny, kFile, kFirst, 401,
         kLarge},
    };

    std::map<Client, std::unique_ptr<CurlWebDav>> clients;
    std::map<std::string, std::vector<std::string>> etags;  // by folder and name, oldest first
    std::vector<std::string> everyEtag;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        auto& client = clients[step.client];
        if (client == nullptr) client = MakeClient(server, step.client);
        const fs::path file = server.Folder(AuthOf(step.client)) / step.name;
        const fs::path onDisk = step.client == Client::MissingFolder
                                    ? server.Folder(DavAuth::None) / "missing" / step.name
                                    : file;
        std::vector<std::string>& known = etags[file.string()];
        const ServerReply reply = Perform(*client, step, known);

        if (step.status == 2) {
            EXPECT_TRUE(reply.Ok()) << reply.status << " " << reply.error;
        } else {
            EXPECT_EQ(reply.status, step.status) << reply.error;
        }
        EXPECT_EQ(reply.Answered(), step.status != 0);
        EXPECT_EQ(reply.error.empty(), step.status != 0) << reply.error;
        EXPECT_EQ(OnDisk(onDisk), step.held);
        if (!reply.Ok()) continue;
        EXPECT_FALSE(reply.date.empty());
        const bool put =
            step.op == Op::PutNew || step.op == Op::PutIfMatch || step.op == Op::PutAny;
        if (put) {
            // A write gives the file a new ETag, one never seen before.
            ASSERT_FALSE(reply.etag.empty());
            EXPECT_EQ(std::count(everyEtag.begin(), everyEtag.end(), reply.etag), 0);
        } else if (step.op != Op::DeleteLock) {
            EXPECT_EQ(reply.length, static_cast<std::int64_t>(step.held->size()));
            EXPECT_FALSE(reply.etag.empty());
            if (!known.empty()) {
                EXPECT_EQ(reply.etag, known.back());
            }
        }
        if (step.op == Op::Get) {
            EXPECT_EQ(reply.body, *step.held);
            EXPECT_FALSE(reply.lastModified.empty());
        }
        if (!reply.etag.empty() && (known.empty() || known.back() != reply.etag)) {
            known.push_back(reply.etag);
            everyEtag.push_back(reply.etag);
        }
    }
}

TEST(CurlWebDav, NoAnswerIsStatusZeroWithinItsBound) {
    SilentServer silent;
    const std::string closed =
        "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/dav/";
    struct Case {
        const char* what;
        std::string folder;
        long lowSpeedSeconds;
        long totalTimeoutMs;
        bool put;
    };
    const Case cases[] = {
        {"silence, bounded by the low speed", silent.Url("/dav"), 1, 0, false},
        {"silence after a PUT, bounded by the whole", silent.Url("/dav/"), 30, 1000, true},
        {"nothing listening", closed, 30, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WebDavSettings settings;
        settings.folderUrl = c.folder;
        settings.connectTimeoutMs = 1000;
        settings.lowSpeedSeconds = c.lowSpeedSeconds;
        settings.totalTimeoutMs = c.totalTimeoutMs;
        CurlWebDav dav(settings);
        const auto start = std::chrono::steady_clock::now();
        const ServerReply reply =
            c.put ? dav.Put(kFile, kFirst, "application/xml", PutCondition::IfNoneMatchAny, "")
                  : dav.Get(kFile);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(reply.status, 0);
        EXPECT_FALSE(reply.error.empty());
        EXPECT_LT(took, std::chrono::seconds(4));
    }
}

TEST(CurlWebDav, PropertiesAreReadWhateverTheirPrefix) {
    struct Case {
        std::string xml;
        std::int64_t length;
        std::string etag;
    };
    const Case cases[] = {
        {"<D:multistatus xmlns:D=\"DAV:\"><D:response><D:propstat><D:prop>"
         "<D:getcontentlength>5</D:getcontentlength><D:getetag>\"29\"</D:getetag>"
         "</D:prop></D:propstat></D:response></D:multistatus>",
         5, "\"29\""},
        {"<d:multistatus xmlns:d=\"DAV:\"><d:prop><d:getetag>&quot;a-b&quot;</d:getetag>"
         "<d:getcontentlength>\n 12 \n</d:getcontentlength></d:prop></d:multistatus>",
         12, "\"a-b\""},
        {"<multistatus xmlns=\"DAV:\"><prop><getcontentlength xmlns=\"DAV:\">7</getcontentlength>"
         "<getetag>W/\"x\"</getetag></prop></multistatus>",
         7, "W/\"x\""},
        {"<lp1:getcontentlength>0</lp1:getcontentlength><lp1:getetag/>", 0, ""},
        {"<D:getcontentlengthx>9</D:getcontentlengthx><D:getcontentlength>x</D:getcontentlength>",
         -1, ""},
        {"", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        const DavProperties properties = ReadDavProperties(c.xml);
        EXPECT_EQ(properties.length, c.length);
        EXPECT_EQ(properties.etag, c.etag);
    }
}
