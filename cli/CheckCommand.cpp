// pernard-cli check: checks the links of a collection (or of one folder) with the same engine
// as the desktop program, prints a line per URL as it finishes and a summary, can replace
// redirected URLs by their final ones and move the links gone for good into a folder, and can
// save the collection with what it learnt.

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <cstdio>
#include <iostream>

#include "cli/CliSession.h"
#include "cli/CliUsage.h"
#include "cli/CollectionCommands.h"
#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "linkcheck/CurlLinkChecker.h"
#include "model/LinkCheck.h"
#include "report/UrlListReport.h"

namespace pernard {

namespace {

constexpr int kCliThreadLimit = 32;

// What `check` was asked to do: its arguments, read and checked.
struct CheckArguments {
    CommandLine line;
    int folder = -1;  // the folder whose links are checked; -1 for every link
    int threads = kMaxCheckThreads;
    int timeout = 30;  // seconds, for one whole request
    bool moveBroken = false;
};

// What the check learnt: each entry with its result, once it came (what the clean-up acts on),
// and how many results came to each LinkOutcome.
struct CheckRun {
    std::vector<CheckedLink> links;
    int counts[4] = {};
    int Count(LinkOutcome outcome) const { return counts[static_cast<int>(outcome)]; }
    bool AllFine() const { return Count(LinkOutcome::Broken) + Count(LinkOutcome::Failed) == 0; }
};

// The bookmarks below `folder` (every one when -1), in table order.
std::vector<int> BookmarksBelow(const BmLogic& model, int folder) {
    if (folder >= 0) return ReportEntries(model, folder, true);
    std::vector<int> entries;
    for (int i = 0; i < model.glCT; ++i) {
        if (!model.IsFolder(i)) entries.push_back(i);
    }
    return entries;
}

// Reads a number option when it was given; false (with a message) when it is not a number.
bool ParseNumberOption(const CommandLine& line, const std::string& option, int& number,
                       std::ostream& err) {
    const std::string text = line.Value(option);
    return text.empty() || ParseNumber(option, text, number, err);
}

// Reads the arguments; false, with what is wrong and the usage on `err`, for a usage error.
bool ParseCheckArguments(const std::vector<std::string>& arguments, CheckArguments& check,
                         std::ostream& err) {
    CommandLine& line = check.line;
    if (!ParseCommandLine(arguments,
                          {{"--folder", "--threads", "--timeout", "--to", "--move-broken"},
                           {"--body", "--force", "--fix-redirects", "--fix-redirects=all"}},
                          line, err)) {
        err << CliUsage();
        return false;
    }
    check.moveBroken = line.values.count("--move-broken") > 0;
    if (check.moveBroken && line.Value("--move-broken").empty()) {
        err << "--move-broken needs a folder name\n" << CliUsage();
        return false;
    }
    // The clean-up changes only what is then written.
    const bool cleanUp =
        check.moveBroken || line.Flag("--fix-redirects") || line.Flag("--fix-redirects=all");
    if (cleanUp && line.Value("--to").empty()) {
        err << "--fix-redirects and --move-broken need --to FILE to write the result\n"
            << CliUsage();
        return false;
    }
    if (!ParseNumberOption(line, "--folder", check.folder, err) ||
        !ParseNumberOption(line, "--threads", check.threads, err) ||
        !ParseNumberOption(line, "--timeout", check.timeout, err)) {
        err << CliUsage();
        return false;
    }
    if (check.threads < 1 || check.threads > kCliThreadLimit || check.timeout < 1 ||
        check.timeout > 3600) {
        err << "--threads takes 1 to 32, --timeout 1 to 3600 seconds\n" << CliUsage();
        return false;
    }
    return true;
}

// Whether `err` is the terminal, where the count of links done so far is shown as it grows.
bool ShowsProgress(const std::ostream& err) {
#ifdef _WIN32
    return &err == &std::cerr && _isatty(_fileno(stderr)) != 0;
#else
    return &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
#endif
}

// One line of the check's output: the entry, its status, the final URL, the last-modified time
// and the name.
void PrintResult(const BmLogic& model, int index, const LinkResult& result, std::ostream& out) {
    out << index << '\t' << StatusText(result) << '\t' << EscapeField(result.finalUrl) << '\t'
        << (result.lastModified >= 0 ? std::to_string(result.lastModified) : std::string()) << '\t'
        << EscapeField(model.glName[index]) << '\n'
        << std::flush;
}

// Checks the links asked for, writing what each result says into its entry; prints a line per
// link as its result comes, and the summary.
CheckRun CheckLinks(BmLogic& model, const CheckArguments& check, std::ostream& out,
                    std::ostream& err) {
    CheckRun run;
    std::vector<LinkRequest> requests;
    for (int entry : BookmarksBelow(model, check.folder)) {
        requests.push_back({run.links.size(), std::string(model.glUrl[entry])});
        run.links.push_back({model.RefOf(entry), {}});
    }
    LinkCheckOptions options;
    options.threads = check.threads;
    options.timeoutMs = check.timeout * 1000L;
    options.body = check.line.Flag("--body");
    const bool progress = ShowsProgress(err);
    std::size_t done = 0;
    std::atomic<bool> stop{false};
    CurlLinkChecker checker;
    checker.Run(
        requests, options,
        [&](LinkResult&& result) {
            const NodeRef& entry = run.links[result.token].entry;
            ApplyLinkResult(model, entry, result);
            ++run.counts[static_cast<int>(OutcomeOf(result))];
            if (progress) err << "\r" << ++done << " / " << requests.size() << std::flush;
            PrintResult(model, model.IndexOf(entry), result, out);
            // The clean-up needs the answer, not the page.
            result.headers.clear();
            result.body.clear();
            run.links[result.token].result = std::move(result);
        },
        stop);
    if (progress) err << '\n';
    out << "ok " << run.Count(LinkOutcome::Ok) << ", redirected "
        << run.Count(LinkOutcome::Redirected) << ", broken " << run.Count(LinkOutcome::Broken)
        << ", failed " << run.Count(LinkOutcome::Failed) << '\n';
    return run;
}

// The clean-up asked for: redirected URLs replaced by their final ones, links gone for good
// moved into a folder. False when it stopped short, with nothing to be written then.
bool CleanUp(BmLogic& model, const CheckArguments& check, const std::vector<CheckedLink>& links,
             std::ostream& err) {
    const CommandLine& line = check.line;
    // So many links gone at once is likelier this machine's fault than the web's.
    const std::vector<NodeRef> broken =
        check.moveBroken ? BrokenForGood(links) : std::vector<NodeRef>{};
    if (TooManyToMove(broken.size(), CheckedCount(links)) && !line.Flag("--force")) {
        err << "リンク切れの移動を中止しました : チェックした " << CheckedCount(links)
            << " 件のうち " << broken.size()
            << " 件が切れています。ネットワークを確かめてください（--force で移動します）。何も"
               "書き込んでいません\n";
        return false;
    }
    const bool allRedirects = line.Flag("--fix-redirects=all");
    if (allRedirects || line.Flag("--fix-redirects")) {
        err << ReplaceRedirectedUrls(model, links, allRedirects).summary << '\n';
    }
    if (check.moveBroken) {
        const CleanupOutcome moved = MoveBrokenLinks(model, broken, line.Value("--move-broken"));
        // A refusal (no room for the folders) was said already.
        if (moved.refused) return false;
        err << moved.summary << '\n';
    }
    return true;
}

// Writes the root the checked folder lies in (the first root when the whole table was checked)
// to --to FILE, when given; false when it was not written.
bool WriteCheckedRoot(BmLogic& model, const CheckArguments& check, const NodeRef& checkedFolder,
                      std::ostream& err) {
    const CommandLine& line = check.line;
    if (line.Value("--to").empty()) return true;
    int root = check.folder >= 0 ? model.IndexOf(checkedFolder) : 0;
    while (root > 0 && !model.IsRoot(root)) root = model.ParentOf(root);
    const WriteRequest request{
        .target = line.Value("--to"), .roots = {root}, .force = line.Flag("--force")};
    WriteRefusal refusal = WriteRefusal::None;
    if (!SaveBookmarkFile(model, request, &refusal)) {
        SayDeclined(refusal, err);
        return false;
    }
    return true;
}

}  // namespace

int RunCheck(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CheckArguments check;
    if (!ParseCheckArguments(arguments, check, err)) return 2;
    CliSession session(check.line, err);
    if (!session.Load(check.line.sources, err)) return 2;
    BmLogic& model = session.Model();
    if (check.folder >= 0 && (!model.IsValidIndex(check.folder) || !model.IsFolder(check.folder))) {
        err << "entry " << check.folder << " is not a folder\n";
        return 2;
    }
    // Held by its node: the clean-up moves rows.
    const NodeRef checkedFolder = check.folder >= 0 ? model.RefOf(check.folder) : NodeRef{};
    const CheckRun run = CheckLinks(model, check, out, err);
    if (!CleanUp(model, check, run.links, err)) return 1;
    if (!WriteCheckedRoot(model, check, checkedFolder, err)) return 1;
    return run.AllFine() ? 0 : 1;
}

}  // namespace pernard
