// The overwrite save of a Favorites directory leaves the directory matching the collection:
// what the user deleted, moved or renamed is gone from where it was, and nothing the load did
// not read is ever touched.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "commands/FavoritesCommands.h"
#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "formats/favorites/FavoritesReader.h"
#include "formats/favorites/FavoritesWriter.h"
#include "model/EntryExtras.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TestFiles.h"
#include "util/FileCalls.h"

using namespace pernard;
using pernard::testing::ReadBytes;
using pernard::testing::TempDir;
using pernard::testing::TestModel;
namespace fs = std::filesystem;

namespace {

std::string Shortcut(const std::string& url) { return pernard::testing::ShortcutText(url); }

// The collection below entry `folder` in a form that does not depend on order: children sorted,
// folders with what they hold, bookmarks with their URLs.
std::string Canonical(const BmLogic& model, int folder) {
    std::vector<std::string> children;
    const int end = folder + model.SubtreeWidth(folder);
    for (int i = folder + 1; i < end; i += model.SubtreeWidth(i)) {
        const std::size_t k = static_cast<std::size_t>(i);
        children.push_back(
            model.IsFolder(i)
                ? "F:" + std::string(model.glName[k]) + "{" + Canonical(model, i) + "}"
                : "U:" + std::string(model.glName[k]) + "=" + std::string(model.glUrl[k]));
    }
    std::sort(children.begin(), children.end());
    std::string out;
    for (const std::string& child : children) out += child + ";";
    return out;
}

// Every file below `directory` with its bytes, and every directory.
std::map<std::string, std::string> DiskState(const fs::path& directory) {
    std::map<std::string, std::string> state;
    for (auto it = fs::recursive_directory_iterator(directory);
         it != fs::recursive_directory_iterator(); ++it) {
        const std::string relative = fs::relative(it->path(), directory).string();
        state[relative] = it->is_directory() ? "<dir>" : ReadBytes(it->path().string());
    }
    return state;
}

// Makes the removals of files, or of directories, fail as they do in a read-only directory
// (whoever runs the test, root too).
class FailingRemovals {
public:
    FailingRemovals(bool files, bool directories) {
        files_ = files;
        directories_ = directories;
        SaveFileCalls().removeFile = &RemoveFile;
        SaveFileCalls().removeDirectory = &RemoveDirectory;
    }
    ~FailingRemovals() { SaveFileCalls() = RealFileCalls(); }

private:
    static int RemoveFile(const char* path) {
        return files_ ? (errno = EACCES, -1) : RealFileCalls().removeFile(path);
    }
    static int RemoveDirectory(const char* path) {
        return directories_ ? (errno = EACCES, -1) : RealFileCalls().removeDirectory(path);
    }
    static inline bool files_ = false;
    static inline bool directories_ = false;
};

class FavoritesSaveTest : public ::testing::Test {
protected:
    FavoritesSaveTest() { t.settings.noOverwriteQuestion = true; }
    bool Read(TestModel& into) {
        std::string error;
        int urls = 0;
        return Unpacked(LoadSource(into.model, true, Fav(), SourceKind::Favorites), urls, error);
    }
    bool Save() {
        t.model.SetCurrent(0);
        return SaveBM(t.model);
    }
    // The collection as a fresh read of the directory gives it.
    std::string ReadBack() {
        TestModel again;
        EXPECT_TRUE(Read(again));
        return Canonical(again.model, 0);
    }
    std::string Fav() const { return (temp.Path() / "Favorites").string(); }
    std::string Path(const std::string& relative) const { return Fav() + "/" + relative; }
    int Find(const std::string& name) const {
        for (int i = 0; i < t.model.glCT; ++i) {
            if (t.model.glName[i] == name) return i;
        }
        return -1;
    }

    TestModel t;
    TempDir temp;
};

}  // namespace

