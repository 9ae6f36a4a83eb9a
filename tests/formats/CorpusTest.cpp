// Reads the real bookmark files of the shared corpus, when it is present next to the project.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "formats/favorites/FavoritesReader.h"
#include "model/Duplicates.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TestFiles.h"
#include "util/CodePage.h"
#include "util/Text.h"

using namespace pernard;
using pernard::testing::CorpusDir;
using pernard::testing::TestModel;

namespace {

struct Expected {
    const char* file;
    int roots;
    int folders;
    int urls;
};

struct Counts {
    int roots = 0, folders = 0, urls = 0;
};

// Reads one corpus file as a complete load, with room for every entry.
void ReadCorpusFile(TestModel& t, const std::filesystem::path& file) {
    t.settings.maxUrl = "1000000";
    int urls = 0;
    std::string error;
    Unpacked(LoadSource(t.model, true, file.string(), SourceKind::BookmarkFile), urls, error);
}

Counts CountKinds(const BmLogic& model) {
    Counts counts;
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        if (model.gloya[k] < 0) {
            ++counts.roots;
        } else if (model.glUrl[k] == kFolderMarker) {
            ++counts.folders;
        } else {
            ++counts.urls;
        }
    }
    return counts;
}

// What a person sees when opening each file: how many roots, folders and bookmarks.
const Expected kExpected[] = {
    {"chrome-export-zh-cn-2019-netscape-bookmark-tree.html", 1, 3, 11},
    {"edge-export-ja-crlf-icons-dscr.html", 1, 1, 3},
    {"firefox-export-nested-shaarli-parser.htm", 1, 6, 24},
    {"ie-export-ja-utf8-bom-crlf-url-suffix.htm", 1, 12, 759},
    {"ie11-export-nested-bom-shaarli-parser.htm", 1, 9, 27},
    {"mozilla1-export-utf8-perl-netscape-bookmarks.html", 1, 33, 219},
    {"netscape4-export-latin1-mixed-eol-gtkbookmark.htm", 1, 188, 1231},
    // The second copy in this page has no TITLE line, so its folders join the first root.
    {"netscape405-two-exports-in-page-crlf.htm", 1, 21, 80},
    {"safari-export-fr-folded-tabs-netscape-go.htm", 1, 5, 3},
    // Entries spread over several lines by a formatter or an exporter.
    {"linkace-export-prettified-multiline-tags.html", 1, 0, 5},
    {"chromium-test-redditsaver-one-tag-per-line.html", 1, 1, 2},
    {"synthetic-flat-1000-links-netscape-go.htm", 1, 0, 1000},
    {"not-a-bookmark-file-crlf-dscr.html", 0, 0, 0},
    {"pocket-export-ja-ul-li-not-netscape.html", 1, 0, 0},
};

// A name holding bytes that did not decode is written back with those very bytes: the source
// and the saved file both hold the name's bytes.
void ExpectKeptBytesWrittenBack(const BmLogic& model, int root, const std::filesystem::path& source,
                                const std::string& saved) {
    const std::string charset = model.RootCharset(root);
    if (charset != kCp932 && charset != kUtf8) return;
    const std::string sourceBytes = pernard::testing::ReadBytes(source.string());
    const std::string savedBytes = pernard::testing::ReadBytes(saved);
    for (int i = root; i < model.glCT && (i == root || model.gloya[i] >= 0); ++i) {
        const std::string_view name = model.glName[i];
        if (!HasKeptBytes(name) || name.find_first_of("&<>\"") != std::string::npos) continue;
        std::string bytes;
        TextEncoder(charset, nullptr, true).Encode(name, bytes);
        EXPECT_NE(sourceBytes.find(bytes), std::string::npos) << source << " " << i;
        EXPECT_NE(savedBytes.find(bytes), std::string::npos) << source << " " << i;
    }
}

}  // namespace

