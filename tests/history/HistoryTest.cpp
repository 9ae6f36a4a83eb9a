// The earlier versions kept before every overwrite: each write path keeps one, a version comes
// back byte for byte (a Favorites directory file for file), the bounds hold over many saves,
// and what is damaged or foreign in the history is skipped, never restored.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "commands/FavoritesCommands.h"
#include "commands/HistoryCommands.h"
#include "commands/LoadCommands.h"
#include "commands/ReportCommands.h"
#include "commands/SaveCommands.h"
#include "commands/StoreCommands.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TestFiles.h"
#include "cli/CliRun.h"
#include "util/SafeFile.h"

using namespace pernard;
using namespace pernard::testing;
namespace fs = std::filesystem;

namespace {

// Where the command line keeps its history: below the user's data directory.
#ifdef _WIN32
constexpr const char* kDataHome = "LOCALAPPDATA";
#else
constexpr const char* kDataHome = "XDG_DATA_HOME";
#endif

const std::string kFile =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n"
    "<DL><p>\n<DT><H3>旅行</H3>\n<DL><p>\n<DT><A HREF=\"http://a.example/\">あ</A>\n"
    "<DT><A HREF=\"http://b.example/\">い</A>\n</DL><p>\n"
    "<DT><A HREF=\"http://c.example/\">う</A>\n</DL><p>\n";

const std::string kStore = R"({
   "checksum": "",
   "roots": {
      "bookmark_bar": {"children": [ {"id": "4", "name": "u", "type": "url",
         "url": "http://u.example/"} ], "id": "1", "name": "Bar", "type": "folder"},
      "other": {"children": [], "id": "2", "name": "Other", "type": "folder"},
      "synced": {"children": [], "id": "3", "name": "Mobile", "type": "folder"}
   },
   "version": 1
})";

// A collection whose writes keep their versions in a history of its own.
struct Keeping {
    TempDir dir;
    TestModel t;
    std::string history = (dir.Path() / "history").string();
    Keeping() {
        t.settings.historyDirectory = history;
        t.settings.noOverwriteQuestion = true;
    }
    bool Load(const std::string& path) {
        int urls = 0;
        std::string error;
        return Unpacked(LoadSource(t.model, true, path), urls, error);
    }
    VersionHistory History() const { return HistoryOf(t.settings); }
};

// What a directory holds, names and bytes, as one comparable value.
std::vector<ArchivedEntry> Snapshot(const fs::path& directory) {
    std::string error;
    const auto packed = PackDirectory(directory.string(), 1u << 30, error);
    return packed ? UnpackDirectory(packed->packed).value_or(std::vector<ArchivedEntry>{})
                  : std::vector<ArchivedEntry>{};
}

fs::path MakeFavorites(const fs::path& at) {
    fs::create_directories(at / "旅行" / "空");
    std::ofstream(at / "旅行" / "宿.url", std::ios::binary) << ShortcutText("http://inn.example/");
    std::ofstream(at / "top.url", std::ios::binary) << ShortcutText("http://top.example/");
    std::ofstream(at / "desktop.ini", std::ios::binary) << "[.ShellClassInfo]\r\n";
    return at;
}

}  // namespace

