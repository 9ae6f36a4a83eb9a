#include "cli/SyncCommand.h"

#include "cli/CliSession.h"
#include "cli/CliUsage.h"

#include <atomic>
#include <csignal>
#include <filesystem>

#include "model/LoadTransaction.h"
#include "util/CodePage.h"
#include "util/Paths.h"
#include "sync/SyncLink.h"
#include "sync/SyncRun.h"
#include "util/UserFolders.h"
#include "webdav/CurlWebDav.h"

namespace pernard {

namespace {

using sync::FirstSync;
using sync::SharedFormat;

struct SyncTarget {
    std::string folderUrl;
    std::string fileName;
};

// The folder and the file of --remote: an http or https URL that names a file.
bool SplitRemote(const std::string& url, SyncTarget& target, std::ostream& err) {
    const bool web = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
    const std::size_t slash = url.rfind('/');
    const std::size_t hostStart = url.find("//") + 2;
    if (!web || slash == std::string::npos || slash < hostStart || slash + 1 >= url.size()) {
        err << "--remote takes the http or https URL that names the shared file "
               "(https://host/folder/bookmarks.xbel)\n";
        return false;
    }
    target.folderUrl = url.substr(0, slash + 1);
    target.fileName = url.substr(slash + 1);
    return true;
}

bool ParseFirst(const std::string& text, std::optional<FirstSync>& first, std::ostream& err) {
    if (text.empty()) return true;
    if (text == "merge") {
        first = FirstSync::Merge;
    } else if (text == "pull") {
        first = FirstSync::Pull;
    } else if (text == "push") {
        first = FirstSync::Push;
    } else {
        err << "--first takes merge, pull or push\n";
        return false;
    }
    return true;
}

bool ParseFormat(const std::string& text, const std::string& fileName, SharedFormat& format,
                 std::ostream& err) {
    if (text.empty()) {
        format = sync::FormatForName(fileName);
    } else if (text == "html" || text == "xbel") {
        format = text == "html" ? SharedFormat::Html : SharedFormat::Xbel;
    } else {
        err << "--format takes html or xbel\n";
        return false;
    }
    return true;
}

// The options, or the exit status of a usage error (said).
int ParseSync(const std::vector<std::string>& arguments, CommandLine& line, SyncTarget& target,
              sync::SyncOptions& options, std::ostream& err) {
    const VerbOptions verb{{"--remote", "--user", "--format", "--first", "--state"},
                           {"--dry-run", "--force"}};
    if (!ParseCommandLine(arguments, verb, line, err)) {
        err << CliUsage();
        return 2;
    }
    if (line.sources.size() != 1 || line.Value("--remote").empty()) {
        err << "give one LOCAL bookmark file and --remote URL\n" << CliUsage();
        return 2;
    }
    // A read that leaves entries out would send their deletion to every machine.
    if (line.skipDuplicates || line.noEmptyFolders) {
        err << "sync reads LOCAL whole: --skip-duplicates and --no-empty-folders do not apply\n";
        return 2;
    }
    if (!SplitRemote(line.Value("--remote"), target, err) ||
        !ParseFormat(line.Value("--format"), target.fileName, options.format, err) ||
        !ParseFirst(line.Value("--first"), options.first, err)) {
        err << CliUsage();
        return 2;
    }
    options.fileName = target.fileName;
    options.dryRun = line.Flag("--dry-run");
    options.force = line.Flag("--force");
    options.passphrase = EnvironmentVariable("PERNARD_SYNC_PASSPHRASE");
    return 0;
}

// Set by Ctrl+C (and on POSIX by a hang-up or a kill): the run stops at its next step and
// deletes its lock, instead of dying with the lock left on the server for every other client.
std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int) { stopRequested.store(true); }

void StopOnSignals() {
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
#ifndef _WIN32
    std::signal(SIGHUP, RequestStop);
    // Output to a closed pipe fails quietly instead of ending the run halfway.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

}  // namespace

int RunSyncCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CommandLine line;
    SyncTarget target;
    sync::SyncOptions options;
    if (const int usage = ParseSync(arguments, line, target, options, err); usage != 0) return usage;
    CliSession session(line, err);
    BmLogic& model = session.Model();
    const std::string& localPath = line.sources.front();
    std::error_code missing;
    if (options.first && !std::filesystem::exists(localPath, missing)) {
        // A new machine's first sync makes its file: an empty collection to merge into.
        LoadTransaction load(model, true, "");
        load.Builder().AddRoot(FileNamePart(localPath), SourceKind::BookmarkFile, localPath);
        load.Builder().SetCharset(kUtf8);
        load.End(true);
    } else if (!session.Load(line.sources, err)) {
        return 1;
    }
    if (model.glCT == 0 || model.SourceKindOf(0) != SourceKind::BookmarkFile) {
        err << "LOCAL must be a bookmark file: " << line.sources.front() << '\n';
        return 1;
    }
    std::string stateDir = line.Value("--state");
    if (stateDir.empty()) {
        stateDir = sync::SyncStateStore::DefaultDirectory(line.sources.front(), line.Value("--remote"));
    }
    if (stateDir.empty()) {
        err << "no folder for the sync's state: set XDG_DATA_HOME or HOME, or give --state DIR\n";
        return 1;
    }
    // One local file, one shared file: its entries carry that file's ids.
    sync::SyncStateStore store(stateDir);
    const std::string relink = sync::RelinkProblem(localPath, line.Value("--remote"),
                                                   store.HasBase(), options.first.has_value());
    if (!relink.empty()) {
        err << relink << "（切り替えるには --first を付けて新しい共有ファイルと初めての同期をします）\n";
        return 1;
    }
    WebDavSettings settings;
    settings.folderUrl = target.folderUrl;
    settings.user = line.Value("--user");
    settings.password = EnvironmentVariable("PERNARD_SYNC_PASSWORD");
    CurlWebDav server(settings);
    sync::BookmarkFileReplica local(model, 0);
    StopOnSignals();
    options.stop = &stopRequested;
    const sync::SyncReport report = sync::RunSync(server, store, local, options);
    for (const std::string& said : report.Lines()) {
        (report.result == sync::SyncResult::Synced ? out : err) << said << '\n';
    }
    if (report.result != sync::SyncResult::Synced) return 1;
    if (!report.dryRun && !sync::SyncStateStore::LinkRemote(localPath, line.Value("--remote"))) {
        err << "同期した共有ファイルを記録できません\n";
    }
    if (report.dryRun) {
        out << "（試行のみ: どちらにも書き込んでいません）\n";
    } else if (!report.localWritten && !report.remoteWritten) {
        out << "変更はありません\n";
    }
    return 0;
}

}  // namespace pernard