TEST(Corpus, EveryFileReadsWithoutHarm) {
    const auto dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "the shared corpus is not next to the project";
    for (const auto& entry : std::filesystem::directory_iterator(dir / "netscape")) {
        TestModel t;
        t.settings.maxUrl = "1000000";
        int urls = 0;
        std::string error;
        Unpacked(LoadSource(t.model, true, entry.path().string(), SourceKind::BookmarkFile), urls,
                 error);
        EXPECT_EQ(t.model.Tree().Count(), t.model.glCT) << entry.path();
        for (int i = 0; i < t.model.glCT; ++i) {
            const std::size_t k = static_cast<std::size_t>(i);
            EXPECT_TRUE(IsValidUtf8(ShownText(t.model.glName[k]))) << entry.path() << " " << i;
            EXPECT_LT(t.model.gloya[k], i);
        }
        EXPECT_EQ(CountKinds(t.model).urls, urls) << entry.path();
        // Just read, nothing has changed; nor after the same file is added again, or read
        // again without its empty folders.
        EXPECT_TRUE(t.model.ChangedRoots().empty()) << entry.path();
        Unpacked(LoadSource(t.model, false, entry.path().string(), SourceKind::BookmarkFile), urls,
                 error);
        EXPECT_TRUE(t.model.ChangedRoots().empty()) << entry.path();
        t.settings.noEmptyFolders = true;
        Unpacked(LoadSource(t.model, true, entry.path().string(), SourceKind::BookmarkFile), urls,
                 error);
        EXPECT_TRUE(t.model.ChangedRoots().empty()) << entry.path();
    }
}

TEST(Corpus, DuplicatesOfEachLevelStayTogetherAtTheLooserOnes) {
    const auto dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "the shared corpus is not next to the project";
    // Later entries with an earlier match: exact, same resource, loose.
    const std::map<std::string, std::vector<int>> known = {
        {"netscape4-export-latin1-mixed-eol-gtkbookmark.htm", {48, 52, 55}},
        {"synthetic-flat-1000-links-netscape-go.htm", {2, 2, 9}},
    };
    const UrlMatch levels[] = {
        {MatchLevel::Exact, {}}, {MatchLevel::SameResource, {}}, {MatchLevel::Loose, {}}};
    for (const auto& entry : std::filesystem::directory_iterator(dir / "netscape")) {
        TestModel t;
        ReadCorpusFile(t, entry.path());
        std::vector<int> laterOnes;
        std::vector<int> stricter;
        for (const UrlMatch& match : levels) {
            const std::vector<int> earliest = EarliestMatches(t.model, match);
            int later = 0;
            for (std::size_t i = 0; i < earliest.size(); ++i) {
                if (earliest[i] < 0) continue;
                const std::string_view url = t.model.glUrl[static_cast<int>(i)];
                const std::string key = UrlMatchKey(url, match);
                EXPECT_EQ(UrlMatchKey(key, match), key) << url;
                if (earliest[i] != static_cast<int>(i)) ++later;
                // Two entries that match at a stricter level match here.
                if (!stricter.empty()) {
                    EXPECT_EQ(earliest[i], earliest[static_cast<std::size_t>(stricter[i])]) << url;
                }
            }
            laterOnes.push_back(later);
            stricter = earliest;
        }
        const auto expected = known.find(entry.path().filename().string());
        if (expected != known.end()) {
            EXPECT_EQ(laterOnes, expected->second) << entry.path();
        }
    }
}

TEST(Corpus, FilesHoldWhatTheirBrowsersShow) {
    const auto dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "the shared corpus is not next to the project";
    for (const auto& expected : kExpected) {
        TestModel t;
        ReadCorpusFile(t, dir / "netscape" / expected.file);
        const Counts counts = CountKinds(t.model);
        EXPECT_EQ(counts.roots, expected.roots) << expected.file;
        EXPECT_EQ(counts.folders, expected.folders) << expected.file;
        EXPECT_EQ(counts.urls, expected.urls) << expected.file;
    }
}

TEST(Corpus, JapaneseNamesAreNotGarbled) {
    const auto dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "the shared corpus is not next to the project";
    TestModel t;
    t.settings.maxUrl = "1000000";
    int urls = 0;
    std::string error;
    Unpacked(
        LoadSource(t.model, true, (dir / "netscape/edge-export-ja-crlf-icons-dscr.html").string(),
                   SourceKind::BookmarkFile),
        urls, error);
    ASSERT_GE(t.model.glCT, 2);
    EXPECT_EQ(t.model.glName[1], "お気に入りバー");
    EXPECT_EQ(t.model.RootCharset(0), "UTF-8");

    Unpacked(LoadSource(t.model, true,
                        (dir / "netscape/ie-export-ja-utf8-bom-crlf-url-suffix.htm").string(),
                        SourceKind::BookmarkFile),
             urls, error);
    bool anyJapanese = false;
    for (int i = 0; i < t.model.glCT; ++i) {
        const std::string_view name = t.model.glName[i];
        if (name.find("Yahoo! JAPAN") != std::string::npos) anyJapanese = true;
        EXPECT_EQ(name.find("\xEF\xBF\xBD"), std::string::npos) << name;
    }
    EXPECT_TRUE(anyJapanese);
}

