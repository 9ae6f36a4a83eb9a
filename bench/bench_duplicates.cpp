// Times the duplicate check's grouping of a large table at each match level, and the clean-up
// of the groups (the others deleted, or moved into a folder of their root) with its undo.
// The URLs are of the shapes bookmarks have: paths, queries, fragments, tracking parameters;
// about one in twenty repeats an earlier page, written the same or in another way.
//
//   bench-duplicates [SIZE]        (default: 1000000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "bench/BenchPorts.h"
#include "model/Duplicates.h"

namespace {

using pernard::BmLogic;

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Page `page` as a bookmark would hold it; variant 0 is how it is written first, the others are
// the same page written as other bookmarks hold it.
std::string PageUrl(int page, int variant) {
    const std::string site = "example" + std::to_string(page % 5000) + ".com";
    const std::string path = "/articles/" + std::to_string(page / 7) + "/page-" +
                             std::to_string(page) + (page % 3 == 0 ? ".html" : "/");
    const std::string query = page % 4 == 0 ? "?id=" + std::to_string(page) + "&lang=ja" : "";
    switch (variant) {
        case 1:  // the same bytes
            return "https://www." + site + path + query;
        case 2:  // the same resource
            return "HTTPS://WWW." + site + ":443" + path + query;
        case 3:  // loose: tracking parameters, a fragment, no www, http
            return "http://" + site + path + (query.empty() ? "?" : query + "&") +
                   "utm_source=feed&utm_medium=rss#comments";
        default:
            return "https://www." + site + path + query;
    }
}

void Build(BmLogic& model, int size) {
    pernard::bench::AddRoot(model, "root");
    int page = 0;
    for (int u = 0; model.glCT < size; ++u) {
        if (u % 10000 == 0) pernard::bench::AddFolder(model, 1, "フォルダー " + std::to_string(u));
        // One in twenty an earlier page again, in one of three ways.
        const bool again = u % 20 == 19;
        const int which = again ? (u * 7919) % (page == 0 ? 1 : page) : page++;
        const std::string url = PageUrl(which, again ? 1 + u / 20 % 3 : 0);
        pernard::bench::AddBookmark(
            model, 2,
            {"ページ " + std::to_string(u), url, std::to_string(1500000000 + u % 100000), "", ""});
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int size = argc > 1 ? std::atoi(argv[1]) : 1000000;
    pernard::bench::BenchModel bench;
    pernard::bench::ResetTable(bench.model);
    BmLogic& model = bench.model;
    Build(model, size);
    std::printf("%d entries\n", model.glCT);
    const std::pair<const char*, pernard::MatchLevel> levels[] = {
        {"exact", pernard::MatchLevel::Exact},
        {"same", pernard::MatchLevel::SameResource},
        {"loose", pernard::MatchLevel::Loose},
    };
    for (const auto& [name, level] : levels) {
        std::vector<pernard::DuplicateGroup> groups;
        const double seconds = Seconds([&] {
            groups = pernard::FindDuplicateGroups(model, {level, {}});
        });
        std::size_t entries = 0;
        for (const auto& group : groups) entries += group.entries.size();
        std::printf("group %-6s %7zu groups %8zu entries  %.3f s\n", name, groups.size(), entries,
                    seconds);
    }
    for (const bool intoFolder : {false, true}) {
        std::vector<pernard::DuplicateGroup> groups;
        groups = pernard::FindDuplicateGroups(model, {pernard::MatchLevel::Loose, {}});
        const auto kept = pernard::KeptEntries(model, groups, pernard::KeepRule::Oldest);
        pernard::DuplicateDisposal disposal;
        disposal.intoFolder = intoFolder;
        pernard::CleanupOutcome outcome;
        const double resolve =
            Seconds([&] { outcome = pernard::ResolveDuplicates(model, groups, kept, disposal); });
        const double undo = Seconds([&] { model.Undo(); });
        std::printf("%-34s %7d entries  %.3f s, undo %.3f s\n",
                    intoFolder ? "the others moved into 重複" : "the others deleted",
                    outcome.entries, resolve, undo);
    }
    std::printf("peak memory %ld MB\n", pernard::bench::PeakMegabytes());
    return 0;
}
