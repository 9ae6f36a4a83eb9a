#include "MemoryServer.h"

#include <ctime>

namespace pernard::sync {

std::string HttpDateOf(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &time);
#else
    gmtime_r(&time, &parts);
#endif
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    return text;
}

ServerReply MemoryServer::Reply(int status) {
    ServerReply reply;
    reply.status = status;
    reply.date = HttpDateOf(now);
    return reply;
}

void MemoryServer::Store(const std::string& name, std::string bytes) {
    File& file = files[name];
    file.bytes = std::move(bytes);
    file.etag = "\"e" + std::to_string(++etagCounter_) + "\"";
    file.modified = now;
}

ServerReply MemoryServer::Get(const std::string& name) {
    ++requests;
    if (offline) return ServerReply{0, {}, {}, {}, {}, -1, "offline"};
    const auto found = files.find(name);
    if (found == files.end()) return Reply(404);
    ServerReply reply = Reply(200);
    reply.body = found->second.bytes;
    reply.etag = found->second.etag;
    reply.lastModified = HttpDateOf(found->second.modified);
    reply.length = static_cast<std::int64_t>(reply.body.size());
    return reply;
}

ServerReply MemoryServer::Put(const std::string& name, std::string_view body, std::string_view,
                              PutCondition condition, const std::string& etag) {
    ++requests;
    if (offline) return ServerReply{0, {}, {}, {}, {}, -1, "offline"};
    const bool lock = name.size() > 5 && name.compare(name.size() - 5, 5, ".lock") == 0;
    PutFault fault = PutFault::None;
    if (!lock) {
        fault = nextPut;
        nextPut = PutFault::None;
    }
    if (fault == PutFault::Lost) return ServerReply{0, {}, {}, {}, {}, -1, "connection reset"};
    if (fault == PutFault::OtherWriterFirst && otherWriter) otherWriter(*this);
    const auto found = files.find(name);
    if (condition == PutCondition::IfNoneMatchAny && found != files.end()) return Reply(412);
    if (condition == PutCondition::IfMatch && (found == files.end() || found->second.etag != etag)) {
        return Reply(412);
    }
    const bool existed = found != files.end();
    Store(name, std::string(body));
    if (fault == PutFault::AnswerLost) return ServerReply{0, {}, {}, {}, {}, -1, "timed out"};
    ServerReply reply = Reply(existed ? 204 : 201);
    reply.etag = files[name].etag;
    return reply;
}

ServerReply MemoryServer::Stat(const std::string& name) {
    ++requests;
    if (offline) return ServerReply{0, {}, {}, {}, {}, -1, "offline"};
    const auto found = files.find(name);
    if (found == files.end()) return Reply(404);
    ServerReply reply = Reply(207);
    reply.etag = found->second.etag;
    reply.length = static_cast<std::int64_t>(found->second.bytes.size());
    return reply;
}

ServerReply MemoryServer::DeleteLock(const std::string& name) {
    ++requests;
    if (offline) return ServerReply{0, {}, {}, {}, {}, -1, "offline"};
    if (name.size() < 5 || name.compare(name.size() - 5, 5, ".lock") != 0) {
        ++deletesOfFile;
        return Reply(403);
    }
    return files.erase(name) != 0 ? Reply(204) : Reply(404);
}

}  // namespace pernard::sync
