#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>

#include <csignal>
#include <random>

#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "model/TableBuilder.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"
#include "util/CodePage.h"

using namespace pernard;
using pernard::testing::DumpTable;
using pernard::testing::ReadBytes;
using pernard::testing::TempDir;
using pernard::testing::TestModel;
namespace fs = std::filesystem;

namespace {

// The writer's own format, line by line (each line followed by an empty one but the last).
std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    std::size_t k = 0;
    for (const auto& line : lines) {
        text += line + (++k < lines.size() ? "\r\n\r\n" : "\r\n");
    }
    return text;
}

const std::string kHeader = "<!DOCTYPE NETSCAPE-Bookmark-file>";
const std::string kShiftJis =
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">";
const std::string kComment = "<!-- This is written by Quillet -->";

class NetscapeWriterTest : public ::testing::Test {
protected:
    void Load(const std::string& bytes, bool reset = true) {
        int urls = 0;
        std::string error;
        ASSERT_TRUE(Unpacked(
            LoadSource(t.model, reset, temp.Write("in" + std::to_string(++files) + ".htm", bytes),
                       SourceKind::BookmarkFile),
            urls, error))
            << error;
    }
    TestModel t;
    TempDir temp;
    int files = 0;
};

}  // namespace

TEST_F(NetscapeWriterTest, EmptyRootGivesHeadersAndTheLastLine) {
    Load("<TITLE>Empty</TITLE>\r\n");
    EXPECT_EQ(BookmarkFileText(t.model, 0),
              Lines({kHeader, kShiftJis, kComment, "<TITLE>Empty</TITLE>", "<H1>Empty</H1>",
                     "<DL><p>", "</DL><p>"}));
}

TEST_F(NetscapeWriterTest, IndentationAndClosingLines) {
    std::string file = "<TITLE>R</TITLE>\n<DL><p>\n";
    for (int level = 0; level < 12; ++level)
        file += "<DT><H3 ADD_DATE=\"7\">L" + std::to_string(level) + "</H3>\n<DL><p>\n";
    file += "<DT><A HREF=\"http://deep/\">deep</A>\n";
    Load(file);
    const std::string text = BookmarkFileText(t.model, 0);
    EXPECT_NE(text.find("\r\n    <DT><H3 ADD_DATE=\"7\">L0</H3>\r\n\r\n    <DL><p>\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n" + std::string(40, ' ') + "<DT><H3 ADD_DATE=\"7\">L9</H3>\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n" + std::string(44, ' ') + "<DT><H3 ADD_DATE=\"7\">L10</H3>\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n" + std::string(44, ' ') + "<DT><H3 ADD_DATE=\"7\">L11</H3>\r\n"),
              std::string::npos);
    EXPECT_NE(text.find(std::string(44, ' ') + "<DT><A HREF=\"http://deep/\" ADD_DATE=\"\" "
                                               "LAST_VISIT=\"\" LAST_MODIFIED=\"\">deep</A>\r\n"),
              std::string::npos);
    // The end: closing lines indented like the lists they close, then the last line.
    const std::string tail = "    </DL><p>\r\n\r\n</DL><p>\r\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(NetscapeWriterTest, ThreeFoldersDeepEndsWithThreeClosingLines) {
    Load(
        "<TITLE>R</TITLE>\n<DL><p>\n<DT><H3>A</H3>\n<DL><p>\n<DT><H3>B</H3>\n<DL><p>\n"
        "<DT><H3>C</H3>\n<DL><p>\n<DT><A HREF=\"http://x/\" ADD_DATE=\"1\" LAST_VISIT=\"2\" "
        "LAST_MODIFIED=\"3\">x</A>\n");
    const std::string text = BookmarkFileText(t.model, 0);
    const std::string tail =
        "            <DT><A HREF=\"http://x/\" ADD_DATE=\"1\" LAST_VISIT=\"2\" "
        "LAST_MODIFIED=\"3\">x</A>\r\n\r\n"
        "            </DL><p>\r\n\r\n        </DL><p>\r\n\r\n    </DL><p>\r\n\r\n</DL><p>\r\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(NetscapeWriterTest, WriterFormatIsReproducedByteForByte) {
    const std::string original = pernard::testing::ToCp932(Lines(
        {kHeader, kShiftJis, kComment, "<TITLE>日本語</TITLE>", "<H1>日本語</H1>", "<DL><p>",
         "    <DT><H3 ADD_DATE=\"1577804400\">ニュース &amp; 天気</H3>", "    <DL><p>",
         "        <DT><A HREF=\"https://a.example.jp/?q=1&amp;r=2\" ADD_DATE=\"1\" "
         "LAST_VISIT=\"2\" LAST_MODIFIED=\"3\">&lt;新聞&gt; &quot;朝刊&quot;</A>",
         "    </DL><p>",
         "    <DT><A HREF=\"http://b/\" ADD_DATE=\"\" LAST_VISIT=\"\" LAST_MODIFIED=\"\">b</A>",
         "</DL><p>"}));
    Load(original);
    EXPECT_EQ(t.model.glName[2], "<新聞> \"朝刊\"");
    EXPECT_EQ(BookmarkFileText(t.model, 0), original);
}