// Each way to a file keeps what the file held before it is written over.
TEST(History, EveryWritePathKeepsTheVersionBeforeItWrites) {
    struct Path {
        const char* name;
        bool directory;
        // Prepares the target in `k` and returns it; `write` then writes over it.
        std::function<std::string(Keeping& k)> prepare;
        std::function<bool(Keeping& k, const std::string& target)> write;
    };
    const auto loadedFile = [](Keeping& k) {
        const std::string path = k.dir.Write("b.htm", kFile);
        EXPECT_TRUE(k.Load(path));
        k.t.model.EditFolderEntry(1, "改名", "");
        return path;
    };
    const auto loadedFavorites = [](Keeping& k) {
        const fs::path favorites = MakeFavorites(k.dir.Path() / "Favorites");
        EXPECT_TRUE(k.Load(favorites.string()));
        return favorites.string();
    };
    const std::vector<Path> paths = {
        {"上書保存", false, loadedFile,
         [](Keeping& k, const std::string&) { return SaveRoot(k.t.model, 0); }},
        {"名前を付けて保存 over another file", false,
         [&](Keeping& k) {
             loadedFile(k);
             return k.dir.Write("other.htm", "<TITLE>other</TITLE>\n");
         },
         [](Keeping& k, const std::string& target) {
             return WriteBookmarkFile(k.t.model, target, 0);
         }},
        {"お気に入りの上書保存", true, loadedFavorites,
         [](Keeping& k, const std::string&) {
             k.t.model.EditFolderEntry(1, "改名", "");
             return SaveRoot(k.t.model, 0);
         }},
        {"お気に入りに名前を付けて保存", true,
         [&](Keeping& k) {
             loadedFile(k);
             const fs::path other = MakeFavorites(k.dir.Path() / "other" / "Favorites");
             k.t.dialogs.nextDirectory = other.string();
             return other.string();
         },
         [](Keeping& k, const std::string&) { return SaveAsIE(k.t.model); }},
        {"the page over an existing file", false,
         [&](Keeping& k) {
             loadedFile(k);
             return k.dir.Write("page.htm", "<html>old page</html>\n");
         },
         [](Keeping& k, const std::string& target) {
             int written = 0;
             std::string error;
             UrlListPage page;
             page.title = "t";
             return SaveUrlListReport(k.t.model, 1, false, target, page, written, error);
         }},
        {"the store written back", false,
         [](Keeping& k) {
             const std::string store = k.dir.Write("Default/Bookmarks", kStore);
             EXPECT_TRUE(k.Load(store));
             k.t.model.EditUrlEntry(2, {"改名", "http://u.example/", "", "", ""});
             return store;
         },
         [](Keeping& k, const std::string&) { return SaveBrowserStore(k.t.model, 0); }},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        Keeping k;
        const std::string target = path.prepare(k);
        const std::vector<ArchivedEntry> directoryBefore =
            path.directory ? Snapshot(target) : std::vector<ArchivedEntry>{};
        const std::string fileBefore = path.directory ? "" : ReadBytes(target);
        ASSERT_TRUE(path.write(k, target));
        const VersionListing listing = k.History().List(target);
        ASSERT_EQ(listing.versions.size(), 1u);
        std::string error;
        if (path.directory) {
            EXPECT_EQ(k.History().ReadDirectory(listing.versions[0], error), directoryBefore);
            EXPECT_NE(Snapshot(target), directoryBefore);
        } else {
            EXPECT_EQ(k.History().ReadFile(listing.versions[0], error), fileBefore);
            EXPECT_NE(ReadBytes(target), fileBefore);
        }
    }
    // The command line's writers: save, sort and dedupe over an existing file.
    for (const std::vector<std::string>& line :
         std::vector<std::vector<std::string>>{{"save", "SOURCE", "--to", "TARGET"},
                                               {"sort", "--by", "url", "SOURCE", "--to", "TARGET"},
                                               {"dedupe", "SOURCE", "--to", "TARGET"}}) {
        SCOPED_TRACE(line[0]);
        TempDir dir;
        const ScopedVariable data(kDataHome, dir.Path().string().c_str());
        const std::string source = dir.Write("source.htm", kFile);
        const std::string target = dir.Write("target.htm", "<TITLE>before</TITLE>\n");
        std::vector<std::string> arguments = line;
        for (std::string& argument : arguments) {
            if (argument == "SOURCE") argument = source;
            if (argument == "TARGET") argument = target;
        }
        ASSERT_EQ(RunWith(arguments).status, 0);
        const CliRun listed = RunWith({"history", target});
        EXPECT_EQ(listed.out.substr(0, 2), "1\t") << listed.out << listed.err;
        EXPECT_NE(listed.out.find("\t22\t0\t0\n"), std::string::npos) << listed.out;
    }
}

