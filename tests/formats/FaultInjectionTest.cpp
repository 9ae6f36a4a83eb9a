// Saves whose n-th write, sync, rename or close fails, for every n through a whole save: the
// old file or tree stays whole, nothing half-written is left behind, and the failure is told.

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <map>

#include "commands/FavoritesCommands.h"
#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "formats/favorites/FavoritesWriter.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"
#include "util/FileCalls.h"

using namespace pernard;
using pernard::testing::ReadBytes;
using pernard::testing::TempDir;
using pernard::testing::TestModel;
namespace fs = std::filesystem;

namespace {

enum Kind { kWrite, kSync, kRename, kClose, kKinds };
const char* const kKindNames[] = {"write", "fsync", "rename", "close"};

// Counts the calls of each kind and makes the n-th call of one kind fail.
class Injector {
public:
    Injector() {
        counts_ = {};
        failKind_ = -1;
        failAt_ = 0;
        const FileCalls real = RealFileCalls();
        SaveFileCalls() =
            FileCalls{&Write, &Sync, &Rename, &Close, &Sync, real.removeFile, real.removeDirectory};
    }
    ~Injector() { SaveFileCalls() = RealFileCalls(); }
    void FailAt(int kind, int n) {
        counts_ = {};
        failKind_ = kind;
        failAt_ = n;
    }
    static int Count(int kind) { return counts_[static_cast<std::size_t>(kind)]; }
    // The calls of each kind since the last FailAt (or since the injector was set up).
    static std::array<int, kKinds> Counts() { return counts_; }
    static bool Failed() { return failKind_ >= 0 && Count(failKind_) >= failAt_; }

private:
    static bool Fails(int kind) {
        return ++counts_[static_cast<std::size_t>(kind)] == failAt_ && kind == failKind_;
    }
    static ssize_t Write(int descriptor, const void* bytes, std::size_t count) {
        if (Fails(kWrite)) return errno = ENOSPC, -1;
        return RealFileCalls().write(descriptor, bytes, count);
    }
    static int Sync(int) {
        // The disk is not asked: these tests are about failures, not durability, and a real
        // sync per file per try would take minutes.
        if (Fails(kSync)) return errno = EIO, -1;
        return 0;
    }
    static int Rename(const char* from, const char* to) {
        if (Fails(kRename)) return errno = EXDEV, -1;
        return RealFileCalls().rename(from, to);
    }
    static int Close(int descriptor) {
        const int result = RealFileCalls().close(descriptor);  // the descriptor is gone anyway
        if (Fails(kClose)) return errno = EIO, -1;
        return result;
    }
    static inline std::array<int, kKinds> counts_{};
    static inline int failKind_ = -1;
    static inline int failAt_ = 0;
};

// Every file below a directory with its bytes, links as their targets.
std::map<std::string, std::string> Snapshot(const fs::path& directory) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        const std::string name = fs::relative(entry.path(), directory).string();
        if (entry.is_symlink()) {
            files[name] = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            files[name] = ReadBytes(entry.path().string());
        } else {
            files[name] = "<dir>";
        }
    }
    return files;
}

class FaultInjectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        t.settings.maxUrl = "100000";
        std::string file = "<TITLE>Root</TITLE>\n<DL><p>\n";
        for (int f = 0; f < 30; ++f) {
            file += "<DT><H3>folder " + std::to_string(f) + "</H3>\n<DL><p>\n";
            for (int u = 0; u < 300; ++u) {
                file += "<DT><A HREF=\"https://example.com/" + std::to_string(f) + "/" +
                        std::to_string(u) + "\" ADD_DATE=\"1600000000\">ブックマーク " +
                        std::to_string(u) + "</A>\n";
            }
            file += "</DL><p>\n";
        }
        int urls = 0;
        std::string error;
        ASSERT_TRUE(Unpacked(
            LoadSource(t.model, true, temp.Write("source.htm", file), SourceKind::BookmarkFile),
            urls, error));
        t.model.SetCurrent(0);
    }
    TestModel t;
    TempDir temp;
};

}  // namespace