TEST_F(NetscapeWriterTest, Utf8RootsStayUtf8AndCp932KeepsEveryCharacter) {
    Load("\xEF\xBB\xBF<TITLE>Émoji 😀</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">Ünïcode ☃</A>\n");
    std::string text = BookmarkFileText(t.model, 0);
    const std::string start = kHeader +
                              "\r\n\r\n<META HTTP-EQUIV=\"Content-Type\" "
                              "CONTENT=\"text/html; charset=UTF-8\">\r\n\r\n" +
                              kComment;
    EXPECT_EQ(text.substr(0, start.size()), start);
    EXPECT_NE(text.find("Ünïcode ☃"), std::string::npos);

    // A CP932 root: what CP932 cannot hold becomes a numeric reference, read back unchanged.
    Load(pernard::testing::ToCp932("<TITLE>日本</TITLE>\n<DL><p>\n<DT><H3>x</H3>\n"));
    ASSERT_EQ(t.model.glCT, 2);
    TableSurgery::SetName(t.model, 1, "Ünïcode ☃ 😀 日本");
    TableSurgery::Tree(t.model).SetText(t.model.glNode[1], t.model.glName[1]);
    text = BookmarkFileText(t.model, 0);
    EXPECT_NE(text.find("&#220;n&#239;code &#9731; &#128512; \x93\xfa\x96\x7b"), std::string::npos);
}

TEST_F(NetscapeWriterTest, TwoRootsAreWrittenSeparately) {
    Load("<TITLE>One</TITLE>\n<DL><p>\n<DT><A HREF=\"http://1/\">1</A>\n");
    Load("<TITLE>Two</TITLE>\n<DL><p>\n<DT><A HREF=\"http://2/\">2</A>\n", false);
    EXPECT_EQ(BookmarkFileText(t.model, 0).find("http://2/"), std::string::npos);
    EXPECT_NE(BookmarkFileText(t.model, 2).find("http://2/"), std::string::npos);
    int root = -1;
    t.model.SetCurrent(1);
    EXPECT_EQ(t.model.SelectedRoot(), 0);
    t.model.SetCurrent(3);
    EXPECT_EQ(t.model.SelectedRoot(), 2);
    t.model.SetCurrent(-1);
    EXPECT_FALSE(CheckRootNode(t.model, root));
    EXPECT_EQ(t.prompts.messages.back(), "フォルダーを選択してください");
}

TEST_F(NetscapeWriterTest, ReadSaveReadKeepsTheWholeTable) {
    Load(pernard::testing::ReadBytes(std::string(PERNARD_EXAMPLES_DIR) + "/bookmark.htm"));
    const std::string before = DumpTable(t.model);
    const std::string saved = (temp.Path() / "saved.htm").string();
    ASSERT_TRUE(WriteBookmarkFile(t.model, saved, 0));
    EXPECT_EQ(t.status.panel[1], "保存完了 " + saved);
    TestModel again;
    int urls = 0;
    std::string error;
    ASSERT_TRUE(
        Unpacked(LoadSource(again.model, true, saved, SourceKind::BookmarkFile), urls, error));
    EXPECT_EQ(DumpTable(again.model), before);
    for (int i = 1; i < t.model.glCT; ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_EQ(again.model.glAdd[k], t.model.glAdd[k]);
        EXPECT_EQ(again.model.glVisit[k], t.model.glVisit[k]);
        EXPECT_EQ(again.model.glLast[k], t.model.glLast[k]);
    }
    // Saving the saved file again gives the same bytes.
    ASSERT_TRUE(WriteBookmarkFile(again.model, saved + "2", 0));
    EXPECT_EQ(ReadBytes(saved + "2"), ReadBytes(saved));
}

TEST_F(NetscapeWriterTest, MarkupInNamesUrlsAndFoldersComesBackAsItWas) {
    // Generated collections whose texts are made of markup, quotes, references written out
    // literally and characters the file's encoding may lack, written and read back.
    const std::vector<std::string> pieces = {
        "<",        ">",         "&",     "\"",     "'",       "</A>",   "</H3>",
        "<DL><p>",  "</DL>",     "<DT>",  "<DD>",   "<HR>",    "<H1>",   "<TITLE>",
        "<A HREF=", "<!--",      "-->",   "&amp;",  "&lt;",    "&quot;", "&#39;",
        "&#x263A;", "&#128512;", "&nbsp", "日本語", "ｶﾅ",      "é",      "😀",
        "a b",      "=",         "/",     "x",      "y NAME=", "\" z"};
    std::mt19937 random(7);
    // One to six pieces; no blank at either end (a reader may trim them).
    auto text = [&] {
        std::string out;
        const int count = 1 + static_cast<int>(random() % 6);
        for (int k = 0; k < count; ++k) out += pieces[random() % pieces.size()];
        return out;
    };
    using pernard::testing::TableBuilder;
    for (const char* charset : {"", "UTF-8"}) {
        TestModel made;
        std::string error;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(made.model, error));
        TableBuilder::Root(made.model, text());
        TableSurgery::SetRootCharset(made.model, 0, charset);
        int depth = 1;  // the deepest open level (the root is level 1)
        for (int k = 0; k < 300; ++k) {
            const int level = 1 + static_cast<int>(random() % static_cast<unsigned>(depth));
            if (random() % 3 == 0 && level < 8) {
                TableSurgery::AppendFolder(made.model, made.model.OpenFolderAt(level), text(), "",
                                           text());
                depth = level + 1;
            } else {
                TableBuilder::Url(made.model, level, {text(), text(), "1", "2", "3"});
                depth = level;
            }
        }
        TestModel back;
        int urls = 0;
        ASSERT_TRUE(Unpacked(
            LoadSource(back.model, true, temp.Write("markup.htm", BookmarkFileText(made.model, 0)),
                       SourceKind::BookmarkFile),
            urls, error))
            << error;
        ASSERT_EQ(DumpTable(back.model), DumpTable(made.model)) << charset;
        for (int i = 1; i < made.model.glCT; ++i) {
            if (made.model.IsFolder(i)) {
                EXPECT_EQ(back.model.glVisit[i], made.model.glVisit[i]) << charset << " " << i;
            }
        }
    }
}