TEST_F(FavoritesSaveTest, DeletedMovedAndRenamedEntriesLeaveTheirOldFiles) {
    temp.Write("Favorites/gone.url", Shortcut("http://gone/"));
    temp.Write("Favorites/mover.url", Shortcut("http://mover/"));
    temp.Write("Favorites/old name.url", Shortcut("http://renamed/"));
    temp.Write("Favorites/Folder/stay.url", Shortcut("http://stay/"));
    temp.Write("Favorites/Dropped/inside.url", Shortcut("http://inside/"));
    temp.Write("Favorites/Dropped/notes.txt", "not a shortcut");
    temp.Write("Favorites/Emptied/last.url", Shortcut("http://last/"));
    ASSERT_TRUE(Read(t));
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[Find("gone")], false));
    ASSERT_GE(
        t.model.DropMove(t.model.glNode[Find("mover")], t.model.glNode[Find("Folder")], false), 0);
    ASSERT_TRUE(
        t.model.EditUrlEntry(Find("old name"), {"new name", "http://renamed/", "", "", ""}));
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[Find("Dropped")], false));
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[Find("last")], false));
    // Changed on disk since the load, and new since the load: neither is the save's to remove.
    temp.Write("Favorites/Folder/stay.url", Shortcut("http://changed-outside/"));
    const std::string expected = Canonical(t.model, 0);
    temp.Write("Favorites/added-later.url", Shortcut("http://later/"));

    ASSERT_TRUE(Save());
    EXPECT_FALSE(fs::exists(Path("gone.url")));
    EXPECT_FALSE(fs::exists(Path("mover.url")));
    EXPECT_TRUE(fs::exists(Path("Folder/mover.url")));
    EXPECT_FALSE(fs::exists(Path("old name.url")));
    EXPECT_TRUE(fs::exists(Path("new name.url")));
    // The deleted folder keeps what is not a shortcut; the emptied one stays a folder.
    EXPECT_FALSE(fs::exists(Path("Dropped/inside.url")));
    EXPECT_TRUE(fs::exists(Path("Dropped/notes.txt")));
    EXPECT_TRUE(fs::is_directory(Path("Emptied")));
    EXPECT_FALSE(fs::exists(Path("Emptied/last.url")));
    EXPECT_TRUE(fs::exists(Path("added-later.url")));
    // The stay.url changed outside holds an unchanged entry: the save leaves it as it is.
    EXPECT_EQ(ReadBytes(Path("Folder/stay.url")), Shortcut("http://changed-outside/"));
    // Each removal is listed.
    const auto& log = t.diagnostics.checkLog;
    EXPECT_NE(std::find(log.begin(), log.end(), "削除 : " + Path("gone.url")), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "削除 : " + Path("Emptied/last.url")), log.end());

    // Read back: the edited collection, plus the file added outside, the change made outside
    // and the folder that kept a file that is not a shortcut.
    TestModel again;
    ASSERT_TRUE(Read(again));
    EXPECT_EQ(expected,
              "F:Emptied{};F:Folder{U:mover=http://mover/;U:stay=http://stay/;};"
              "U:new name=http://renamed/;");
    EXPECT_EQ(Canonical(again.model, 0),
              "F:Dropped{};F:Emptied{};F:Folder{U:mover=http://mover/;"
              "U:stay=http://changed-outside/;};U:added-later=http://later/;"
              "U:new name=http://renamed/;");
}

TEST_F(FavoritesSaveTest, ADeletedFolderWhoseFileChangedOutsideStays) {
    temp.Write("Favorites/Folder/a.url", Shortcut("http://a/"));
    ASSERT_TRUE(Read(t));
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[1], false));
    temp.Write("Favorites/Folder/a.url", Shortcut("http://edited-elsewhere/"));
    ASSERT_TRUE(Save());
    EXPECT_EQ(ReadBytes(Path("Folder/a.url")), Shortcut("http://edited-elsewhere/"));
}

