// Times the search over a large table (titles half Japanese, half ASCII; every URL ASCII), with
// and without the width- and case-blind option, and the URL list report of a large folder.
//
//   bench-search [SIZE]        (default: 1000000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "bench/BenchPorts.h"
#include "model/Search.h"
#include "commands/ReportCommands.h"

namespace {

using pernard::BmLogic;

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A root with folders of 10,000 bookmarks each.
void Build(BmLogic& model, int size) {
    pernard::bench::AddRoot(model, "root");
    for (int u = 0; model.glCT < size; ++u) {
        if (u % 10000 == 0) pernard::bench::AddFolder(model, 1, "フォルダー " + std::to_string(u));
        const std::string number = std::to_string(u);
        const std::string name =
            u % 2 == 0 ? "ニュースとお天気の情報 " + number : "Weather and News Portal " + number;
        pernard::bench::AddBookmark(
            model, 2,
            {name, "https://www.example.com/pages/" + number + ".html", "", "", "1600000000"});
    }
}

void TimeSearch(BmLogic& model, const char* keyword, pernard::SearchField field, bool fold) {
    std::size_t hits = 0;
    const double seconds = Seconds([&] {
        hits = pernard::FindEntries(model, pernard::MakeSearchQuery(keyword, field, fold)).size();
    });
    std::printf("search %-28s %-5s %-8s %8zu hits  %.3f s\n", keyword,
                field == pernard::SearchField::Url ? "URL" : "title", fold ? "folded" : "", hits,
                seconds);
}

}  // namespace

int main(int argc, char** argv) {
    const int size = argc > 1 ? std::atoi(argv[1]) : 1000000;
    pernard::bench::BenchModel bench;
    std::string error;
    pernard::bench::ResetTable(bench.model);
    BmLogic& model = bench.model;
    Build(model, size);
    std::printf("%d entries\n", model.glCT);
    using pernard::SearchField;
    TimeSearch(model, "weather 12345", SearchField::Title, false);
    TimeSearch(model, "天気 portal", SearchField::Title, false);
    TimeSearch(model, "nothing-like-this", SearchField::Title, false);
    TimeSearch(model, "pages/9999", SearchField::Url, false);
    TimeSearch(model, "ＷＥＡＴＨＥＲ ﾆｭｰｽ", SearchField::Title, true);
    TimeSearch(model, "nothing-like-this", SearchField::Title, true);
    TimeSearch(model, "PAGES/9999", SearchField::Url, true);

    // The report of a folder of 100,000 bookmarks: the root, listed expanded over ten folders.
    const std::string path =
        (std::filesystem::temp_directory_path() / "pernard-bench-report.htm").string();
    pernard::UrlListPage page;
    page.title = "bench";
    page.now = std::time(nullptr);
    int written = 0;
    pernard::bench::BenchModel reportBench;
    pernard::bench::ResetTable(reportBench.model);
    Build(reportBench.model, 100011);
    bool ok = false;
    const double seconds = Seconds(
        [&] { ok = pernard::SaveUrlListReport(reportBench.model, 0, true, path, page, written, error); });
    std::printf("report of %d bookmarks: %.3f s%s\n", written, seconds, ok ? "" : "  FAILED");
    std::filesystem::remove(path);
    return 0;
}
