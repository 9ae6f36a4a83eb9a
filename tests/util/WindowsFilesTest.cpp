// What a save does on Windows' own file system (run under Wine here): the replace in one step,
// refused with the old file kept when the target is read-only or held open by another program;
// paths past 260 characters; Japanese names and names beyond U+FFFF; Favorites names that
// Windows refuses or sees as one, through a real save to a Favorites directory and a read back;
// the user's Favorites folder and browser profiles where Windows keeps them.

#ifdef _WIN32

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

#include "cli/CliRun.h"
#include "commands/StartupRead.h"
#include "formats/BrowserStores.h"
#include "support/Doubles.h"
#include "support/TestFiles.h"
#include "util/Paths.h"
#include "util/SafeFile.h"
#include "util/UserFolders.h"
#include "util/WidePath.h"

using namespace pernard;
using pernard::testing::RunWith;
using pernard::testing::TempDir;
using pernard::testing::TestModel;
namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path) { return Utf8FromWide(path.wstring()); }

std::string ReadWide(const std::string& path) {
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(4096, '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool Save(const std::string& target, const std::string& bytes) {
    SafeFileWriter writer;
    if (!writer.Open(target)) return false;
    writer.Write(bytes);
    return writer.Commit();
}

// The names in a directory, as UTF-8.
std::set<std::string> Names(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(WidePath(directory)))) {
        names.insert(Utf8FromWide(entry.path().filename().wstring()));
    }
    return names;
}

// An environment variable set for as long as it lives, through the wide-character call.
class WideVariable {
public:
    WideVariable(const wchar_t* name, const std::string& value) : name_(name) {
        std::wstring was(32767, L'\0');
        const DWORD length =
            GetEnvironmentVariableW(name, was.data(), static_cast<DWORD>(was.size()));
        wasSet_ = length > 0;
        was_ = was.substr(0, length);
        SetEnvironmentVariableW(name, WideFromUtf8(value).c_str());
    }
    ~WideVariable() { SetEnvironmentVariableW(name_.c_str(), wasSet_ ? was_.c_str() : nullptr); }

private:
    std::wstring name_, was_;
    bool wasSet_ = false;
};

}  // namespace

TEST(WindowsFiles, SaveReplacesTheFileInOneStepOrKeepsTheOldOne) {
    TempDir temp;
    const std::string base = Utf8(temp.Path());
    const std::string longDirectory =
        base + "\\" + std::string(120, 'a') + "\\" + std::string(120, 'b') + "\\フォルダ";
    ASSERT_TRUE(fs::create_directories(fs::path(WidePath(longDirectory))));

    enum Hold { kNothing, kReadOnly, kOpenElsewhere };
    struct Case {
        const char* what;
        std::string target;
        Hold hold;
        bool saved;
    };
    const Case cases[] = {
        {"a plain name", base + "\\bookmark.htm", kNothing, true},
        {"a Japanese name", base + "\\お気に入り 一覧.htm", kNothing, true},
        {"a name beyond U+FFFF", base + "\\𠮷野家の 😀.htm", kNothing, true},
        {"a path past 260 characters", longDirectory + "\\ブックマーク.htm", kNothing, true},
        {"a read-only file", base + "\\read-only.htm", kReadOnly, false},
        {"a file another program holds open", base + "\\held.htm", kOpenElsewhere, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Save(c.target, "old"));
        ASSERT_EQ(ReadWide(c.target), "old");
        const std::wstring wide = WidePath(c.target);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.hold == kReadOnly) SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.hold == kOpenElsewhere) {
            // As an editor holds a file: others may read it, not delete or replace it.
            held = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        EXPECT_EQ(Save(c.target, "new"), c.saved);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadWide(c.target), c.saved ? "new" : "old");
        // No temporary file is left beside it, whatever happened.
        const std::string directory = c.target.substr(0, c.target.rfind('\\'));
        for (const std::string& name : Names(directory)) EXPECT_NE(name.rfind(".pernard-", 0), 0u);
    }
}