// What another program changed or made in the directory after the load is never written over
// or removed: an unchanged entry leaves its changed file alone, an edited one goes beside it
// under a free name (listed), and a file is changed when its size, its time or its bytes are.
TEST_F(FavoritesSaveTest, FilesChangedOnDiskSinceTheLoadAreNeverOverwrittenOrRemoved) {
    for (const std::string name : {"unchanged", "edited", "same size", "touched", "untouched"}) {
        temp.Write("Favorites/" + name + ".url", Shortcut("http://" + name + "/"));
    }
    const auto loaded = fs::last_write_time(Path("same size.url"));
    ASSERT_TRUE(Read(t));
    // Another program, after the load: two edits, one of the same size with its time set back
    // (only the bytes tell), a touch of the time alone, a new file.
    temp.Write("Favorites/unchanged.url", Shortcut("http://outside-1/"));
    temp.Write("Favorites/edited.url", Shortcut("http://outside-2/"));
    temp.Write("Favorites/same size.url", Shortcut("http://SAME SIZE/"));
    fs::last_write_time(Path("same size.url"), loaded);
    fs::last_write_time(Path("touched.url"), loaded + std::chrono::hours(1));
    temp.Write("Favorites/new.url", Shortcut("http://outside-new/"));
    // The user: edits one, deletes three (only the untouched file may go), adds one named like
    // the new file.
    ASSERT_TRUE(t.model.EditUrlEntry(Find("edited"), {"edited", "http://mine/", "", "", ""}));
    for (const char* name : {"same size", "touched", "untouched"}) {
        ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[Find(name)], false)) << name;
    }
    ASSERT_TRUE(t.model.NewUrl(t.model.glNode[Find("unchanged")],
                               {"new", "http://mine-new/", "", "", ""}, false));
    auto expected = DiskState(Fav());
    expected.erase("untouched.url");
    expected["edited (2).url"] = Shortcut("http://mine/");
    expected["new (2).url"] = Shortcut("http://mine-new/");

    ASSERT_TRUE(Save());
    EXPECT_EQ(DiskState(Fav()), expected);
    EXPECT_EQ(t.diagnostics.checkLogStatus, "名前を変えて保存 : 2 件");
    // The next save finds everything where this one left it.
    ASSERT_TRUE(Save());
    EXPECT_EQ(DiskState(Fav()), expected);
}

// A file or directory of a deleted entry that cannot be removed is listed and makes the save
// fail (else the entry would come back on the next read, unsaid); the next save tries again.
TEST_F(FavoritesSaveTest, RemovalsThatFailAreSaidAndTriedAgain) {
    temp.Write("Favorites/gone.url", Shortcut("http://gone/"));
    temp.Write("Favorites/Old/inner.url", Shortcut("http://inner/"));
    temp.Write("Favorites/keep.url", Shortcut("http://keep/"));
    ASSERT_TRUE(Read(t));
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[Find("gone")], false));
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[Find("Old")], false));
    const std::string gone = Path("gone.url");
    const std::string inner = Path("Old/inner.url");
    const std::string old = Path("Old") + "/";
    struct Round {
        bool filesFail, directoriesFail;
        std::vector<std::string> log;
        const char* panel;
        const char* status;
    };
    const std::vector<Round> rounds = {
        {true,
         true,
         {"削除できません : " + inner, "削除できません : " + gone},
         "OK : 1  NG : 2",
         "削除できません : 2 件"},
        {false,
         true,
         {"削除 : " + inner, "削除 : " + gone, "削除できません : " + old},
         "OK : 1  NG : 1",
         "削除できません : 1 件"},
        {false, false, {"削除 : " + old}, "OK : 1  NG : 0", ""},
    };
    for (const Round& round : rounds) {
        const FailingRemovals failing(round.filesFail, round.directoriesFail);
        t.diagnostics.ClearCheckLog();
        t.diagnostics.checkLogStatus.clear();
        const bool fails = round.filesFail || round.directoriesFail;
        EXPECT_EQ(Save(), !fails);
        EXPECT_EQ(t.diagnostics.checkLog, round.log);
        EXPECT_EQ(t.status.panel[0], round.panel);
        EXPECT_EQ(t.diagnostics.checkLogStatus, round.status);
        EXPECT_EQ(t.model.glChanged, fails);
    }
    EXPECT_EQ(ReadBack(), "U:keep=http://keep/;");
}

