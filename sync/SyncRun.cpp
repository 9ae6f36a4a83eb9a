#include "sync/SyncRun.h"

#include "sync/ApplyMerge.h"
#include "sync/Encryption.h"
#include "sync/ServerLock.h"

namespace pernard::sync {

namespace {

// The shared file as one GET gave it.
struct RemoteFile {
    bool exists = false;
    std::string plain;  // the bytes, decrypted
    std::string etag;
    SyncTree tree;
    bool unchanged = false;  // the bytes as last agreed
    bool unreachable = false;  // the server did not answer
};

constexpr const char* kStoppedText = "同期を中止しました（どちらにも書き込んでいません）";

std::string HttpText(const ServerReply& reply) {
    return reply.Answered() ? "HTTP " + std::to_string(reply.status) : reply.error;
}

// Titles as the local side holds them (SharedTitle), so that a title another client wrote with
// a control character or blanks at its ends is not a change every run.
void CleanTitles(SyncTree& tree) {
    for (SyncItem& item : tree.items) item.title = SharedTitle(item.title);
}

// The shared file as both sides last agreed on it: its bytes and what they read as.
struct Agreed {
    const std::string& bytes;
    const SyncTree* tree;
};

bool Fetch(SyncServer& server, const SyncOptions& options, const Agreed* agreed,
           RemoteFile& remote, std::string& error) {
    remote = RemoteFile{};
    // The size and ETag first: a GET without an ETag takes this one, which is never newer than
    // the bytes that follow (a write in between makes a PUT under it fail, as it should).
    const ServerReply stat = server.Stat(options.fileName);
    const ServerReply got = server.Get(options.fileName);
    if (got.status == 404) return true;
    if (!got.Ok()) {
        remote.unreachable = !got.Answered();
        error = "サーバーのファイルを読めません（" + HttpText(got) + "）";
        return false;
    }
    // A transfer cut short reads as a smaller file: the server must hold just what came.
    const std::int64_t size = static_cast<std::int64_t>(got.body.size());
    if ((got.length >= 0 && got.length != size) || (stat.Ok() && stat.length >= 0 && stat.length != size)) {
        error = "サーバーのファイルを最後まで読めませんでした（大きさが合いません）";
        return false;
    }
    remote.exists = true;
    remote.etag = !got.etag.empty() ? got.etag : stat.Ok() ? stat.etag : std::string();
    if (LooksEncrypted(got.body)) {
        if (options.passphrase.empty()) {
            error = "サーバーのファイルは暗号化されています。パスフレーズが必要です";
            return false;
        }
        const std::optional<std::string> plain = Decrypt(got.body, options.passphrase);
        if (!plain) {
            error = "サーバーのファイルを復号できません（パスフレーズが違います）";
            return false;
        }
        remote.plain = *plain;
    } else {
        remote.plain = got.body;
    }
    if (remote.plain.empty()) return true;
    if (!EndsWhole(remote.plain, options.format)) {
        error = "サーバーのファイルが途中で切れています（最後まで書かれていません）";
        return false;
    }
    // The file as last agreed needs no second read.
    if (agreed != nullptr && remote.plain == agreed->bytes) {
        remote.tree = *agreed->tree;
        remote.unchanged = true;
        return true;
    }
    SharedFileRead read = ReadSharedFile(remote.plain, options.format);
    if (!read.ok) {
        error = read.error;
        return false;
    }
    remote.tree = std::move(read.tree);
    CleanTitles(remote.tree);
    return true;
}

std::vector<std::string> LocalOnlyPaths(const SyncTree& local) {
    std::vector<std::string> paths;
    for (int k = 1; k < local.Size(); ++k) {
        if (local[k].localOnly) paths.push_back(ItemPath(local, k));
    }
    return paths;
}

const char* ContentType(SharedFormat format) {
    return format == SharedFormat::Html ? "text/html; charset=UTF-8" : "application/xml; charset=UTF-8";
}

class Run {
public:
    Run(SyncServer& server, SyncStateStore& store, LocalReplica& local, const SyncOptions& options)
        : server_(server), store_(store), local_(local), options_(options) {}

