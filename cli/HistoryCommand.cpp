#include "cli/HistoryCommand.h"

#include "cli/CliSession.h"
#include "cli/CliUsage.h"
#include "commands/HistoryCommands.h"

namespace pernard {

namespace {

// The one TARGET of the verb, and the version --NAME picks among its versions.
struct Picked {
    std::string target;
    VersionListing listing;
    const KeptVersion* version = nullptr;
};

// 0 when the version was found; else the exit status, said.
int Pick(const CommandLine& line, const std::string& option, const VersionHistory& history,
         Picked& picked, std::ostream& err) {
    if (line.sources.size() != 1) {
        err << "give one TARGET\n" << CliUsage();
        return 2;
    }
    picked.target = line.sources.front();
    picked.listing = history.List(picked.target);
    for (const std::string& skipped : picked.listing.skipped) err << skipped << '\n';
    if (option.empty() || line.values.count(option) == 0) return 0;
    int number = 0;
    if (!ParseNumber(option, line.Value(option), number, err)) {
        err << CliUsage();
        return 2;
    }
    for (const KeptVersion& version : picked.listing.versions) {
        if (version.number == number) picked.version = &version;
    }
    if (picked.version == nullptr) {
        err << "以前の版 " << number << " はありません : " << picked.target << '\n';
        return 1;
    }
    return 0;
}

int PrintDifference(const VersionHistory& history, const Picked& picked, std::ostream& out,
                    std::ostream& err) {
    std::string error;
    const auto before = ReadVersionPlaces(history, *picked.version, error);
    std::optional<std::vector<BookmarkPlace>> after;
    if (before) after = ReadTargetPlaces(picked.target, error);
    if (!before || !after) {
        err << error << '\n';
        return 1;
    }
    const VersionDifference difference = CompareBookmarks(*before, *after);
    for (const std::string& line : difference.lines) out << line << '\n';
    out << DifferenceSummary(difference) << '\n';
    return 0;
}

}  // namespace

int RunHistory(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CommandLine line;
    if (!ParseCommandLine(arguments, {{"--diff"}, {}}, line, err)) {
        err << CliUsage();
        return 2;
    }
    CliSession session(line, err);
    const VersionHistory history = HistoryOf(session.Settings());
    Picked picked;
    if (const int status = Pick(line, "--diff", history, picked, err)) return status;
    if (picked.version != nullptr) return PrintDifference(history, picked, out, err);
    if (picked.listing.versions.empty()) err << "以前の版はありません : " << picked.target << '\n';
    for (const KeptVersion& v : picked.listing.versions) {
        out << v.number << '\t' << VersionTimeText(v.keptAt) << '\t' << v.size << '\t'
            << v.counts.bookmarks << '\t' << v.counts.folders << '\n';
    }
    return 0;
}

int RunRestore(const std::vector<std::string>& arguments, std::ostream& err) {
    CommandLine line;
    if (!ParseCommandLine(arguments, {{"--version"}, {"--force"}}, line, err)) {
        err << CliUsage();
        return 2;
    }
    if (line.values.count("--version") == 0) {
        err << "give the version with --version N\n" << CliUsage();
        return 2;
    }
    CliSession session(line, err);
    const VersionHistory history = HistoryOf(session.Settings());
    Picked picked;
    if (const int status = Pick(line, "--version", history, picked, err)) return status;
    if (!RestoreVersion(session.Model(), history, *picked.version, line.Flag("--force"))) {
        return 1;
    }
    err << "以前の版 " << picked.version->number << "（" << VersionTimeText(picked.version->keptAt)
        << "）に戻しました : " << picked.target << '\n';
    return 0;
}

}  // namespace pernard