TEST_F(FavoritesSaveTest, NothingIsRemovedWhenAnEntryCouldNotBeWritten) {
    temp.Write("Favorites/gone.url", Shortcut("http://gone/"));
    temp.Write("Favorites/keep.url", Shortcut("http://keep/"));
    ASSERT_TRUE(Read(t));
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[Find("gone")], false));
    ASSERT_TRUE(t.model.EditUrlEntry(Find("keep"), {"", "http://keep/", "", "", ""}));
    EXPECT_FALSE(Save());
    EXPECT_TRUE(fs::exists(Path("gone.url")));
    EXPECT_EQ(t.status.panel[0], "OK : 0  NG : 1");
    EXPECT_TRUE(t.diagnostics.checkLogShown);
    EXPECT_TRUE(t.model.glChanged);
}

TEST_F(FavoritesSaveTest, TwinsDifferingInCaseStayAsTheyAreSaveAfterSave) {
    temp.Write("Favorites/News.url", Shortcut("http://n1/"));
    temp.Write("Favorites/news.url", Shortcut("http://n2/"));
    temp.Write("Favorites/Dir/x.url", Shortcut("http://x/"));
    temp.Write("Favorites/dir/y.url", Shortcut("http://y/"));
    ASSERT_TRUE(Read(t));
    const auto before = DiskState(Fav());
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(Save());
        EXPECT_EQ(DiskState(Fav()), before) << round;
    }
    EXPECT_TRUE(t.diagnostics.checkLog.empty());
}

TEST_F(FavoritesSaveTest, NamesTooLongForTheFileSystemAreShortened) {
    temp.Write("Favorites/a.url", Shortcut("http://a/"));
    ASSERT_TRUE(Read(t));
    std::string name;
    for (int k = 0; k < 100; ++k) name += "漢";  // 300 bytes
    ASSERT_TRUE(t.model.EditUrlEntry(1, {name, "http://a/", "", "", ""}));
    ASSERT_TRUE(Save());
    EXPECT_EQ(t.status.panel[0], "OK : 1  NG : 0");
    // 83 kanji and ".url": the most that fits in 255 bytes.
    EXPECT_TRUE(fs::exists(Path(name.substr(0, 83 * 3) + ".url")));
    EXPECT_FALSE(fs::exists(Path("a.url")));

    // Save-as too: the whole tree is written, nothing refused.
    const std::string target = (temp.Path() / "out" / "Favorites").string();
    t.dialogs.nextDirectory = target;
    t.prompts.nextAnswer = Answer::Yes;
    ASSERT_TRUE(SaveAsIE(t.model));
    EXPECT_TRUE(fs::exists(target + "/" + name.substr(0, 83 * 3) + ".url"));
}