TEST_F(FaultInjectionTest, ABookmarkFileIsEitherTheOldOneOrTheWholeNewOne) {
    const std::string target = temp.Write("out/target.htm", "the old file");
    const std::string complete = BookmarkFileText(t.model, 0);
    ASSERT_GT(complete.size(), 1u << 20);  // more than one block, so more than one write
    Injector injector;
    ASSERT_TRUE(WriteBookmarkFile(t.model, target, 0));
    const std::array<int, kKinds> calls = Injector::Counts();
    EXPECT_GE(calls[kWrite], 2);
    for (int kind = 0; kind < kKinds; ++kind) {
        for (int n = 1; n <= calls[static_cast<std::size_t>(kind)]; ++n) {
            temp.Write("out/target.htm", "the old file");
            t.prompts.messages.clear();
            injector.FailAt(kind, n);
            const std::string where = std::string(kKindNames[kind]) + " " + std::to_string(n);
            EXPECT_FALSE(WriteBookmarkFile(t.model, target, 0)) << where;
            EXPECT_EQ(t.prompts.messages.back(), "Cannot Save File : " + target) << where;
            // Before the rename the old file stands; after it, only the directory's sync can
            // fail, and the file is then the complete new one.
            const std::string now = ReadBytes(target);
            EXPECT_TRUE(now == "the old file" || now == complete) << where;
            EXPECT_EQ(Snapshot(temp.Path() / "out").size(), 1u) << where;  // no stray file
        }
    }
}

TEST_F(FaultInjectionTest, AFavoritesTreeSavedAsIsReplacedOnlyWhenComplete) {
    const fs::path target = temp.Path() / "out" / "Favorites";
    auto oldTree = [&] {
        fs::remove_all(target);
        temp.Write("out/Favorites/old/stale.url", "[InternetShortcut]\r\nURL=http://stale/\r\n");
        temp.Write("out/Favorites/top.url", "[InternetShortcut]\r\nURL=http://top/\r\n");
    };
    oldTree();
    const auto before = Snapshot(target);
    t.dialogs.nextDirectory = target.string();
    t.prompts.nextAnswer = Answer::Yes;
    TableSurgery::SetCapacity(t.model, t.model.glCT);
    // Only a part of the tree, so that every n can be tried in reasonable time.
    while (t.model.glCT > 40) t.model.DeleteNode(t.model.glNode[t.model.glCT - 1], false);
    Injector injector;
    {
        // A clean run on a copy counts the calls.
        const fs::path copy = temp.Path() / "count" / "Favorites";
        fs::create_directories(copy);
        t.dialogs.nextDirectory = copy.string();
        ASSERT_TRUE(SaveAsIE(t.model));
        t.dialogs.nextDirectory = target.string();
    }
    const std::array<int, kKinds> calls = Injector::Counts();
    EXPECT_GE(calls[kWrite], 30);
    for (int kind = 0; kind < kKinds; ++kind) {
        for (int n = 1; n <= calls[static_cast<std::size_t>(kind)]; ++n) {
            oldTree();
            injector.FailAt(kind, n);
            const std::string where = std::string(kKindNames[kind]) + " " + std::to_string(n);
            const bool saved = SaveAsIE(t.model);
            if (saved) {
                // Only the sync after the swap may fail unseen: the new tree is then whole.
                EXPECT_EQ(Snapshot(target), Snapshot(temp.Path() / "count" / "Favorites")) << where;
                continue;
            }
            EXPECT_EQ(t.prompts.messages.back(), "Cannot Save File : " + target.string()) << where;
            EXPECT_EQ(Snapshot(target), before) << where;
            EXPECT_FALSE(fs::exists(target.string() + ".pernard-new")) << where;
            EXPECT_FALSE(fs::exists(target.string() + ".pernard-old")) << where;
        }
    }
}
