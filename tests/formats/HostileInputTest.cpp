// Files made to hurt: each is read, or refused with a message, in bounded memory and time.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "formats/SourceRead.h"
#include "formats/bookmarkfile/LineReader.h"
#include "formats/favorites/FavoritesReader.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::TempDir;
using pernard::testing::TestModel;
namespace fs = std::filesystem;

namespace {

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A file of `head`, then `hole` bytes the file system does not store (they read as NUL), then
// `tail`.
std::string SparseFile(const TempDir& temp, const std::string& name, const std::string& head,
                       off_t hole, const std::string& tail) {
    const std::string path = temp.Write(name, head);
    const int file = open(path.c_str(), O_WRONLY);
    EXPECT_GE(file, 0);
    EXPECT_EQ(pwrite(file, tail.data(), tail.size(), static_cast<off_t>(head.size()) + hole),
              static_cast<ssize_t>(tail.size()));
    close(file);
    return path;
}

class HostileInputTest : public ::testing::Test {
protected:
    bool Read(const std::string& path) {
        t.settings.maxUrl = "1000000";
        return Unpacked(LoadSource(t.model, true, path, SourceKind::BookmarkFile), urls, error);
    }
    TestModel t;
    TempDir temp;
    int urls = 0;
    std::string error;
};

}  // namespace

TEST_F(HostileInputTest, ALineOfAGigabyteKeepsOnlyItsBeginning) {
    const std::string path =
        SparseFile(temp, "long.htm", "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">",
                   1L << 30, "</A>\n<DT><A HREF=\"http://b/\">b</A>\n");
    const long before = PeakKilobytes();
    Read(path);
    // The cut line still makes its bookmark; the next line is read as usual.
    ASSERT_EQ(t.model.glCT, 3);
    EXPECT_EQ(t.model.glName[1].size(),
              (std::size_t{16} << 20) - std::string("<DT><A HREF=\"http://a/\">").size());
    EXPECT_EQ(t.model.glUrl[2], "http://b/");
    EXPECT_TRUE(t.model.IsRootPartial(0));  // an overwrite save will warn
    EXPECT_NE(t.diagnostics.readingLog.back().find("長すぎる行 1 行"), std::string::npos);
    EXPECT_LT(PeakKilobytes() - before, 400 * 1024);
}

TEST_F(HostileInputTest, AnEntryCutAtTheLineLimitEndsWhereItsLineEnds) {
    // An icon of 17 MiB: the line is cut inside the attribute's quotes, and the tag left open
    // there must not take the next bookmark's line.
    const std::string icon = "ICON=\"data:image/png;base64," + std::string(17u << 20, 'A') + "\"";
    const std::string next = "<DT><A HREF=\"http://next/\">Next</A>\n";
    struct Shape {
        const char* label;
        std::string lines;
        const char* table;
    };
    const Shape shapes[] = {
        {"a bookmark", "<DT><A HREF=\"http://big/\" " + icon + ">Big</A>\n" + next,
         "0 -1 R T\n1 0 U  http://big/\n2 0 U Next http://next/\n"},
        {"a bookmark spread over two lines",
         "<DT><A HREF=\"http://big/\"\n    " + icon + ">Big</A>\n" + next,
         "0 -1 R T\n1 0 U  http://big/\n2 0 U Next http://next/\n"},
        {"a folder",
         "<DT><H3 " + icon + ">Big</H3>\n<DL><p>\n" + next + "</DL><p>\n" +
             "<DT><A HREF=\"http://after/\">After</A>\n",
         "0 -1 R T\n1 0 F \n2 1 U Next http://next/\n3 0 U After http://after/\n"},
    };
    for (const Shape& shape : shapes) {
        Read(temp.Write("icon.htm", "<TITLE>T</TITLE>\n<DL><p>\n" + shape.lines + "</DL><p>\n"));
        EXPECT_EQ(pernard::testing::DumpTable(t.model), shape.table) << shape.label;
        EXPECT_TRUE(t.model.IsRootPartial(0)) << shape.label;
    }
}

