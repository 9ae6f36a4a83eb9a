// pernard-cli check: checks the links of a collection (or of one folder) with the same engine
// as the desktop program, prints a line per URL as it finishes and a summary, can replace
// redirected URLs by their final ones and move the links gone for good into a folder, and can
// save the collection with what it learnt.

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

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

// The bookmarks below `folder` (every one when -1), in table order.
std::vector<int> BookmarksBelow(const BmLogic& model, int folder) {
    if (folder >= 0) return ReportEntries(model, folder, true);
    std::vector<int> entries;
    for (int i = 0; i < model.glCT; ++i) {
        if (!model.IsFolder(i)) entries.push_back(i);
    }
    return entries;
}

}  // namespace

int RunCheck(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CommandLine line;
    if (!ParseCommandLine(arguments,
                          {{"--folder", "--threads", "--timeout", "--to", "--move-broken"},
                           {"--body", "--force", "--fix-redirects", "--fix-redirects=all"}},
                          line, err)) {
        err << CliUsage();
        return 2;
    }
    const bool moveBroken = line.values.count("--move-broken") > 0;
    if (moveBroken && line.Value("--move-broken").empty()) {
        err << "--move-broken needs a folder name\n" << CliUsage();
        return 2;
    }
    // The clean-up changes only what is then written.
    const bool cleanUp =
        moveBroken || line.Flag("--fix-redirects") || line.Flag("--fix-redirects=all");
    if (cleanUp && line.Value("--to").empty()) {
        err << "--fix-redirects and --move-broken need --to FILE to write the result\n"
            << CliUsage();
        return 2;
    }
    int folder = -1;
    int threads = kMaxCheckThreads;
    int timeout = 30;
    if ((!line.Value("--folder").empty() &&
         !ParseNumber("--folder", line.Value("--folder"), folder, err)) ||
        (!line.Value("--threads").empty() &&
         !ParseNumber("--threads", line.Value("--threads"), threads, err)) ||
        (!line.Value("--timeout").empty() &&
         !ParseNumber("--timeout", line.Value("--timeout"), timeout, err))) {
        err << CliUsage();
        return 2;
    }
    if (threads < 1 || threads > kCliThreadLimit || timeout < 1 || timeout > 3600) {
        err << "--threads takes 1 to 32, --timeout 1 to 3600 seconds\n" << CliUsage();
        return 2;
    }
    CliSession session(line, err);
    if (!session.Load(line.sources, err)) return 2;
    BmLogic& model = session.Model();
    if (folder >= 0 && (!model.IsValidIndex(folder) || !model.IsFolder(folder))) {
        err << "entry " << folder << " is not a folder\n";
        return 2;
    }
    const std::vector<int> entries = BookmarksBelow(model, folder);
    // Held by its node: the clean-up moves rows.
    const NodeRef checkedFolder = folder >= 0 ? model.RefOf(folder) : NodeRef{};
    // Each entry with its result, once it came; what the clean-up acts on.
    std::vector<CheckedLink> links;
    std::vector<LinkRequest> requests;
    for (int entry : entries) {
        requests.push_back({links.size(), std::string(model.glUrl[entry])});
        links.push_back({model.RefOf(entry), {}});
    }
    LinkCheckOptions options;
    options.threads = threads;
    options.timeoutMs = timeout * 1000L;
    options.body = line.Flag("--body");
#ifdef _WIN32
    const bool progress = &err == &std::cerr && _isatty(_fileno(stderr)) != 0;
#else
    const bool progress = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
#endif
    int counts[4] = {};
    std::size_t done = 0;
    std::atomic<bool> stop{false};
    CurlLinkChecker checker;
    checker.Run(
        requests, options,
        [&](LinkResult&& result) {
            const NodeRef& entry = links[result.token].entry;
            ApplyLinkResult(model, entry, result);
            const int index = model.IndexOf(entry);
            ++counts[static_cast<int>(OutcomeOf(result))];
            if (progress) err << "\r" << ++done << " / " << requests.size() << std::flush;
            out << index << '\t' << StatusText(result) << '\t' << EscapeField(result.finalUrl)
                << '\t'
                << (result.lastModified >= 0 ? std::to_string(result.lastModified) : std::string())
                << '\t' << EscapeField(model.glName[index]) << '\n'
                << std::flush;
            // The clean-up needs the answer, not the page.
            result.headers.clear();
            result.body.clear();
            links[result.token].result = std::move(result);
        },
        stop);
    if (progress) err << '\n';
    out << "ok " << counts[0] << ", redirected " << counts[1] << ", broken " << counts[2]
        << ", failed " << counts[3] << '\n';
    // So many links gone at once is likelier this machine's fault than the web's.
    const std::vector<NodeRef> broken =
        moveBroken ? BrokenForGood(links) : std::vector<NodeRef>{};
    if (TooManyToMove(broken.size(), CheckedCount(links)) && !line.Flag("--force")) {
        err << "リンク切れの移動を中止しました : チェックした " << CheckedCount(links)
            << " 件のうち " << broken.size()
            << " 件が切れています。ネットワークを確かめてください（--force で移動します）。何も"
               "書き込んでいません\n";
        return 1;
    }
    const bool allRedirects = line.Flag("--fix-redirects=all");
    if (allRedirects || line.Flag("--fix-redirects")) {
        err << ReplaceRedirectedUrls(model, links, allRedirects).summary << '\n';
    }
    if (moveBroken) {
        const CleanupOutcome moved = MoveBrokenLinks(model, broken, line.Value("--move-broken"));
        // A refusal (no room for the folders) was said already.
        if (moved.refused) return 1;
        err << moved.summary << '\n';
    }
    if (!line.Value("--to").empty()) {
        // The root the checked folder lies in (the first root when the whole table was checked).
        int root = folder >= 0 ? model.IndexOf(checkedFolder) : 0;
        while (root > 0 && !model.IsRoot(root)) root = model.ParentOf(root);
        const WriteRequest request{
            .target = line.Value("--to"), .roots = {root}, .force = line.Flag("--force")};
        WriteRefusal refusal = WriteRefusal::None;
        if (!SaveBookmarkFile(model, request, &refusal)) {
            SayDeclined(refusal, err);
            return 1;
        }
    }
    return counts[2] + counts[3] == 0 ? 0 : 1;
}

}  // namespace pernard