// Kept linked in or as a compressed copy, file or directory, a version comes back whole, and
// putting it back keeps the present content as a version too.
TEST(History, AVersionComesBackByteForByte) {
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link ? "linked in" : "copied");
        Keeping k;
        const VersionHistory history(k.history, HistoryBounds{.link = link});
        const std::string file = k.dir.Write("b.htm", kFile);
        const fs::path favorites = MakeFavorites(k.dir.Path() / "Favorites");
        const std::vector<ArchivedEntry> before = Snapshot(favorites);
        ASSERT_EQ(VersionHistory(history).Keep(file, VersionFormat::Html).outcome,
                  KeepOutcome::Kept);
        ASSERT_EQ(VersionHistory(history).Keep(favorites.string(), VersionFormat::Directory).outcome,
                  KeepOutcome::Kept);
        // The same bytes again are not kept twice (a link still shared with the file, as after a
        // write that failed, is kept anew in its place).
        EXPECT_NE(VersionHistory(history).Keep(file, VersionFormat::Html).outcome,
                  KeepOutcome::Failed);
        EXPECT_EQ(history.List(file).versions.size(), 1u);
        // Replaced as every writer replaces a file; changed as a save changes a directory.
        SafeFileWriter writer;
        ASSERT_TRUE(writer.Open(file));
        writer.Write("<TITLE>new</TITLE>\n");
        ASSERT_TRUE(writer.Commit());
        fs::remove(favorites / "top.url");
        std::ofstream(favorites / "new.url") << ShortcutText("http://new.example/");
        std::ofstream(favorites / "旅行" / "宿.url") << ShortcutText("http://changed.example/");
        std::ofstream(favorites / "memo.txt") << "the user's own file";

        const VersionListing files = history.List(file);
        ASSERT_EQ(files.versions.size(), 1u);
        EXPECT_EQ(files.versions[0].linked, link);
        EXPECT_EQ(files.versions[0].counts.bookmarks, 3);
        EXPECT_EQ(files.versions[0].counts.folders, 1);
        ASSERT_TRUE(RestoreVersion(k.t.model, history, files.versions[0], false));
        EXPECT_EQ(ReadBytes(file), kFile);
        EXPECT_EQ(history.List(file).versions.size(), 2u);

        const VersionListing directories = history.List(favorites.string());
        ASSERT_EQ(directories.versions.size(), 1u);
        EXPECT_EQ(directories.versions[0].counts.bookmarks, 2);
        ASSERT_TRUE(RestoreVersion(k.t.model, history, directories.versions[0], false));
        // Shortcut files come back as they were; the user's other file stays.
        std::vector<ArchivedEntry> expected = before;
        expected.push_back({"memo.txt", false, "the user's own file"});
        std::sort(expected.begin(), expected.end(),
                  [](const auto& a, const auto& b) { return a.path < b.path; });
        EXPECT_EQ(Snapshot(favorites), expected);
#ifndef _WIN32
        // The user's alone: folders 0700, files 0600 (a linked file, once only the history
        // holds it, which the next keep sees, 0400).
        for (const auto& entry : fs::recursive_directory_iterator(history.Root())) {
            const fs::perms mode = entry.status().permissions() & fs::perms::all;
            const fs::perms file = entry.path().extension() == ".data"
                                       ? fs::perms::owner_read
                                       : fs::perms::owner_read | fs::perms::owner_write;
            EXPECT_EQ(mode, entry.is_directory() ? fs::perms::owner_all : file) << entry.path();
        }
#endif
    }
}

