#include "sync/ServerLock.h"

#include <array>
#include <cstdio>
#include <random>

namespace pernard::sync {

namespace {

constexpr const char* kLockText = "I am a lock file";

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::string NewNonce() {
    std::random_device random;
    char text[17];
    std::snprintf(text, sizeof text, "%08x%08x", random(), random());
    return text;
}

std::string DeviceMark(const std::string& deviceId) { return "device=" + deviceId; }

}  // namespace

std::optional<std::int64_t> ParseHttpDate(const std::string& text) {
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char weekday[4] = {}, month[4] = {}, zone[4] = {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(text.c_str(), "%3s, %d %3s %d %d:%d:%d %3s", weekday, &day, month, &year, &hour,
                    &minute, &second, zone) != 8 ||
        std::string(zone) != "GMT") {
        return std::nullopt;
    }
    for (unsigned m = 0; m < kMonths.size(); ++m) {
        if (std::string(month) != kMonths[m]) continue;
        if (day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || year < 1970) break;
        return DaysFromCivil(year, m + 1, static_cast<unsigned>(day)) * 86400 + hour * 3600 +
               minute * 60 + second;
    }
    return std::nullopt;
}

ServerLock::ServerLock(SyncServer& server, std::string fileName, std::string deviceId)
    : server_(server),
      lockName_(std::move(fileName) + ".lock"),
      deviceId_(std::move(deviceId)),
      nonce_(NewNonce()) {}

ServerLock::~ServerLock() { Release(); }

std::string ServerLock::Body() const {
    return std::string("<html><body>") + kLockText + "<!-- " + DeviceMark(deviceId_) +
           " run=" + nonce_ + " --></body></html>";
}

bool ServerLock::PutOurs(PutCondition condition, const std::string& etag) {
    const ServerReply put = server_.Put(lockName_, Body(), "text/html", condition, etag);
    lastPutStatus_ = put.status;
    if (!put.Ok()) return false;
    putAt_ = std::chrono::steady_clock::now();
    // A server that ignores the condition lets two writers both succeed: the body says who won.
    return StillOurs();
}

bool ServerLock::StillOurs() {
    const ServerReply now = server_.Get(lockName_);
    return now.Ok() && now.body.find("run=" + nonce_) != std::string::npos;
}

ServerLock::Outcome ServerLock::Take(std::string& error) {
    const ServerReply found = server_.Get(lockName_);
    if (!found.Answered()) {
        error = "サーバーにつながりません（" + found.error + "）";
        return Outcome::Unreachable;
    }
    if (found.status == 404) {
        if (PutOurs(PutCondition::IfNoneMatchAny, "")) {
            held_ = true;
            return Outcome::Taken;
        }
        // No lock was there a moment ago: a 409 or 403 is the folder, not another writer.
        if (lastPutStatus_ == 409 || lastPutStatus_ == 403 || lastPutStatus_ == 404 ||
            lastPutStatus_ == 0) {
            error = "サーバーのフォルダーがないか、書き込めません（HTTP " +
                    std::to_string(lastPutStatus_) + "）";
            return Outcome::Failed;
        }
        error = "他の端末が同期中です（ロックを取れませんでした）";
        return Outcome::HeldElsewhere;
    }
    if (!found.Ok()) {
        error = "サーバーがロックの読み込みを拒みました（HTTP " + std::to_string(found.status) + "）";
        return Outcome::Failed;
    }
    const bool ownLeftover = found.body.find(DeviceMark(deviceId_)) != std::string::npos;
    const std::optional<std::int64_t> modified = ParseHttpDate(found.lastModified);
    const std::optional<std::int64_t> now = ParseHttpDate(found.date);
    const bool stale = modified && now && *now - *modified >= kStaleSeconds;
    if (!ownLeftover && !stale) {
        const std::int64_t minutes = modified && now ? (*now - *modified) / 60 : 0;
        error = "他の端末が同期中です（ロックは " + std::to_string(minutes) + " 分前から）";
        return Outcome::HeldElsewhere;
    }
    const PutCondition condition = found.etag.empty() ? PutCondition::None : PutCondition::IfMatch;
    if (PutOurs(condition, found.etag)) {
        held_ = true;
        return Outcome::Taken;
    }
    error = "他の端末が同期中です（ロックを引き継げませんでした）";
    return Outcome::HeldElsewhere;
}

bool ServerLock::Refresh() {
    if (!held_) return false;
    if (std::chrono::steady_clock::now() - putAt_ < kRefreshEvery) return true;
    const ServerReply put = server_.Put(lockName_, Body(), "text/html", PutCondition::None, "");
    if (!put.Ok()) return false;
    putAt_ = std::chrono::steady_clock::now();
    return true;
}

bool ServerLock::Release() {
    if (!held_) return true;
    held_ = false;
    // Only a lock this run holds goes: another's, taken over meanwhile, stays.
    if (!StillOurs()) return true;
    const ServerReply deleted = server_.DeleteLock(lockName_);
    return deleted.Ok() || deleted.status == 404;
}

}  // namespace pernard::sync