// Random edits of a random Favorites tree, then the overwrite save: the directory read back is
// exactly the edited collection, and a second save changes nothing on the disk.
TEST_F(FavoritesSaveTest, RandomEditsThenSaveReadBackAsTheEditedCollection) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        TempDir dir;
        const fs::path favorites = dir.Path() / "Favorites";
        std::mt19937 random(seed);
        int serial = 0;
        std::vector<std::string> folders = {""};
        fs::create_directories(favorites);
        for (int k = 0; k < 25; ++k) {
            const std::string parent = folders[random() % folders.size()];
            const std::string name = "n" + std::to_string(++serial);
            if (random() % 4 == 0) {
                const std::string folder = parent.empty() ? name : parent + "/" + name;
                fs::create_directories(favorites / folder);
                folders.push_back(folder);
            } else {
                dir.Write("Favorites/" + (parent.empty() ? "" : parent + "/") + name + ".url",
                          Shortcut("http://" + name + "/"));
            }
        }
        TestModel edited;
        edited.settings.noOverwriteQuestion = true;
        std::string error;
        int urls = 0;
        ASSERT_TRUE(
            Unpacked(LoadSource(edited.model, true, favorites.string(), SourceKind::Favorites),
                     urls, error));
        BmLogic& model = edited.model;
        for (int step = 0; step < 12; ++step) {
            if (model.glCT < 2) break;
            const int entry =
                1 + static_cast<int>(random() % static_cast<unsigned>(model.glCT - 1));
            const int other =
                1 + static_cast<int>(random() % static_cast<unsigned>(model.glCT - 1));
            const std::string name = "e" + std::to_string(++serial);
            switch (random() % 6) {
                case 0:
                    model.DeleteNode(model.glNode[entry], false);
                    break;
                case 1:
                    model.DropMove(model.glNode[entry], model.glNode[other], false);
                    break;
                case 2:
                    if (model.IsFolder(entry)) {
                        model.EditFolderEntry(entry, name, "");
                    } else {
                        model.EditUrlEntry(entry,
                                           {name, std::string(model.glUrl[entry]), "", "", ""});
                    }
                    break;
                case 3:
                    model.MarkClip(entry, true);
                    model.PasteClip(other);
                    break;
                case 4:
                    model.NewUrl(model.glNode[entry], {name, "http://" + name + "/", "", "", ""},
                                 false);
                    break;
                default:
                    model.NewFolder(model.glNode[entry], name, false);
                    break;
            }
        }
        const std::string expected = Canonical(model, 0);
        model.SetCurrent(0);
        ASSERT_TRUE(SaveBM(model)) << "seed " << seed;
        TestModel again;
        ASSERT_TRUE(Unpacked(
            LoadSource(again.model, true, favorites.string(), SourceKind::Favorites), urls, error));
        ASSERT_EQ(Canonical(again.model, 0), expected) << "seed " << seed;
        const auto disk = DiskState(favorites);
        ASSERT_TRUE(SaveBM(model)) << "seed " << seed;
        ASSERT_EQ(DiskState(favorites), disk) << "seed " << seed;
    }
}

TEST_F(FavoritesSaveTest, ShortcutsKeepEveryOtherLineAndUnchangedOnesAreNotTouched) {
    const std::string rich =
        "[DEFAULT]\r\nBASEURL=http://old/\r\n[InternetShortcut]\r\nURL=http://old/\r\n"
        "IconFile=http://old/favicon.ico\r\nIconIndex=1\r\nHotKey=0\r\nModified=C0A1B2\r\n"
        "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n";
    const std::string lineFeeds = "[InternetShortcut]\nURL=http://lf/\nIconIndex=0\n";
    temp.Write("Favorites/rich.url", rich);
    temp.Write("Favorites/lf.url", lineFeeds);
    temp.Write("Favorites/plain.url", Shortcut("http://plain/"));
    temp.Write("Favorites/Folder/other.url", Shortcut("http://other/"));
    // Saves that leave a file alone leave its time alone too. A whole second: Windows' C
    // runtime sets and gives a file's time to the second.
    const auto longAgo = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now() -
                                                                  std::chrono::hours(24 * 400));
    fs::last_write_time(Path("plain.url"), longAgo);
    ASSERT_TRUE(Read(t));
    EXPECT_TRUE(t.model.ExtrasOf(Find("plain")).empty());
    ASSERT_TRUE(t.model.EditUrlEntry(Find("rich"), {"rich", "http://new/", "", "", ""}));
    ASSERT_GE(t.model.DropMove(t.model.glNode[Find("lf")], t.model.glNode[Find("Folder")], false),
              0);
    ASSERT_TRUE(Save());

    std::string expected = rich;
    expected.replace(expected.find("BASEURL=http://old/"), 19, "BASEURL=http://new/");
    expected.replace(expected.find("\nURL=http://old/"), 16, "\nURL=http://new/");
    EXPECT_EQ(ReadBytes(Path("rich.url")), expected);
    EXPECT_EQ(ReadBytes(Path("Folder/lf.url")), lineFeeds);
    EXPECT_FALSE(fs::exists(Path("lf.url")));
    EXPECT_EQ(fs::last_write_time(Path("plain.url")), longAgo);

    // A second save right after changes no file at all.
    const auto richTime = fs::last_write_time(Path("rich.url"));
    fs::last_write_time(Path("rich.url"), longAgo);
    ASSERT_TRUE(Save());
    EXPECT_EQ(fs::last_write_time(Path("rich.url")), longAgo);
    EXPECT_NE(richTime, longAgo);

    // So does a save to the same directory named another way: with a separator at its end, and
    // on Windows in another letter case or with "/" for "\".
    std::vector<std::string> otherNames = {Fav() + "/"};