// A thousand saves an hour apart: the newest 20 stay, one a day for 30 days, and the whole
// history within its total, the oldest going first.
TEST(History, TheBoundsHoldOverAThousandSaves) {
    TempDir dir;
    std::int64_t now = 1'700'000'000;
    const HistoryBounds bounds{.recent = 20, .days = 30, .totalBytes = 60 * 1024};
    VersionHistory history((dir.Path() / "history").string(), bounds, [&] { return now; });
    const std::string file = dir.Write("b.htm", "");
    for (int save = 0; save < 1000; ++save) {
        // Replaced as the writers replace a file, by a rename, without their sync.
        std::ofstream(file + ".new", std::ios::binary)
            << kFile << std::string(static_cast<std::size_t>(save % 700), 'x') << save;
        fs::rename(file + ".new", file);
        ASSERT_EQ(history.Keep(file, VersionFormat::Html).outcome, KeepOutcome::Kept);
        now += 3600;
    }
    const VersionListing listing = history.List(file);
    EXPECT_TRUE(listing.skipped.empty());
    ASSERT_GE(listing.versions.size(), 20u);
    EXPECT_LE(listing.versions.size(), 50u);
    std::uint64_t total = 0;
    for (const KeptVersion& version : listing.versions) total += version.stored;
    EXPECT_LE(total, bounds.totalBytes);
    // The newest 20 saves, newest first, and older ones at most one a day.
    for (int i = 0; i < 20; ++i) EXPECT_EQ(listing.versions[i].number, 1000 - i);
    for (std::size_t i = 21; i < listing.versions.size(); ++i) {
        EXPECT_GE(listing.versions[i - 1].keptAt - listing.versions[i].keptAt, 3600 * 2);
    }
}

// What the history holds that is not what was kept is skipped and said, and never put back.
TEST(History, DamagedOrForeignVersionsAreSkipped) {
    struct Damage {
        const char* name;
        bool link;
        std::function<void(const KeptVersion& version, const fs::path& folder)> apply;
    };
    const std::vector<Damage> damages = {
        {"a linked file changed in place", true,
         [](const KeptVersion& v, const fs::path&) {
             std::fstream(v.data, std::ios::binary | std::ios::in | std::ios::out) << "XX";
             fs::last_write_time(v.data, fs::last_write_time(v.data) + std::chrono::seconds(5));
         }},
        {"a copy cut short", false,
         [](const KeptVersion& v, const fs::path&) {
             fs::resize_file(v.data, fs::file_size(v.data) / 2);
         }},
        {"a copy with a byte changed", false,
         [](const KeptVersion& v, const fs::path&) {
             std::fstream data(v.data, std::ios::binary | std::ios::in | std::ios::out);
             data.seekp(static_cast<std::streamoff>(fs::file_size(v.data) / 2));
             data.put('\x55');
         }},
        {"a description that is not the program's", false,
         [](const KeptVersion& v, const fs::path&) {
             std::ofstream(v.description, std::ios::binary) << "pernard-version 1\ntarget\tx\n";
         }},
        {"a description naming another target", true,
         [](const KeptVersion& v, const fs::path&) {
             std::string text = ReadBytes(v.description);
             text.replace(text.find(v.target), v.target.size(), "/elsewhere/b.htm");
             std::ofstream(v.description, std::ios::binary) << text;
         }},
        {"a stray file beside the versions", true,
         [](const KeptVersion&, const fs::path& folder) {
             std::ofstream(folder / "000009.txt") << "garbage";
         }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        Keeping k;
        const VersionHistory history(k.history, HistoryBounds{.link = damage.link});
        const std::string file = k.dir.Write("b.htm", kFile);
        ASSERT_EQ(VersionHistory(history).Keep(file, VersionFormat::Html).outcome,
                  KeepOutcome::Kept);
        SafeFileWriter writer;
        ASSERT_TRUE(writer.Open(file));
        writer.Write("<TITLE>new</TITLE>\n");
        ASSERT_TRUE(writer.Commit());
        const KeptVersion version = history.List(file).versions.at(0);
        damage.apply(version, fs::path(version.description).parent_path());
        // Either the listing leaves it out and says so, or reading it back fails; a version
        // that reads is the one kept.
        const VersionListing listing = history.List(file);
        bool caught = !listing.skipped.empty();
        for (const KeptVersion& listed : listing.versions) {
            std::string error;
            const std::optional<std::string> bytes = history.ReadFile(listed, error);
            if (bytes) {
                EXPECT_EQ(*bytes, kFile);
            } else {
                caught = true;
                EXPECT_FALSE(RestoreVersion(k.t.model, history, listed, true));
            }
        }
        EXPECT_TRUE(caught);
        EXPECT_EQ(ReadBytes(file), "<TITLE>new</TITLE>\n");
    }
    // An archive that names a place outside its directory, or does not add up, is no archive.
    for (const std::string packed :
         {"pernard-directory 1\nF 8 1\n../x.urlx", "pernard-directory 1\nD 4\n/etc",
          "pernard-directory 1\nF 5 9\na.url", "pernard-directory 2\n"}) {
        EXPECT_FALSE(UnpackDirectory(packed).has_value()) << packed;
    }
}

// A version that cannot be kept is said before the write: the window asks, the command line
// refuses unless forced.
TEST(History, AVersionThatCannotBeKeptIsAskedAboutFirst) {
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        Keeping k;
        // A file where the history's folder should be: nothing can be kept there.
        k.t.settings.historyDirectory = k.dir.Write("history", "not a folder");
        const std::string path = k.dir.Write("b.htm", kFile);
        ASSERT_TRUE(k.Load(path));
        k.t.model.EditFolderEntry(1, "改名", "");
        k.t.prompts.nextAnswer = answer;
        EXPECT_EQ(SaveRoot(k.t.model, 0), answer == Answer::Yes)
            << (k.t.prompts.messages.empty() ? "" : k.t.prompts.messages[0]);
        ASSERT_EQ(k.t.prompts.questions.size(), 1u);
        EXPECT_NE(k.t.prompts.questions[0].find("以前の版として残せません"), std::string::npos);
        EXPECT_EQ(ReadBytes(path) == kFile, answer == Answer::No);
    }
    TempDir dir;
    const ScopedVariable data(kDataHome, dir.Write("pernard", "not a folder").c_str());
    const std::string source = dir.Write("source.htm", kFile);
    const std::string target = dir.Write("target.htm", "<TITLE>before</TITLE>\n");
    EXPECT_EQ(RunWith({"save", source, "--to", target}).status, 1);
    EXPECT_EQ(ReadBytes(target), "<TITLE>before</TITLE>\n");
    EXPECT_EQ(RunWith({"save", source, "--to", target, "--force"}).status, 0);
    EXPECT_NE(ReadBytes(target), "<TITLE>before</TITLE>\n");
}

