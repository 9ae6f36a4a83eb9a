// What a save must never lose: bytes that did not decode, and the entries a stopped read left
// out of the table.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliCommands.h"
#include "commands/FavoritesCommands.h"
#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "formats/favorites/FavoritesWriter.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"
#include "util/CodePage.h"

using namespace pernard;
using pernard::testing::ReadBytes;
using pernard::testing::TempDir;
using pernard::testing::TestModel;

namespace {

constexpr const char* kPartialQuestion =
    "このブックマークは途中までしか読み込まれていません。上書保存すると、読み込まれなかった"
    "エントリーがファイルから失われます。保存しますか？";

class NothingLostTest : public ::testing::Test {
protected:
    bool Load(const std::string& name, const std::string& bytes) {
        path = temp.Write(name, bytes);
        int urls = 0;
        std::string error;
        return Unpacked(LoadSource(t.model, true, path, SourceKind::BookmarkFile), urls, error);
    }
    // The overwrite save, answering every question with `answer`.
    bool Save(Answer answer) {
        t.prompts.nextAnswer = answer;
        t.model.SetCurrent(0);
        return SaveBM(t.model);
    }
    TestModel t;
    TempDir temp;
    std::string path;
};

}  // namespace

TEST_F(NothingLostTest, AnUnchangedSaveWritesUndecodableBytesBack) {
    // CP932 with bytes that are no CP932 (GBK text, a stray byte), and UTF-8 with a stray byte.
    const std::string cp932 =
        "<TITLE>\x82\xA0\xA0</TITLE>\r\n<DL><p>\r\n"
        "<DT><A HREF=\"http://x/\x81\" ADD_DATE=\"1\">\xD6\xD0\xCE\xC4 \xED\x40</A>\r\n"
        "</DL><p>\r\n";
    ASSERT_TRUE(Load("cp932.htm", cp932));
    EXPECT_TRUE(HasKeptBytes(t.model.glName[1]));
    // Two bytes did not decode (0xA0, 0x81); ED 40 is a character kept as its bytes.
    EXPECT_NE(t.diagnostics.readingLog.back().find("変換できないバイト 2 個"), std::string::npos)
        << t.diagnostics.readingLog.back();
    ASSERT_TRUE(Save(Answer::Yes));
    const std::string saved = ReadBytes(path);
    EXPECT_NE(saved.find("<TITLE>\x82\xA0\xA0</TITLE>"), std::string::npos);
    EXPECT_NE(saved.find("\xD6\xD0\xCE\xC4 \xED\x40</A>"), std::string::npos);
    EXPECT_NE(saved.find("HREF=\"http://x/\x81\""), std::string::npos);
    EXPECT_TRUE(t.prompts.questions.size() == 1);  // only the usual overwrite question

    const std::string utf8 =
        "<META charset=\"UTF-8\">\n<TITLE>Root</TITLE>\n<DL><p>\n"
        "<DT><A HREF=\"http://y/\">日本\xff語</A>\n</DL><p>\n";
    ASSERT_TRUE(Load("utf8.htm", utf8));
    ASSERT_TRUE(Save(Answer::Yes));
    EXPECT_NE(ReadBytes(path).find("日本\xff語</A>"), std::string::npos);
}

TEST_F(NothingLostTest, ACtrlZAnywhereIsAByteOfTheFileAndEndsNothing) {
    // In a name, alone on a line between entries, and at the end as old tools wrote it.
    ASSERT_TRUE(Load("z.htm",
                     "<TITLE>T</TITLE>\r\n<DL><p>\r\n<DT><A HREF=\"http://a/\">a\x1a"
                     "b</A>\r\n\x1a\r\n<DT><A HREF=\"http://c/\">c</A>\r\n</DL><p>\r\n\x1a"));
    EXPECT_EQ(pernard::testing::DumpTable(t.model),
              "0 -1 R T\n1 0 U a\x1a"
              "b http://a/\n2 0 U c http://c/\n");
    ASSERT_TRUE(Save(Answer::Yes));
    const std::string saved = ReadBytes(path);
    EXPECT_NE(saved.find(">a\x1a"
                         "b</A>"),
              std::string::npos);
    // Read back and saved unchanged, the file keeps its bytes.
    ASSERT_TRUE(Load("z.htm", saved));
    EXPECT_EQ(t.model.glCT, 3);
    ASSERT_TRUE(Save(Answer::Yes));
    EXPECT_EQ(ReadBytes(path), saved);
}