TEST_F(NetscapeWriterTest, AFailedSaveLeavesTheOldFileAsItWas) {
    Load("<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n");
    const std::string target = temp.Write("locked/bookmark.htm", "precious old bytes");
    TableSurgery::SetChanged(t.model, true);
    if (getuid() != 0) {
        fs::permissions(temp.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(WriteBookmarkFile(t.model, target, 0));
        fs::permissions(temp.Path() / "locked", fs::perms::owner_all);
        EXPECT_EQ(ReadBytes(target), "precious old bytes");
    }
    // A file its owner made read-only is left alone, even by an administrator.
    {
        const std::string readOnly = temp.Write("read-only.htm", "kept as it is");
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
        EXPECT_FALSE(WriteBookmarkFile(t.model, readOnly, 0));
        EXPECT_EQ(ReadBytes(readOnly), "kept as it is");
    }
    // A disk that fills up while writing: the file size limit makes the writes fail.
    {
        rlimit original{};
        getrlimit(RLIMIT_FSIZE, &original);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = original;
        small.rlim_cur = 8;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const std::string full = temp.Write("full.htm", "old");
        const bool written = WriteBookmarkFile(t.model, full, 0);
        setrlimit(RLIMIT_FSIZE, &original);
        std::signal(SIGXFSZ, previous);
        EXPECT_FALSE(written);
        EXPECT_EQ(ReadBytes(full), "old");
        EXPECT_EQ(t.prompts.messages.back(), "Cannot Save File : " + full);
    }
    // Something that is not a regular file is never replaced.
    EXPECT_FALSE(WriteBookmarkFile(t.model, temp.Path().string(), 0));
    // A directory that does not exist.
    EXPECT_FALSE(WriteBookmarkFile(t.model, (temp.Path() / "missing" / "b.htm").string(), 0));
    EXPECT_EQ(t.prompts.messages.back(),
              "Cannot Save File : " + (temp.Path() / "missing" / "b.htm").string());
    EXPECT_TRUE(t.model.glChanged);
    // No temporary file is left behind.
    EXPECT_EQ(
        std::distance(fs::directory_iterator(temp.Path() / "locked"), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 4);
}

TEST_F(NetscapeWriterTest, SaveThroughALinkReplacesTheFileNotTheLink) {
    Load("<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n");
    const std::string real = temp.Write("real.htm", "old");
    fs::create_symlink(real, temp.Path() / "link.htm");
    ASSERT_TRUE(WriteBookmarkFile(t.model, (temp.Path() / "link.htm").string(), 0));
    EXPECT_TRUE(fs::is_symlink(temp.Path() / "link.htm"));
    EXPECT_NE(ReadBytes(real).find("http://a/"), std::string::npos);
}

TEST_F(NetscapeWriterTest, OverwriteSaveAsksUnlessToldNotTo) {
    Load("<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n");
    const std::string source(t.model.glVisit[0]);
    TableSurgery::SetChanged(t.model, true);
    t.model.SetCurrent(1);
    t.prompts.nextAnswer = Answer::No;
    EXPECT_FALSE(SaveBM(t.model));
    EXPECT_EQ(t.prompts.questions.back(), "T を " + source + " に保存します ");
    EXPECT_TRUE(t.model.glChanged);

    t.prompts.nextAnswer = Answer::Yes;
    TableSurgery::SetName(t.model, 1, "renamed");
    EXPECT_TRUE(SaveBM(t.model));
    EXPECT_FALSE(t.model.glChanged);
    EXPECT_NE(ReadBytes(source).find("renamed"), std::string::npos);

    t.settings.noOverwriteQuestion = true;
    t.prompts.questions.clear();
    EXPECT_TRUE(SaveBM(t.model));
    EXPECT_TRUE(t.prompts.questions.empty());
}

TEST_F(NetscapeWriterTest, SaveAsRemembersTheFile) {
    Load("<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n");
    TableSurgery::SetChanged(t.model, true);
    t.settings.additionalBookmarkFile = "/earlier/more.htm";
    t.dialogs.nextFile = (temp.Path() / "copy.htm").string();
    EXPECT_TRUE(SaveBookmarkAs(t.model));
    EXPECT_EQ(t.dialogs.initialDirectories.back(), "/earlier/more.htm");
    EXPECT_EQ(t.settings.additionalBookmarkFile, t.dialogs.nextFile);
    EXPECT_TRUE(t.model.glChanged);
    t.dialogs.nextFile.clear();
    EXPECT_FALSE(SaveBookmarkAs(t.model));
}

TEST_F(NetscapeWriterTest, ARootWithAnEmptyTitleCanStillBeSaved) {
    Load("<TITLE></TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n");
    t.model.SetCurrent(1);
    t.settings.noOverwriteQuestion = true;
    TableSurgery::SetName(t.model, 1, "changed");
    EXPECT_TRUE(SaveBM(t.model));
    EXPECT_NE(ReadBytes(std::string(t.model.SourcePath(0))).find("changed"), std::string::npos);
}