TEST(History, DifferencesAreCountedByKind) {
    const auto place = [](std::string folder, std::string name, std::string url) {
        return BookmarkPlace{std::move(folder), std::move(name), std::move(url)};
    };
    const std::vector<BookmarkPlace> before = {
        place("旅行", "あ", "http://a/"), place("旅行", "い", "http://b/"),
        place("", "う", "http://c/"), place("", "え", "http://d/"), place("x", "同じ", "http://e/"),
        place("x", "同じ", "http://e/")};
    const std::vector<BookmarkPlace> after = {
        place("旅行", "い", "http://b/"), place("旅行", "あ", "http://a/"),  // reordered
        place("食事", "う", "http://c/"),                                    // moved
        place("", "え2", "http://d/"),                                       // renamed
        place("x", "同じ", "http://e/"),                                     // one of two removed
        place("", "新", "http://new/")};                                    // added
    const VersionDifference d = CompareBookmarks(before, after);
    EXPECT_EQ(d.added, 1);
    EXPECT_EQ(d.removed, 1);
    EXPECT_EQ(d.moved, 1);
    EXPECT_EQ(d.renamed, 1);
    EXPECT_EQ(d.reordered, 1);
    EXPECT_EQ(d.lines.size(), 5u);
    EXPECT_TRUE(CompareBookmarks(before, before).None());
}