    SyncReport Go() {
        report_.dryRun = options_.dryRun;
        if (!options_.dryRun && !store_.LockRun()) return Stop(SyncResult::Refused, "この同期は別の実行が進行中です");
        std::string error;
        if (!store_.Load(state_, error)) return Stop(SyncResult::Failed, error);
        report_.firstSync = !state_.hasBase;
        if (state_.hasBase) {
            SharedFileRead base = ReadSharedFile(state_.base, state_.format);
            if (!base.ok) return Stop(SyncResult::Failed, "前回の同期の内容が読めません : " + base.error);
            base_ = std::move(base.tree);
            CleanTitles(base_);
        }
        if (options_.dryRun || (!state_.hasBase && !options_.first)) {
            // A dry run reads and shows; it takes no lock and keeps nothing. So does a first
            // sync not yet told how to go.
            Attempt(nullptr);
            return report_;
        }
        if (state_.fresh && !store_.Save(state_, error)) return Stop(SyncResult::Failed, error);
        ServerLock lock(server_, options_.fileName, state_.deviceId);
        const ServerLock::Outcome taken = lock.Take(error);
        report_.unreachable = taken == ServerLock::Outcome::Unreachable;
        report_.heldElsewhere = taken == ServerLock::Outcome::HeldElsewhere;
        if (taken != ServerLock::Outcome::Taken) {
            return Stop(taken == ServerLock::Outcome::HeldElsewhere ? SyncResult::Refused
                                                                    : SyncResult::Failed,
                        error);
        }
        for (int attempt = 0; attempt < options_.attempts; ++attempt) {
            if (Attempt(&lock) == Step::Done) {
                const bool deleted = lock.Release() && lockDeleted_;
                if (!deleted && report_.result == SyncResult::Synced) {
                    report_.error = "サーバーのロックを削除できませんでした";
                }
                return report_;
            }
        }
        lock.Release();
        return Stop(SyncResult::Failed, "他の書き込みが続いたため同期できませんでした（412）");
    }

private:
    enum class Step { Done, Again };

    SyncReport Stop(SyncResult result, std::string error) {
        report_.result = result;
        report_.error = std::move(error);
        return report_;
    }

    Step Finish(SyncResult result, std::string error = {}) {
        Stop(result, std::move(error));
        return Step::Done;
    }

    bool Stopped() const { return options_.stop != nullptr && options_.stop->load(); }

    Step Attempt(ServerLock* lock) {
        if (Stopped()) return Finish(SyncResult::Refused, kStoppedText);
        std::string error;
        RemoteFile remote;
        const Agreed agreed{state_.base, &base_};
        const bool sameForm = state_.hasBase && state_.format == options_.format;
        if (!Fetch(server_, options_, sameForm ? &agreed : nullptr, remote, error)) {
            report_.unreachable = remote.unreachable;
            return Finish(SyncResult::Failed, error);
        }
        if (!remote.exists && state_.hasBase) {
            if (!options_.force) {
                return Finish(SyncResult::Refused,
                              "サーバーに共有ファイルがありません。前回の同期の後に削除されたか、"
                              "別の場所を指しています（--force でローカルの内容から作り直します）");
            }
            // Made again as if the server still held what was last agreed: every id and the
            // highestId stay, so that the other machines find their entries under them.
            remote.tree = base_;
        }
        if (remote.unchanged && local_.KnownUnchanged()) return Finish(SyncResult::Synced);
        LocalTree local;
        if (!local_.Read(local, error)) return Finish(SyncResult::Refused, error);
        report_.localOnly = LocalOnlyPaths(local.tree);
        report_.local = HoldingOf(local.tree);
        report_.remote = HoldingOf(remote.tree);
        // Nothing changed on either side since the last sync: nothing to merge or write.
        if (remote.unchanged && LocalUnchanged(base_, local.tree)) return Finish(SyncResult::Synced);
        const SyncTree* base = state_.hasBase ? &base_ : nullptr;
        const MergeResult result = MergeTrees(base, local.tree, remote.tree,
                                              options_.first.value_or(FirstSync::Merge));
        report_.toLocal = LocalChanges(result, local.tree);
        report_.toRemote = RemoteChanges(result, remote.tree);
        report_.conflicts = result.conflicts;
        if (!state_.hasBase && !options_.first) {
            report_.dryRun = true;
            return Finish(SyncResult::Refused,
                          "初めての同期です。上の内容を確かめ、--first merge（結合）、pull（サーバーの内容で置き換え）、"
                          "push（サーバーへ送信）のどれかを指定してください");
        }
        report_.failsafes = TrippedFailsafes(Checks(base, remote));
        if (!report_.failsafes.empty() && !options_.force) {
            return Finish(SyncResult::Refused,
                          "同期を止めました。内容を確かめ、よければ --force を付けて実行してください");
        }
        if (lock == nullptr) return Finish(SyncResult::Synced);
        if (Stopped()) return Finish(SyncResult::Refused, kStoppedText);
        const SyncTree shared = RemoteView(result.merged);
        const std::string bytes = WriteSharedFile(shared, options_.format);
        std::string etag = remote.etag;
        if (!remote.exists || bytes != remote.plain) {
            const Put put = PutFile(*lock, remote, shared, bytes, etag);
            if (put == Put::Again) return Step::Again;
            if (put == Put::Failed) return Step::Done;
        }
        // The server's side is done: its lock goes before the local write, which may wait for
        // the user (the window's does), and needs no lock.
        lockDeleted_ = lock->Release();
        if (ChangesLocal(result, local.tree, report_.toLocal)) {
            if (!local_.Write(local, result, error)) return Finish(SyncResult::Failed, error);
            report_.localWritten = true;
        }
        state_.hasBase = true;
        state_.base = bytes;
        state_.format = options_.format;
        state_.etag = etag;
        if (!store_.Save(state_, error)) return Finish(SyncResult::Failed, error);
        return Finish(SyncResult::Synced);
    }