TEST_F(NothingLostTest, WritingKeptBytesIntoAnotherEncodingAsksFirst) {
    // A Favorites name that is not UTF-8 can only be written to a bookmark file as U+FFFD.
    const auto favorites = temp.Path() / "Favorites";
    std::filesystem::create_directories(favorites);
    temp.Write("Favorites/ok\xff.url", "[InternetShortcut]\r\nURL=http://z/\r\n");
    int urls = 0;
    std::string error;
    ASSERT_TRUE(Unpacked(LoadSource(t.model, true, favorites.string(), SourceKind::Favorites), urls,
                         error));
    ASSERT_TRUE(HasKeptBytes(t.model.glName[1]));
    EXPECT_TRUE(WouldReplaceKeptBytes(t.model, 0));
    EXPECT_EQ(ShownText(t.model.glName[1]), "ok\xEF\xBF\xBD");
    EXPECT_NE(BookmarkFileText(t.model, 0).find(">ok&#65533;</A>"), std::string::npos);

    // A bookmark file's own bytes in its own encoding ask nothing.
    ASSERT_TRUE(
        Load("plain.htm", "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">\x82</A>\n"));
    EXPECT_FALSE(WouldReplaceKeptBytes(t.model, 0));
}

TEST_F(NothingLostTest, AStoppedReadNeverShrinksItsFileSilently) {
    std::string file = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 15; ++k)
        file += "<DT><A HREF=\"http://" + std::to_string(k) + "/\">u</A>\n";
    const std::string original = file + "</DL><p>\n";
    t.settings.maxUrl = "5";
    EXPECT_FALSE(Load("fifteen.htm", original));
    EXPECT_TRUE(t.model.IsRootPartial(0));
    // The safe answer keeps the file as it was.
    EXPECT_FALSE(Save(Answer::No));
    EXPECT_EQ(ReadBytes(path), original);
    // Only on purpose does it shrink.
    t.prompts.questions.clear();
    t.prompts.nextAnswer = Answer::Yes;
    EXPECT_TRUE(SaveBM(t.model));
    EXPECT_EQ(t.prompts.questions.back(), kPartialQuestion);

    // The depth limit stops a read the same way.
    std::string deep = "<TITLE>D</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 25; ++k) deep += "<DT><H3>f</H3>\n<DL><p>\n";
    t.settings.maxUrl = "1000";
    EXPECT_FALSE(Load("deep.htm", deep));
    EXPECT_TRUE(t.model.IsRootPartial(0));
}

TEST_F(NothingLostTest, TheCommandLineRefusesToSaveAStoppedRead) {
    std::string file = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 15; ++k)
        file += "<DT><A HREF=\"http://" + std::to_string(k) + "/\">u</A>\n";
    path = temp.Write("fifteen.htm", file);
    std::ostringstream out, err;
    EXPECT_EQ(RunCli({"save", "--max-url", "5", path, "--to", path}, out, err), 1);
    EXPECT_EQ(ReadBytes(path), file);
    EXPECT_NE(err.str().find("URL MAX"), std::string::npos);
}

TEST_F(NothingLostTest, ASavedShiftJisFileNeverReadsBackAsUtf8) {
    // "ﾃｩ" in Shift_JIS is the bytes of "é" in UTF-8. The source is plainly Shift_JIS (0x82A0
    // is no UTF-8); the saved file, without that character, would pass for UTF-8.
    ASSERT_TRUE(Load("sjis.htm",
                     "<TITLE>\x82\xA0</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">\xC3\xA9</A>\n"));
    ASSERT_EQ(t.model.glName[1], "ﾃｩ");
    ASSERT_TRUE(t.model.EditFolderEntry(0, "plain", "/tmp/x.htm"));
    const std::string saved = temp.Write("saved.htm", BookmarkFileText(t.model, 0));
    TestModel again;
    int urls = 0;
    std::string error;
    ASSERT_TRUE(
        Unpacked(LoadSource(again.model, true, saved, SourceKind::BookmarkFile), urls, error));
    EXPECT_EQ(again.model.glName[1], "ﾃｩ");
}

TEST_F(NothingLostTest, SavesGoOnlyToFullPathsAndLongNamesStillFit) {
    ASSERT_TRUE(Load("a.htm", "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n"));
    // A root whose file name was edited into a relative one is not written into whatever
    // directory the program runs in.
    TableSurgery::SetVisited(t.model, 0, "relative.htm");
    EXPECT_FALSE(Save(Answer::Yes));
    EXPECT_EQ(t.prompts.messages.back(), "保存先はフルパスで指定してください : relative.htm");

    // 83 kanji make a 249-byte name: with ".url" it fits the 255-byte limit, and so must the
    // temporary file the save goes through.
    std::string name;
    for (int k = 0; k < 83; ++k) name += "漢";
    TableSurgery::SetName(t.model, 1, name);
    TableSurgery::Tree(t.model).SetText(t.model.glNode[1], name);
    const auto favorites = temp.Path() / "Favorites";
    std::filesystem::create_directories(favorites);
    ASSERT_TRUE(SaveFavorite(t.model, favorites.string(), 0));
    EXPECT_TRUE(std::filesystem::exists(favorites / (name + ".url")));
    EXPECT_EQ(t.status.panel[0], "OK : 1  NG : 0");
}