// What a hostile or unlucky history does to a target is caught: a target named through a link,
// a write that did not happen and an edit in place after it, a Favorites folder turned into a
// link before a restore, a clock put back, numbers that must not come back.
TEST(History, LinksFailedWritesAndClocksDoNotCostAVersion) {
    const auto replace = [](const std::string& path, const std::string& bytes) {
        std::ofstream(path + ".new", std::ios::binary) << bytes;
        fs::rename(path + ".new", path);
    };
    std::int64_t now = 1'700'000'000;
    const auto clock = [&now] { return now; };
#ifndef _WIN32  // links are an administrator's on Windows
    {
        SCOPED_TRACE("a target named through a link");
        Keeping k;
        VersionHistory history(k.history, {}, clock);
        const std::string real = k.dir.Write("real/b.htm", kFile);
        const fs::path link = k.dir.Path() / "link.htm";
        fs::create_symlink(real, link);
        ASSERT_EQ(history.Keep(link.string(), VersionFormat::Html).outcome, KeepOutcome::Kept);
        replace(real, "<TITLE>new</TITLE>\n");
        std::string error;
        const VersionListing listing = history.List(link.string());
        ASSERT_EQ(listing.versions.size(), 1u);
        EXPECT_EQ(listing.versions[0].target, fs::weakly_canonical(real).string());
        EXPECT_EQ(history.ReadFile(listing.versions[0], error), kFile);
        EXPECT_EQ(history.List(real).versions.size(), 1u);
    }
#endif
    {
        SCOPED_TRACE("a write that did not happen, then an edit in place");
        Keeping k;
        VersionHistory history(k.history, {}, clock);
        const std::string file = k.dir.Write("b.htm", kFile);
        ASSERT_EQ(history.Keep(file, VersionFormat::Html).outcome, KeepOutcome::Kept);
        // No write followed; the next keep finds the version still the file itself.
        ASSERT_NE(history.Keep(file, VersionFormat::Html).outcome, KeepOutcome::Failed);
        replace(file, "<TITLE>saved</TITLE>\n");
        std::fstream(file, std::ios::binary | std::ios::in | std::ios::out) << "EDITED";
        std::string error;
        const VersionListing listing = history.List(file);
        ASSERT_EQ(listing.versions.size(), 1u);
        EXPECT_EQ(history.ReadFile(listing.versions[0], error), kFile);
    }
#ifndef _WIN32
    {
        SCOPED_TRACE("a Favorites folder that became a link");
        Keeping k;
        const fs::path favorites = MakeFavorites(k.dir.Path() / "Favorites");
        VersionHistory history(k.history, {}, clock);
        ASSERT_EQ(history.Keep(favorites.string(), VersionFormat::Directory).outcome,
                  KeepOutcome::Kept);
        const fs::path outside = k.dir.Path() / "outside";
        fs::create_directories(outside);
        fs::remove_all(favorites / "旅行");
        fs::create_directory_symlink(outside, favorites / "旅行");
        EXPECT_FALSE(RestoreVersion(k.t.model, history, history.List(favorites.string()).versions[0],
                                    false));
        EXPECT_TRUE(fs::is_empty(outside));
    }
#endif
    {
        SCOPED_TRACE("a clock put back, and versions that went");
        Keeping k;
        const std::string file = k.dir.Write("b.htm", kFile);
        VersionHistory history(k.history, {.recent = 5, .days = 0}, clock);
        now += 365 * 86400;
        for (int save = 0; save < 8; ++save) {
            ASSERT_EQ(history.Keep(file, VersionFormat::Html).outcome, KeepOutcome::Kept);
            replace(file, kFile + std::to_string(save));
        }
        now -= 365 * 86400;
        std::vector<int> numbers;
        for (int save = 0; save < 3; ++save) {
            const KeepResult kept = history.Keep(file, VersionFormat::Html);
            ASSERT_EQ(kept.outcome, KeepOutcome::Kept);
            numbers.push_back(kept.number);
            replace(file, kFile + "later" + std::to_string(save));
        }
        const VersionListing listing = history.List(file);
        ASSERT_EQ(listing.versions.size(), 5u);
        for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(listing.versions[i].number, numbers[2 - i]);
        // Every version gone, the next one still takes a number never given before.
        for (const KeptVersion& version : listing.versions) fs::remove(version.description);
        EXPECT_GT(history.Keep(file, VersionFormat::Html).number, numbers.back());
    }
}