    FailsafeInputs Checks(const SyncTree* base, const RemoteFile& remote) const {
        FailsafeInputs checks;
        checks.base = base;
        checks.remote = remote.exists ? &remote.tree : nullptr;
        checks.format = options_.format;
        checks.formatKnown = state_.hasBase;
        checks.lastFormat = state_.format;
        checks.toLocal = &report_.toLocal;
        checks.toRemote = &report_.toRemote;
        checks.firstChosen = options_.first.has_value();
        return checks;
    }

    enum class Put { Written, Again, Failed };

    Put PutFile(ServerLock& lock, const RemoteFile& remote, const SyncTree& shared,
                const std::string& bytes, std::string& etag) {
        const std::string check = CheckBeforeUpload(shared, bytes, options_.format);
        if (!check.empty()) return Failed(check);
        if (!lock.Refresh()) return Failed("サーバーのロックを保てませんでした");
        if (remote.exists) store_.KeepRemoteVersion(remote.plain);
        const std::string body =
            options_.passphrase.empty() ? bytes : Encrypt(bytes, options_.passphrase);
        const PutCondition condition = !remote.exists        ? PutCondition::IfNoneMatchAny
                                       : remote.etag.empty() ? PutCondition::None
                                                             : PutCondition::IfMatch;
        const ServerReply put =
            server_.Put(options_.fileName, body, ContentType(options_.format), condition, remote.etag);
        if (put.status == 412) return Put::Again;
        if (!put.Ok()) return Failed("サーバーに書き込めません（" + HttpText(put) + "）");
        // What the server holds now must be every byte sent.
        const ServerReply stat = server_.Stat(options_.fileName);
        if (!stat.Ok() || stat.length != static_cast<std::int64_t>(body.size())) {
            return Failed("サーバーに書き込んだファイルの大きさが違います（" +
                          std::to_string(stat.length) + " / " + std::to_string(body.size()) +
                          " バイト）");
        }
        report_.remoteWritten = true;
        etag = !put.etag.empty() ? put.etag : stat.etag;
        return Put::Written;
    }

    Put Failed(std::string error) {
        Stop(SyncResult::Failed, std::move(error));
        return Put::Failed;
    }

    SyncServer& server_;
    SyncStateStore& store_;
    LocalReplica& local_;
    const SyncOptions& options_;
    SyncState state_;
    SyncTree base_;
    bool lockDeleted_ = true;  // the lock, deleted before the local write, went
    SyncReport report_;
};

void AddSide(std::vector<std::string>& lines, const char* side, const SideChanges& changes) {
    for (const std::string& line : changes.lines) lines.push_back(std::string(side) + " " + line);
}

}  // namespace

Holding HoldingOf(const SyncTree& tree) {
    Holding holding;
    for (int k = 1; k < tree.Size(); ++k) ++(tree[k].folder ? holding.folders : holding.bookmarks);
    return holding;
}

std::vector<std::string> SyncReport::Lines() const {
    std::vector<std::string> lines;
    AddSide(lines, "ローカル:", toLocal);
    AddSide(lines, "サーバー:", toRemote);
    for (const Conflict& c : conflicts) {
        std::string line = "競合: " + c.field + " " + c.path;
        if (!c.localValue.empty() || !c.remoteValue.empty()) {
            line += " ローカル「" + c.localValue + "」 サーバー「" + c.remoteValue + "」";
        }
        lines.push_back(line + " → " + c.kept);
    }
    for (const std::string& path : localOnly) lines.push_back("同期対象外: " + path);
    for (const std::string& failsafe : failsafes) lines.push_back("確認: " + failsafe);
    if (!error.empty()) lines.push_back(error);
    return lines;
}

SyncReport RunSync(SyncServer& server, SyncStateStore& store, LocalReplica& local,
                   const SyncOptions& options) {
    return Run(server, store, local, options).Go();
}

}  // namespace pernard::sync
