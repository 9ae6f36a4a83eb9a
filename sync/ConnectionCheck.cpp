#include "sync/ConnectionCheck.h"

namespace pernard::sync {

namespace {

std::string Status(const ServerReply& reply) {
    return reply.Answered() ? "HTTP " + std::to_string(reply.status) : reply.error;
}

// The words for an answer that is no use, or empty when it is one.
std::string Refusal(const ServerReply& reply) {
    if (!reply.Answered()) return "サーバーに接続できません（" + reply.error + "）";
    if (reply.status == 401) return "ユーザー名かパスワードが違います（HTTP 401）";
    if (reply.status == 403) return "このフォルダーへの書き込みが許されていません（HTTP 403）";
    if (reply.status == 409) return "フォルダーがありません。サーバーで先に作ってください（HTTP 409）";
    return {};
}

constexpr const char* kProbeBody = "Pernard connection test\n";

}  // namespace

std::string ProbeName(const std::string& fileName) { return fileName + ".probe.lock"; }

ConnectionReport CheckConnection(SyncServer& server, const std::string& fileName) {
    ConnectionReport report;
    const ServerReply file = server.Stat(fileName);
    if (const std::string refused = Refusal(file); !refused.empty()) {
        report.lines.push_back(refused);
        return report;
    }
    if (file.Ok()) {
        report.fileExists = true;
        report.lines.push_back("共有ファイルがあります（" + std::to_string(file.length) + " バイト）");
    } else if (file.status == 404) {
        report.lines.push_back("共有ファイルはまだありません。初めての同期で作ります");
    } else {
        report.lines.push_back("共有ファイルを確かめられません（" + Status(file) + "）");
        return report;
    }
    const ServerReply lock = server.Get(fileName + ".lock");
    if (lock.status == 200) {
        report.lockHeld = true;
        report.lines.push_back("他の端末が同期中です（ロックファイルがあります）");
    } else if (lock.status != 404) {
        report.lines.push_back("ロックファイルを確かめられません（" + Status(lock) + "）");
    }
    // The probe: made new, then written again under conditions the server must refuse.
    const std::string probe = ProbeName(fileName);
    const ServerReply made = server.Put(probe, kProbeBody, "text/plain", PutCondition::None, {});
    if (const std::string refused = Refusal(made); !refused.empty() || !made.Ok()) {
        report.lines.push_back(!refused.empty() ? refused
                                                : "フォルダーに書き込めません（" + Status(made) + "）");
        return report;
    }
    report.reached = true;
    const ServerReply again =
        server.Put(probe, kProbeBody, "text/plain", PutCondition::IfNoneMatchAny, {});
    const ServerReply stale =
        server.Put(probe, kProbeBody, "text/plain", PutCondition::IfMatch, "\"pernard-stale\"");
    report.conditionsKept = again.status == 412 && stale.status == 412;
    const ServerReply removed = server.DeleteLock(probe);
    report.lines.push_back("フォルダーに書き込めます");
    if (report.conditionsKept) {
        report.lines.push_back("サーバーは条件付きの書き込み（If-Match）を守ります");
    } else {
        report.lines.push_back(
            "注意: サーバーが条件付きの書き込み（If-Match）を守りません（nginx の WebDAV など）。"
            "同時の書き込みを防ぐのはロックファイルだけになります");
    }
    if (!removed.Ok() && removed.status != 404) {
        report.lines.push_back("確認用のファイル " + probe + " を削除できませんでした（" +
                               Status(removed) + "）");
    }
    return report;
}

}  // namespace pernard::sync