namespace {

// The entries of the root at `root` and below it, one line each with every text.
std::string Subtree(const BmLogic& model, int root) {
    std::string dump;
    for (int i = root + 1; i < model.glCT && model.gloya[i] != -1; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        dump += std::to_string(i - root) + "|" + std::to_string(model.gloya[k] - root) + "|" +
                std::string(model.glName[k]) + "|" + std::string(model.glUrl[k]) + "|" +
                std::string(model.glAdd[k]) + "|" + std::string(model.glVisit[k]) + "|" +
                std::string(model.glLast[k]) + "\n";
    }
    return dump;
}

}  // namespace

TEST(Corpus, EveryFileSurvivesReadSaveRead) {
    const auto dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "the shared corpus is not next to the project";
    pernard::testing::TempDir temp;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "netscape")) {
        TestModel t;
        ReadCorpusFile(t, entry.path());
        int urls = 0;
        std::string error;
        for (int root = 0; root < t.model.glCT; ++root) {
            if (t.model.gloya[root] != -1) continue;
            const std::string saved = (temp.Path() / "saved.htm").string();
            ASSERT_TRUE(WriteBookmarkFile(t.model, saved, root)) << entry.path();
            TestModel again;
            again.settings.maxUrl = "1000000";
            ASSERT_TRUE(Unpacked(LoadSource(again.model, true, saved, SourceKind::BookmarkFile),
                                 urls, error))
                << entry.path();
            EXPECT_EQ(again.model.glName[0], t.model.glName[root]);
            EXPECT_EQ(Subtree(again.model, 0), Subtree(t.model, root)) << entry.path();
            ExpectKeptBytesWrittenBack(t.model, root, entry.path(), saved);
        }
    }
}

TEST(Corpus, RealFavoritesDirectory) {
    const auto dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "the shared corpus is not next to the project";
    TestModel t;
    int urls = 0;
    std::string error;
    const std::string favorites = (dir / "url" / "favorites-tree-ie10-win8").string();
    ASSERT_TRUE(Unpacked(LoadSource(t.model, true, favorites, SourceKind::Favorites), urls, error));
    EXPECT_EQ(pernard::testing::DumpTable(t.model),
              "0 -1 R " + favorites +
                  "\n"
                  "1 0 F Links\n"
                  "2 1 U Suggested Sites (23) N/A\n"
                  "3 1 U Suggested Sites https://ieonline.microsoft.com/#ieslice\n"
                  "4 1 U Web Slice Gallery http://go.microsoft.com/fwlink/?LinkId=121315\n"
                  "5 0 F Microsoft Websites\n"
                  "6 5 U IE Add-on site http://go.microsoft.com/fwlink/?LinkId=50893\n"
                  "7 5 U Microsoft Store http://go.microsoft.com/fwlink/?linkid=140813\n"
                  "8 0 U Bing http://go.microsoft.com/fwlink/p/?LinkId=255142\n");
    for (const auto& entry : std::filesystem::directory_iterator(dir / "url")) {
        if (entry.is_directory()) continue;
        EXPECT_NE(ReadShortcutUrl(entry.path().string()), "N/A") << entry.path();
    }
}

TEST(Corpus, LegacyFilesReadInTheEncodingChosenForThem) {
    const auto dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "the shared corpus is not next to the project";
    struct Case {
        const char* file;
        const char* encoding;
        const char* name;  // a name the file holds
    };
    for (const Case& c : {Case{"ie6-export-zh-gbk-no-doctype-crlf-handedited.htm", "GBK", "射手网"},
                          Case{"netscape4-export-latin1-mixed-eol-gtkbookmark.htm", "Windows-1252",
                               "¤ archaic ruins ¤"}}) {
        TestModel t;
        t.settings.fallbackEncoding = c.encoding;
        ReadCorpusFile(t, dir / "netscape" / c.file);
        bool found = false;
        for (int i = 0; i < t.model.glCT; ++i) {
            const std::string_view name = t.model.glName[i];
            EXPECT_FALSE(HasKeptBytes(name)) << c.file << " " << i;
            found = found || name == c.name;
        }
        EXPECT_TRUE(found) << c.file;
    }
}