#ifdef _WIN32
    std::string upper = Fav();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string slashes = Fav();
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    otherNames.push_back(upper);
    otherNames.push_back(slashes);
#endif
    const auto disk = DiskState(Fav());
    const char* const files[] = {"rich.url", "plain.url", "Folder/lf.url", "Folder/other.url"};
    std::map<std::string, fs::file_time_type> times;
    for (const char* name : files) times[name] = fs::last_write_time(Path(name));
    for (const std::string& otherName : otherNames) {
        SCOPED_TRACE(otherName);
        ASSERT_TRUE(SaveFavorite(t.model, otherName, 0));
        EXPECT_EQ(DiskState(Fav()), disk);
        for (const char* name : files) {
            EXPECT_EQ(fs::last_write_time(Path(name)), times[name]) << name;
        }
    }

    // A bookmark file cannot hold a shortcut's other lines: the save says so once.
    t.diagnostics.checkLog.clear();
    ASSERT_TRUE(WriteBookmarkFile(t.model, (temp.Path() / "out.htm").string(), 0));
    EXPECT_EQ(t.diagnostics.checkLog, std::vector<std::string>{DroppedExtrasMessage(2)});
}

TEST_F(FavoritesSaveTest, RealShortcutsStayByteForByteThroughSaves) {
    const fs::path corpus = pernard::testing::CorpusDir();
    if (corpus.empty()) GTEST_SKIP() << "the shared corpus is not next to the project";
    std::map<std::string, std::string> originals;
    for (const auto& entry : fs::directory_iterator(corpus / "url")) {
        if (!entry.is_regular_file() || !IsShortcutFileName(entry.path().string())) continue;
        const std::string name = entry.path().filename().string();
        originals[name] = ReadBytes(entry.path().string());
        temp.Write("Favorites/" + name, originals[name]);
    }
    ASSERT_FALSE(originals.empty());
    ASSERT_TRUE(Read(t));
    ASSERT_TRUE(Save());
    for (const auto& [name, bytes] : originals) EXPECT_EQ(ReadBytes(Path(name)), bytes) << name;

    // A changed URL changes that line only: the file read back holds the new URL and every
    // other line it had.
    const std::string name = originals.begin()->first;
    const int index = Find(name.substr(0, name.size() - 4));
    ASSERT_GE(index, 0);
    ASSERT_TRUE(t.model.EditUrlEntry(
        index, {std::string(t.model.glName[index]), "http://changed.example/", "", "", ""}));
    ASSERT_TRUE(Save());
    const std::string changed = ReadBytes(Path(name));
    EXPECT_EQ(ReadShortcutUrl(Path(name)), "http://changed.example/");
    EXPECT_EQ(ShortcutWithUrl(changed, ReadShortcutUrl((corpus / "url" / name).string())),
              originals.begin()->second);
}