TEST(WindowsFiles, FavoritesNamesWindowsRefusesOrSeesAsOneAreWrittenAndReadBack) {
    TempDir temp;
    const std::string base = Utf8(temp.Path());
    // Device names, a trailing dot or space, the marks Windows forbids, names that differ only in
    // case (ASCII or not), Japanese, and characters beyond U+FFFF (two wide units each).
    const char* names[] = {"CON",   "nul.txt",      "com1", "Lpt9",   "trailing dot.", "space ",
                           "a<b>c", "x:\"y\"|z?",   "*/\\", "Case",   "CASE",          "Ärger",
                           "ärger", "日本語の名前", "ｶﾀｶﾅ", "𠮷野家", "😀 笑顔"};
    std::string file =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
        "CONTENT=\"text/html; charset=UTF-8\">\n<DL><p>\n";
    int n = 0;
    for (const char* name : names) {
        file += "<DT><A HREF=\"http://example.com/" + std::to_string(++n) + "\">" + name + "</A>\n";
    }
    // A folder beyond U+FFFF too, with a bookmark in it.
    file +=
        "<DT><H3>𠮷の📁</H3>\n<DL><p>\n<DT><A HREF=\"http://example.com/inside\">中の🍣</A>\n"
        "</DL><p>\n</DL><p>\n";
    const std::string source = base + "\\names.htm";
    ASSERT_TRUE(Save(source, file));
    const std::string favorites = base + "\\𠮷のお気に入り";

    const auto saved = RunWith({"save", source, "--to-favorites", favorites});
    ASSERT_EQ(saved.status, 0) << saved.err;
    // One file for each bookmark, none lost to another of the same name, and the folder.
    EXPECT_EQ(Names(favorites).size(), std::size(names) + 1);
    EXPECT_EQ(Names(favorites + "\\𠮷の📁"), std::set<std::string>{"中の🍣.url"});
    const auto listed = RunWith({"list", favorites});
    ASSERT_EQ(listed.status, 0) << listed.err;
    for (int k = 1; k <= n; ++k) {
        EXPECT_NE(listed.out.find("http://example.com/" + std::to_string(k) + "\t"),
                  std::string::npos)
            << k;
    }
    for (const char* name : {"日本語の名前", "𠮷野家", "😀 笑顔", "𠮷の📁", "中の🍣"}) {
        EXPECT_NE(listed.out.find(name), std::string::npos) << name;
    }
    EXPECT_NE(listed.out.find("http://example.com/inside\t"), std::string::npos);
}

TEST(WindowsFiles, TheUsersFavoritesAndBrowserProfilesAreWhereWindowsKeepsThem) {
    // The Favorites known folder, which a start-up that names no directory reads.
    const std::string favorites = DefaultFavoritesDirectory();
    ASSERT_FALSE(favorites.empty());
    EXPECT_TRUE(fs::path(WidePath(favorites)).is_absolute()) << favorites;
    EXPECT_EQ(FileNamePart(favorites), "Favorites");
    ASSERT_TRUE(fs::is_directory(fs::path(WidePath(favorites)))) << favorites;
    TestModel t;
    t.settings.startupSource = SourceKind::Favorites;
    int urls = 0;
    EXPECT_TRUE(StartupRead(t.model, urls));
    ASSERT_GT(t.model.glCT, 0);
    EXPECT_EQ(t.model.SourcePath(0), favorites);

    // The browsers' profiles below %LOCALAPPDATA% and %APPDATA%, whose user name here holds
    // Japanese and a character beyond U+FFFF.
    TempDir temp;
    const std::string user = Utf8(temp.Path()) + "\\𠮷田 😀";
    const std::string local = user + "\\AppData\\Local";
    const std::string roaming = user + "\\AppData\\Roaming";
    const std::string files[] = {
        local + "\\Microsoft\\Edge\\User Data\\Default\\Bookmarks",
        roaming + "\\Opera Software\\Opera Stable\\Bookmarks",
        roaming + "\\Mozilla\\Firefox\\profiles.ini",
        roaming + "\\Mozilla\\Firefox\\Profiles\\k3x9a2.default-release\\places.sqlite",
    };
    for (const std::string& file : files) {
        ASSERT_TRUE(fs::create_directories(fs::path(WidePath(ParentPath(file)))));
        ASSERT_TRUE(Save(file, file.ends_with(".ini")
                                   ? "[Profile0]\nName=既定\nIsRelative=1\n"
                                     "Path=Profiles/k3x9a2.default-release\nDefault=1\n"
                                   : "{}"));
    }
    const WideVariable localAppData(L"LOCALAPPDATA", local);
    const WideVariable appData(L"APPDATA", roaming);
    const StoreLocations where = StoreLocations::FromEnvironment();
    EXPECT_EQ(where.localAppData, local);
    EXPECT_EQ(where.appData, roaming);
    std::vector<std::string> found;
    for (const BrowserStore& store : FindBrowserStores(where)) {
        found.push_back(store.browser + " " + store.profile);
        EXPECT_TRUE(fs::is_regular_file(fs::path(WidePath(store.path)))) << store.path;
    }
    EXPECT_EQ(found, (std::vector<std::string>{"edge Default", "opera Default", "firefox 既定"}));
}

#endif