TEST_F(HostileInputTest, DeepNestingNulsAndThingsThatAreNoFiles) {
    std::string deep = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 100000; ++k) deep += "<DT><H3>f</H3>\n<DL><p>\n";
    EXPECT_FALSE(Read(temp.Write("deep.htm", deep)));
    EXPECT_EQ(t.model.glCT, 19);
    EXPECT_TRUE(t.model.IsRootPartial(0));

    EXPECT_TRUE(Read(temp.Write(
        "nul.htm", std::string("<TITLE>A\0B</TITLE>\n<DL><p>\n<DT><A HREF=\"\0\">\0</A>\n", 44))));
    EXPECT_EQ(t.model.glCT, 2);
    EXPECT_EQ(t.model.glName[0], std::string("A\0B", 3));

    fs::create_directory(temp.Path() / "directory.htm");
    EXPECT_FALSE(Read((temp.Path() / "directory.htm").string()));
    EXPECT_EQ(error,
              "ブックマークファイルとして読めません : " + (temp.Path() / "directory.htm").string());
    // A FIFO would block a reader that opened it: it is refused before.
    const std::string fifo = (temp.Path() / "fifo.htm").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(Read(fifo));
    EXPECT_FALSE(Read("/dev/zero"));
    // Nor is a FIFO under a name that makes it look like any other source, read as whatever
    // kind: each read fails at once with its message, none waits for a writer.
    for (const char* name : {"Bookmarks", "places.sqlite", "fifo.url"}) {
        const std::string path = (temp.Path() / name).string();
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        EXPECT_EQ(KindOfSource(path),
                  IsShortcutFileName(path) ? SourceKind::Favorites : SourceKind::BookmarkFile)
            << name;
        for (const SourceKind kind : {KindOfSource(path), SourceKind::BookmarkFile,
                                      SourceKind::Chromium, SourceKind::Firefox,
                                      SourceKind::Favorites}) {
            TestModel model;
            const ReadOutcome outcome = LoadSource(model.model, true, path, kind);
            EXPECT_FALSE(outcome.ok) << name;
            EXPECT_FALSE(outcome.errorText.empty()) << name;
        }
    }
    // A FIFO among shortcuts is passed over; the shortcut beside it is read.
    fs::create_directory(temp.Path() / "Favorites");
    temp.Write("Favorites/a.url", "[InternetShortcut]\r\nURL=http://a/\r\n");
    ASSERT_EQ(mkfifo((temp.Path() / "Favorites" / "b.url").c_str(), 0600), 0);
    TestModel favorites;
    EXPECT_TRUE(LoadSource(favorites.model, true, (temp.Path() / "Favorites").string()).ok);
    EXPECT_EQ(favorites.model.glCT, 2);
}

TEST_F(HostileInputTest, FavoritesWithLoopsDepthAndHugeShortcuts) {
    const fs::path favorites = temp.Path() / "Favorites";
    fs::create_directories(favorites);
    // 10,000 nested directories, made relative to each other (their full path is longer than
    // any path the system accepts).
    int parent = open(favorites.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(parent, 0);
    for (int level = 0; level < 10000; ++level) {
        ASSERT_EQ(mkdirat(parent, "d", 0700), 0) << level;
        const int child = openat(parent, "d", O_RDONLY | O_DIRECTORY);
        if (level == 0) {
            const int file = openat(child, "x.url", O_WRONLY | O_CREAT, 0600);
            close(file);
        }
        close(parent);
        parent = child;
    }
    close(parent);
    fs::create_directory_symlink(favorites, favorites / "loop");
    // 100 MB shortcuts: one with its URL at the start, one with it at the end. An entry carries
    // its file whole, and these are too large for that: they are left out (and so never
    // written over or removed by a save), each said in the reading log.
    const std::string big = SparseFile(
        temp, "Favorites/big.url", "[InternetShortcut]\r\nURL=http://big/\r\n", 100L << 20, "\r\n");
    const std::string far = SparseFile(temp, "Favorites/far.url", "", 100L << 20,
                                       "[InternetShortcut]\r\nURL=http://far/\r\n");
    t.settings.maxUrl = "1000000";
    const long before = PeakKilobytes();
    ASSERT_TRUE(Unpacked(LoadSource(t.model, true, favorites.string(), SourceKind::Favorites), urls,
                         error));
    EXPECT_LT(PeakKilobytes() - before, 100 * 1024);
    const std::string dump = pernard::testing::DumpTable(t.model);
    EXPECT_EQ(dump.find("big"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("far"), std::string::npos) << dump;
    const auto& log = t.diagnostics.readingLog;
    const std::string unread =
        "読めないか大きすぎる（16 MiB 超）ショートカットは読み込みませんでした : ";
    EXPECT_NE(std::find(log.begin(), log.end(), unread + big), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), unread + far), log.end());
    EXPECT_LT(t.model.glCT, 40);  // the nesting stops at the depth limit; the loop is no folder
    EXPECT_EQ(dump.find("loop"), std::string::npos);
}