// A shortcut far larger than any browser writes (here 100 KiB of other lines) keeps every byte
// whatever happens to its entry: moved, renamed, its URL edited, saved as.
TEST_F(FavoritesSaveTest, LargeShortcutsKeepEveryByteThroughEveryEdit) {
    const auto large = [](const std::string& url) {
        std::string bytes = "[InternetShortcut]\r\nURL=" + url + "\r\n[Notes]\r\n";
        for (int line = 0; bytes.size() < 100 * 1024; ++line) {
            bytes += "Note" + std::to_string(line) + "=" + std::string(60, 'x') + "\r\n";
        }
        return bytes + "Last=end";
    };
    struct Case {
        const char* name;
        std::function<bool(BmLogic&, int entry, int folder)> edit;
        const char* savedAs;  // where the entry's file is after the save
        std::string url;      // the URL it holds then
    };
    const std::vector<Case> cases = {
        {"moved",
         [](BmLogic& m, int i, int folder) {
             return m.DropMove(m.glNode[i], m.glNode[folder], false) >= 0;
         },
         "Folder/moved.url", "http://moved/"},
        {"renamed",
         [](BmLogic& m, int i, int) {
             return m.EditUrlEntry(i, {"new name", "http://renamed/", "", "", ""});
         },
         "new name.url", "http://renamed/"},
        {"edited",
         [](BmLogic& m, int i, int) {
             return m.EditUrlEntry(i, {"edited", "http://changed/", "", "", ""});
         },
         "edited.url", "http://changed/"},
        {"unchanged", [](BmLogic&, int, int) { return true; }, "unchanged.url",
         "http://unchanged/"},
    };
    fs::create_directories(Path("Folder"));
    for (const Case& c : cases) {
        temp.Write("Favorites/" + std::string(c.name) + ".url",
                   large("http://" + std::string(c.name) + "/"));
    }
    ASSERT_TRUE(Read(t));
    for (const Case& c : cases)
        ASSERT_TRUE(c.edit(t.model, Find(c.name), Find("Folder"))) << c.name;
    ASSERT_TRUE(Save());
    const std::string savedAs = (temp.Path() / "out" / "Favorites").string();
    t.dialogs.nextDirectory = savedAs;
    ASSERT_TRUE(SaveAsIE(t.model));
    for (const Case& c : cases) {
        EXPECT_EQ(ReadBytes(Path(c.savedAs)), large(c.url)) << c.name;
        EXPECT_EQ(ReadBytes(savedAs + "/" + c.savedAs), large(c.url)) << c.name;
        if (std::string(c.name) + ".url" != c.savedAs) {
            EXPECT_FALSE(fs::exists(Path(std::string(c.name) + ".url"))) << c.name;
        }
    }
}

// A shortcut is written back in the form it was read in: an empty file or one without a URL
// stays as it is while its entry is unchanged, a UTF-16 file stays UTF-16 in its byte order
// with its byte order mark, a UTF-8 one keeps its byte order mark.
TEST_F(FavoritesSaveTest, ShortcutsStayInTheirOwnEncoding) {
    const auto utf16 = [](const std::u16string& text, bool bigEndian = false) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t unit : text) {
            const char low = static_cast<char>(unit & 0xFF);
            const char high = static_cast<char>(unit >> 8);
            bytes += bigEndian ? high : low;
            bytes += bigEndian ? low : high;
        }
        return bytes;
    };
    struct Case {
        const char* name;
        std::string before;
        std::string url;   // the URL read
        std::string edit;  // a new URL, or nothing
        std::string after;
    };
    const std::vector<Case> cases = {
        {"empty", "", "N/A", "", ""},
        {"empty edited", "", "N/A", "http://e/", Shortcut("http://e/")},
        {"wide", utf16(u"[InternetShortcut]\r\nURL=http://w/\r\nIconIndex=1\r\n"), "http://w/", "",
         utf16(u"[InternetShortcut]\r\nURL=http://w/\r\nIconIndex=1\r\n")},
        {"wide edited", utf16(u"[InternetShortcut]\r\nURL=http://w/\r\nIconIndex=1\r\n"),
         "http://w/", "http://新/😀",
         utf16(u"[InternetShortcut]\r\nURL=http://新/😀\r\nIconIndex=1\r\n")},
        {"wide without url", utf16(u"[Other]\r\nX=日本"), "N/A", "http://x/",
         utf16(u"[Other]\r\nX=日本\r\n[InternetShortcut]\r\nURL=http://x/\r\n")},
        {"wide big-endian", utf16(u"[InternetShortcut]\r\nURL=http://b/\r\n", true), "http://b/",
         "", utf16(u"[InternetShortcut]\r\nURL=http://b/\r\n", true)},
        {"wide big-endian edited", utf16(u"[InternetShortcut]\r\nURL=http://b/\r\nX=1", true),
         "http://b/", "http://東/😀", utf16(u"[InternetShortcut]\r\nURL=http://東/😀\r\nX=1", true)},
        {"no url line", "[InternetShortcut]\r\nIconIndex=1\r\n", "N/A", "",
         "[InternetShortcut]\r\nIconIndex=1\r\n"},
        {"no url line either", "[InternetShortcut]\r\nIconIndex=2\r\n", "N/A", "",
         "[InternetShortcut]\r\nIconIndex=2\r\n"},
        {"marked utf-8", "\xEF\xBB\xBF[InternetShortcut]\nURL=http://日本/\n", "http://日本/",
         "http://東京/", "\xEF\xBB\xBF[InternetShortcut]\nURL=http://東京/\n"},
    };
    for (const Case& c : cases) temp.Write("Favorites/" + std::string(c.name) + ".url", c.before);
    ASSERT_TRUE(Read(t));
    for (const Case& c : cases) {
        const int entry = Find(c.name);
        ASSERT_GE(entry, 0) << c.name;
        EXPECT_EQ(t.model.glUrl[entry], c.url) << c.name;
        if (!c.edit.empty()) {
            ASSERT_TRUE(t.model.EditUrlEntry(entry, {c.name, c.edit, "", "", ""}));
        }
    }
    ASSERT_TRUE(Save());
    for (const Case& c : cases) {
        EXPECT_EQ(ReadBytes(Path(std::string(c.name) + ".url")), c.after) << c.name;
    }
}

// Names read from the directory go back to the very files they were read from: the extension's
// letter case, a "\" (legal on Linux) and CP932 names copied from Windows (表 is 95 5C) stay as
// they are, save after save, also when the save fails for another entry. A new name maps the
// characters Windows cannot hold.
TEST_F(FavoritesSaveTest, NamesReadFromTheDirectoryStayAsTheyAre) {
    const std::vector<std::string> files = {
        "Upper.URL",       "back\\slash.url", "\x95\x5C.url", "\x95\x5C dir/\x83\x5C.url",
        "trailing./a.url", "CON.url",         "gone.url",
    };
    for (const std::string& file : files) temp.Write("Favorites/" + file, Shortcut("http://a/"));
    ASSERT_TRUE(Read(t));
    const auto before = DiskState(Fav());
    ASSERT_TRUE(Save());
    EXPECT_EQ(DiskState(Fav()), before);
    EXPECT_TRUE(t.diagnostics.checkLog.empty());

    // A save that fails for one entry (a name that can be no file name) writes every other
    // entry to its own file and removes nothing: no entry appears twice.
    ASSERT_TRUE(
        t.model.NewUrl(t.model.glNode[Find("gone")], {"", "http://nameless/", "", "", ""}, false));
    ASSERT_FALSE(Save());
    EXPECT_EQ(DiskState(Fav()), before);

    // Once it can be written, the deletions are carried out.
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[Find("")], false));
    ASSERT_TRUE(t.model.DeleteNode(t.model.glNode[Find("gone")], false));
    ASSERT_TRUE(t.model.NewUrl(t.model.glNode[Find("CON")],
                               {"new\\name", "http://new/", "", "", ""}, false));
    ASSERT_TRUE(Save());
    auto after = before;
    after.erase("gone.url");
    after["new＼name.url"] = Shortcut("http://new/");
    EXPECT_EQ(DiskState(Fav()), after);

    // A single shortcut given as the source goes back to its own file too.
    TestModel single;
    single.settings.noOverwriteQuestion = true;
    std::string error;
    int urls = 0;
    ASSERT_TRUE(Unpacked(LoadSource(single.model, true, Path("Upper.URL"), SourceKind::Favorites),
                         urls, error));
    single.model.SetCurrent(0);
    ASSERT_TRUE(SaveBM(single.model));
    EXPECT_EQ(DiskState(Fav()), after);
}
