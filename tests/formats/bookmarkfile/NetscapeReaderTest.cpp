#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

#include "formats/bookmarkfile/NetscapeReader.h"
#include "support/Doubles.h"
#include "support/Invariants.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::DumpTable;
using pernard::testing::TempDir;
using pernard::testing::TestModel;

namespace {

class NetscapeReaderTest : public ::testing::Test {
protected:
    // Reads `text` (UTF-8, converted to CP932 unless asked otherwise) as a complete load.
    bool Read(const std::string& text, bool reset = true, const std::string& name = "b.htm") {
        path = temp.Write(name, pernard::testing::ToCp932(text));
        error.clear();
        return Unpacked(LoadSource(t.model, reset, path, SourceKind::BookmarkFile), urls, error);
    }
    std::string_view Url(int i) { return t.model.glUrl[i]; }
    std::string_view Name(int i) { return t.model.glName[i]; }

    TestModel t;
    TempDir temp;
    std::string path;
    std::string error;
    int urls = 0;
};

const char* kSample =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
    "<!-- This is an automatically generated file.\r\n"
    "     It will be read and overwritten. -->\r\n"
    "<TITLE>ブックマーク</TITLE>\r\n"
    "<H1>ブックマーク</H1>\r\n"
    "<DL><p>\r\n"
    "    <DT><H3 ADD_DATE=\"1000\">ニュース</H3>\r\n"
    "    <DL><p>\r\n"
    "        <DT><A HREF=\"http://news.example.jp/\" ADD_DATE=\"1\" LAST_VISIT=\"2\" "
    "LAST_MODIFIED=\"3\">新聞</A>\r\n"
    "    </DL><p>\r\n"
    "    <DT><A HREF=\"http://top.example.jp/\" ADD_DATE=\"4\" LAST_VISIT=\"5\" "
    "LAST_MODIFIED=\"6\">トップ</A>\r\n"
    "</DL><p>\r\n";

}  // namespace

TEST_F(NetscapeReaderTest, ReadsTheUsualFile) {
    ASSERT_TRUE(Read(kSample));
    EXPECT_EQ(urls, 2);
    EXPECT_EQ(DumpTable(t.model),
              "0 -1 R ブックマーク\n1 0 F ニュース\n2 1 U 新聞 http://news.example.jp/\n"
              "3 0 U トップ http://top.example.jp/\n");
    EXPECT_EQ(t.model.glAdd[0], "Netscape Navigator");
    EXPECT_EQ(t.model.glVisit[0], path);
    EXPECT_EQ(t.model.glAdd[1], "1000");
    EXPECT_EQ(t.model.glVisit[1], "");
    EXPECT_EQ(t.model.glAdd[2], "1");
    EXPECT_EQ(t.model.glVisit[2], "2");
    EXPECT_EQ(t.model.glLast[2], "3");
    EXPECT_EQ(t.model.RootCharset(0), "CP932");
    EXPECT_EQ(t.diagnostics.comment, "NETSCAPE-Bookmark-file-1");
    EXPECT_EQ(t.diagnostics.title, "ブックマーク");
    EXPECT_EQ(t.diagnostics.heading, "ブックマーク");
    EXPECT_EQ(t.diagnostics.readingLog, (std::vector<std::string>{"DOCTYPE", "TITLE", "<H1>"}));
    EXPECT_EQ(t.diagnostics.bookmarkList[0], "<DL><p>");
    EXPECT_EQ(t.diagnostics.bookmarkList[2], "    <DL><p>");
    EXPECT_EQ(t.diagnostics.bookmarkList[3], "        <DT> 新聞");
    EXPECT_EQ(t.progress.shown, (std::vector<std::string>{"Bookmark 読込中"}));
    EXPECT_EQ(t.progress.caption, "");
    EXPECT_EQ(t.model.Tree().Count(), t.model.glCT);
}

TEST_F(NetscapeReaderTest, LineFeedsAloneAndMixedLineEndsEachEndALine) {
    std::string lf = kSample;
    for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
    ASSERT_TRUE(Read(lf));
    EXPECT_EQ(urls, 2);
    std::string cr = kSample;
    for (std::size_t at; (at = cr.find("\r\n")) != std::string::npos;) cr.erase(at + 1, 1);
    ASSERT_TRUE(Read(cr));
    EXPECT_EQ(urls, 2);
}

TEST_F(NetscapeReaderTest, TagsInAnyLetterCaseAndEndTagsWithBlanksBeforeTheirEnd) {
    ASSERT_TRUE(
        Read("<Title>Safari</Title>\n<dl><p>\n<dt><h3 folded>Favoris</h3>\n<dl><p>\n"
             "<dt><a href=\"http://a/\">A</a>\n</dl><p>\n</dl><p>\n"));
    EXPECT_EQ(DumpTable(t.model), "0 -1 R Safari\n1 0 F Favoris\n2 1 U A http://a/\n");
    ASSERT_TRUE(
        Read("<TITLE>T</TITLE>\n<DL><p>\n<DT><H3>F</H3 ><DL><p>\n"
             "<DT><A HREF=\"http://b/\">B</A >\n<DT><A HREF=\"http://c/\">C</a \t >\n"
             "<DT><A\n  HREF=\"http://d/\">joined</A\t>\n</DL><p>\n"
             "<DT><A HREF=\"http://e/\">E</A>\n"));
    EXPECT_EQ(DumpTable(t.model),
              "0 -1 R T\n1 0 F F\n2 1 U B http://b/\n3 1 U C http://c/\n"
              "4 1 U joined http://d/\n5 0 U E http://e/\n");
}

TEST_F(NetscapeReaderTest, CommentsSpanLinesAndOneLineCommentsDoNot) {
    ASSERT_TRUE(
        Read("<TITLE>T</TITLE>\n<DL><p>\n"
             "<!-- one line --><DT><A HREF=\"http://kept/\">kept</A>\n"
             "<!-- opens\n<DT><A HREF=\"http://hidden/\">hidden</A>\n"
             "closes --> <DT><A HREF=\"http://also-hidden/\">x</A>\n"
             "<DT><A HREF=\"http://after/\">after</A>\n"));
    EXPECT_EQ(DumpTable(t.model), "0 -1 R T\n1 0 U kept http://kept/\n2 0 U after http://after/\n");
    // The anchor after the comment's end is no bookmark: a save over the file would lose it.
    EXPECT_TRUE(t.model.IsRootPartial(0));
}

TEST_F(NetscapeReaderTest, WhatTheReadCannotHoldMakesTheRootPartial) {
    // Each file holds something the table does not (an anchor after a comment's end on the
    // comment's last line, one outside a list item): the read goes through, says so, and a
    // save over the file will ask first. The usual file, comments and all, is whole.
    const std::string head = "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n";
    const struct {
        const char* body;
        bool partial;
    } cases[] = {
        {"<!-- open\n--><DT><A HREF=\"http://d/\">d</A>\n", true},
        {"<A HREF=\"http://bare/\">bare</A>\n", true},
        {"<LI><A HREF=\"http://li/\">li</A>\n", true},
        {"<!-- open\n<DT><A HREF=\"http://commented/\">c</A>\n-->\n", false},
        {"<!-- one line --><DT><A HREF=\"http://b/\">b</A>\n", false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Read(head + c.body + "</DL><p>\n")) << c.body << error;
        EXPECT_EQ(t.model.IsRootPartial(0), c.partial) << c.body;
        const bool said = std::any_of(
            t.diagnostics.memo.begin(), t.diagnostics.memo.end(), [](const std::string& line) {
                return line ==
                       "<A HREF> のある 1 行はブックマークとして読み取れませんでした"
                       "（上書保存するとファイルから失われます）";
            });
        EXPECT_EQ(said, c.partial) << c.body;
    }
}

#ifdef __linux__
TEST_F(NetscapeReaderTest, AReadErrorIsNoEndOfTheFile) {
    // Reading the process's own memory from its start fails at once: the read says so instead
    // of passing for an empty file.
    EXPECT_FALSE(Unpacked(LoadSource(t.model, true, "/proc/self/mem", SourceKind::BookmarkFile),
                          urls, error));
    EXPECT_EQ(error,
              "ファイルを最後まで読めませんでした（読めたところまでを読み込みました） : "
              "/proc/self/mem");
}
#endif

TEST_F(NetscapeReaderTest, AnchorsAreTagsWithAttributesByName) {
    ASSERT_TRUE(
        Read("<TITLE>T</TITLE>\n<DL><p>\n"
             // Firefox order, with an icon between the dates
             "<DT><A HREF=\"http://ff/\" ADD_DATE=\"10\" LAST_MODIFIED=\"30\" ICON_URI=\"x\" "
             "ICON=\"data:x\">Firefox</A>\n"
             // iCab: HREF last, single quotes, no name end
             "<DT><A ADD_DATE='7' LAST_VISIT=8 HREF='http://icab/'>iCab\n"
             // only two values: the name stays
             "<DT><A HREF=\"http://two/\" ADD_DATE=\"1\">Two</A>\n"
             // a folder whose name mentions HREF is a folder
             "<DT><H3>HREF tips</H3>\n"
             // escaped names and URLs
             "<DT><A HREF=\"http://q/?a=1&amp;b=2\">Tom &amp; Jerry &lt;3&gt;</A>\n"
             // space before the closing sign, name after it
             "<DT><A HREF=\"http://ie/\" ADD_DATE=\"5\" >IE.url</A>\n"));
    EXPECT_EQ(Url(1), "http://ff/");
    EXPECT_EQ(t.model.glAdd[1], "10");
    EXPECT_EQ(t.model.glVisit[1], "");
    EXPECT_EQ(t.model.glLast[1], "30");
    EXPECT_EQ(Name(1), "Firefox");
    EXPECT_EQ(Url(2), "http://icab/");
    EXPECT_EQ(t.model.glAdd[2], "7");
    EXPECT_EQ(t.model.glVisit[2], "8");
    EXPECT_EQ(Name(2), "iCab");
    EXPECT_EQ(Name(3), "Two");
    EXPECT_EQ(t.model.glVisit[3], "");
    EXPECT_EQ(Url(4), "---");
    EXPECT_EQ(Name(4), "HREF tips");
    EXPECT_EQ(Url(5), "http://q/?a=1&b=2");
    EXPECT_EQ(Name(5), "Tom & Jerry <3>");
    EXPECT_EQ(Name(6), "IE.url");
}

TEST_F(NetscapeReaderTest, LinesWithoutListTagsAreIgnored) {
    // Anchors that make no bookmark: the read says so rather than pass for an empty file.
    EXPECT_FALSE(
        Read("<TITLE>T</TITLE>\n<DL><p>\n"
             "<A HREF=\"http://no-dt/\">no dt</A>\n"
             "<DD>see <a href=\"http://dd/\">here</a>\n"
             "<DT><ABBR>not an anchor</ABBR>\n"));
    EXPECT_EQ(error, "0 件 : <A HREF> はありましたが、ブックマークとして読み取れませんでした");
    EXPECT_EQ(t.model.glCT, 1);
    // The root stays, known to hold only part of the file: a save over it would lose the rest.
    EXPECT_TRUE(t.model.IsRootPartial(0));
    EXPECT_EQ(t.diagnostics.bookmarkList.back(), "<DT><ABBR>not an anchor</ABBR>");
}

TEST_F(NetscapeReaderTest, AnchorAndListEndOnOneLine) {
    // A line holding entries and list tags is read part by part, in order: an anchor followed by
    // "</DL>" closes its folder after it, a "</DL>" before a folder closes one before it opens,
    // and entries that follow one another on one line (a folder with all it holds among them)
    // are each read.
    ASSERT_TRUE(
        Read("<TITLE>T</TITLE>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n"
             "<DT><A HREF=\"http://a/\">a</A></DL><p>\n"
             "<DT><A HREF=\"http://b/\">b</A>\n"
             "</DL><p><DT><H3>G</H3>\n"
             "<DT><A HREF=\"http://c/\">c</A>\n"
             "<DT><A HREF=\"http://d/\">d <DT> e</A ><DT><H3>H</H3><DL><p><DT><A "
             "HREF=\"http://f/\">f</A></DL><p><HR><DT><A HREF=\"http://g/\">g</A>\n"));
    EXPECT_EQ(DumpTable(t.model),
              "0 -1 R T\n1 0 F F\n2 1 U a http://a/\n3 0 U b http://b/\n4 0 F G\n"
              "5 4 U c http://c/\n6 4 U d <DT> e http://d/\n7 4 F H\n8 7 U f http://f/\n"
              "9 4 U g http://g/\n");
}

TEST_F(NetscapeReaderTest, FolderKeepsTheTextAfterItsHeading) {
    ASSERT_TRUE(Read("<TITLE>T</TITLE>\n<DL><p>\n<DT><H3 ADD_DATE=\"9\">A&amp;B</H3>extra\n"));
    EXPECT_EQ(Name(1), "A&B");
    EXPECT_EQ(t.model.glAdd[1], "9");
    EXPECT_EQ(t.model.glVisit[1], "extra");
}

TEST_F(NetscapeReaderTest, ExtraListEndsNeverLeaveTheRoot) {
    ASSERT_TRUE(
        Read("<TITLE>T</TITLE>\n<DL><p>\n</DL><p>\n</DL><p>\n</DL><p>\n"
             "<DT><A HREF=\"http://late/\">late</A>\n"));
    EXPECT_EQ(DumpTable(t.model), "0 -1 R T\n1 0 U late http://late/\n");
}

TEST_F(NetscapeReaderTest, EntriesBeforeAnyTitleGetARootNamedAfterTheFile) {
    ASSERT_TRUE(Read("<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n", true,
                     "no-title.htm"));
    EXPECT_EQ(DumpTable(t.model), "0 -1 R no-title.htm\n1 0 F F\n2 1 U a http://a/\n");
    // In an additional load the new entries never attach to an earlier file's root.
    ASSERT_TRUE(Read("</DL>\n<DT><A HREF=\"http://b/\">b</A>\n", false, "more.htm"));
    EXPECT_EQ(DumpTable(t.model),
              "0 -1 R no-title.htm\n1 0 F F\n2 1 U a http://a/\n"
              "3 -1 R more.htm\n4 3 U b http://b/\n");
}

TEST_F(NetscapeReaderTest, EveryTitleStartsARootAtDepthOne) {
    ASSERT_TRUE(
        Read("<TITLE>One</TITLE>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n"
             "<TITLE>Two</TITLE>\n<DL><p>\n<DT><A HREF=\"http://b/\">b</A>\n"));
    EXPECT_EQ(DumpTable(t.model), "0 -1 R One\n1 0 F F\n2 -1 R Two\n3 2 U b http://b/\n");
}

TEST_F(NetscapeReaderTest, DuplicateUrlsAreSkippedAcrossReadsWhenAsked) {
    t.settings.skipDuplicates = true;
    const std::string file =
        "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n"
        "<DT><A HREF=\"http://A/\">upper</A>\n"
        "<DT><A HREF=\"http://a/\" ADD_DATE=\"99\">again</A>\n"
        "<DT><H3>F</H3>\n"
        // Bookmarks without a URL are no one's duplicates: each is read.
        "<DT><A HREF=\"N/A\">n1</A>\n<DT><A HREF=\"N/A\">n2</A>\n<DT><A HREF=\"\">e</A>\n";
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(urls, 5);
    EXPECT_EQ(t.diagnostics.readingLog.back(), "重複  again");
    // The folder after a skipped line does not inherit the skipped line's dates.
    EXPECT_EQ(t.model.glAdd[3], "");
    ASSERT_TRUE(Read(file, false));
    EXPECT_EQ(urls, 3);
    EXPECT_EQ(t.model.glCT, 7 + 5);
}

TEST_F(NetscapeReaderTest, StopsWhenTheTableIsFull) {
    t.settings.maxUrl = "5";
    std::string file = "<TITLE>T</TITLE>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n";
    for (int k = 0; k < 6; ++k) {
        file += "<DT><A HREF=\"http://" + std::to_string(k) + "/\">u</A>\n";
    }
    EXPECT_FALSE(Read(file));
    EXPECT_EQ(urls, 3);
    EXPECT_EQ(error, "URL MAX !!  設定のMAX値を修正して下さい");
    EXPECT_EQ(t.model.glCT, 5);
    // The reader returns what stopped it; the caller says it.
    EXPECT_TRUE(t.prompts.messages.empty());
    EXPECT_TRUE(t.model.IsRootPartial(0));

    // A file that fits the table exactly is read whole.
    t.settings.maxUrl = "8";
    t.prompts.messages.clear();
    EXPECT_TRUE(Read(file));
    EXPECT_EQ(urls, 6);
    EXPECT_TRUE(t.prompts.messages.empty());
    EXPECT_FALSE(t.model.IsRootPartial(0));
    t.settings.maxUrl = "5";

    // A folder that fills the table says so.
    t.settings.maxUrl = "2";
    EXPECT_FALSE(Read(file));
    EXPECT_EQ(error, "URL MAX !!  設定のMAX値を修正して下さい");

    // No room at all, or room for the root only.
    for (const char* max : {"1", "0", "-1"}) {
        t.settings.maxUrl = max;
        t.prompts.messages.clear();
        EXPECT_FALSE(Read(file)) << max;
        EXPECT_EQ(error, "URL MAX !!  設定のMAX値を修正して下さい");
        EXPECT_LE(t.model.glCT, std::max(0, std::atoi(max)));
        EXPECT_EQ(t.model.Tree().Count(), t.model.glCT);
    }
}

TEST_F(NetscapeReaderTest, EverySeparatorIsKeptWhereItStands) {
    // Several on one line each count; one before a title the table has no room for ends the
    // root before.
    ASSERT_TRUE(
        Read("<TITLE>A</TITLE>\n<DL><p>\n<HR><HR> <hr>\n<DT><A HREF=\"http://a/\">a</A>\n"));
    EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(1)).separatorsBefore, 3);
    t.settings.maxUrl = "2";
    EXPECT_FALSE(
        Read("<TITLE>A</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n<HR>\n"
             "<TITLE>B</TITLE>\n"));
    EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(0)).separatorsAtEnd, 1);
    EXPECT_TRUE(t.model.IsRootPartial(0));
}

TEST_F(NetscapeReaderTest, AdditionalLoadIntoAFullTable) {
    t.settings.maxUrl = "3";
    ASSERT_TRUE(Read("<TITLE>A</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">a</A>\n"));
    EXPECT_FALSE(Read("<TITLE>B</TITLE>\n<DL><p>\n<DT><A HREF=\"http://b/\">b</A>\n", false));
    EXPECT_EQ(t.model.glCT, 3);
    EXPECT_FALSE(Read("<TITLE>C</TITLE>\n", false));
    EXPECT_EQ(error, "URL MAX !!  設定のMAX値を修正して下さい");
    EXPECT_EQ(t.model.glCT, 3);
    EXPECT_EQ(t.model.Tree().Count(), 3);
}

TEST_F(NetscapeReaderTest, NestingStopsAtTheDepthLimit) {
    std::string file = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (int level = 0; level < 25; ++level)
        file += "<DT><H3>L" + std::to_string(level) + "</H3>\n<DL><p>\n";
    EXPECT_FALSE(Read(file));
    // Said once, by the caller: the reader shows nothing.
    EXPECT_EQ(error, "階層 ＭＡＸ Tree 作成不可");
    EXPECT_TRUE(t.prompts.messages.empty());
    EXPECT_EQ(t.model.glCT, 19);  // the root and 18 levels of folders
}

TEST_F(NetscapeReaderTest, MissingFileAndBadMaxUrl) {
    EXPECT_FALSE(Unpacked(LoadSource(t.model, true, "/no/such/file.htm", SourceKind::BookmarkFile),
                          urls, error));
    EXPECT_EQ(error, "Not Found Bookmark : /no/such/file.htm");
    EXPECT_TRUE(t.prompts.messages.empty());

    ASSERT_TRUE(Read(kSample));
    t.settings.maxUrl = "x";
    EXPECT_FALSE(Read(kSample));
    EXPECT_EQ(error, "ＵＲＬのＭＡＸ値を設定してください");
    EXPECT_EQ(t.model.glCT, 4);
}

TEST_F(NetscapeReaderTest, TheMemoEchoIsBounded) {
    t.settings.maxUrl = "10000";
    std::string file = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (int k = 0; k < 5000; ++k)
        file += "<DT><A HREF=\"http://" + std::to_string(k) + "/\">u</A>\n";
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(urls, 5000);
    EXPECT_EQ(t.diagnostics.memo.size(), 2000u + 1);
}

TEST_F(NetscapeReaderTest, HostileLinesNeverCrash) {
    const std::string nasty[] = {"<DT><A HREF=\"",
                                 "<DT><A HREF",
                                 "<DT><A ",
                                 "<DT><H3",
                                 "<DT><H3 ADD_DATE=\"",
                                 "</DL>",
                                 "<DT><A HREF=x>",
                                 "<DT><a\thref=y",
                                 "<TITLE>",
                                 "<!--",
                                 "-->",
                                 "<DT><A HREF='\xff'>\xfe",
                                 "&#xFFFFFFFFFF;",
                                 "<DT><A HREF=\"&#1114112;\">&#55296;</A>",
                                 std::string(100000, '<')};
    std::string file;
    for (const auto& line : nasty) file += line + "\n";
    temp.Write("nasty.htm", file);
    EXPECT_NO_FATAL_FAILURE(Unpacked(
        LoadSource(t.model, true, (temp.Path() / "nasty.htm").string(), SourceKind::BookmarkFile),
        urls, error));
    EXPECT_EQ(t.model.Tree().Count(), t.model.glCT);
}

TEST(NetscapeReaderRandom, RandomInputKeepsEveryInvariant) {
    // Files stitched together from tags, quotes, references, line ends and stray bytes.
    const char* pieces[] = {"<DT>",        "<DL>",  "</DL>",     "<H3",      "</H3>",
                            "<A ",         "<a\t",  "HREF=",     "\"",       "'",
                            ">",           "</A>",  "<TITLE>",   "</TITLE>", "<!--",
                            "-->",         "&amp;", "&#x",       "&#",       ";",
                            "\r",          "\n",    "\r\n",      "\x1a",     "\x82",
                            "\xe3\x81",    "日本",  "ADD_DATE=", " ",        "<META charset=utf-8>",
                            "\xef\xbb\xbf"};
    std::mt19937 random(20261208);
    TempDir temp;
    for (int round = 0; round < 300; ++round) {
        std::string file;
        const int count = static_cast<int>(random() % 300);
        for (int k = 0; k < count; ++k) {
            file += random() % 10 == 0 ? std::string(1, static_cast<char>(random() % 256))
                                       : pieces[random() % std::size(pieces)];
        }
        const std::string path = temp.Write("random.htm", file);
        TestModel t;
        t.settings.maxUrl = std::to_string(random() % 40);
        t.settings.skipDuplicates = random() % 2 == 0;
        t.settings.noEmptyFolders = random() % 2 == 0;
        int urls = 0;
        std::string error;
        Unpacked(LoadSource(t.model, true, path, SourceKind::BookmarkFile), urls, error);
        Unpacked(LoadSource(t.model, false, path, SourceKind::BookmarkFile), urls, error);
        ASSERT_EQ(pernard::testing::BrokenInvariant(t.model), "") << round;
        TableSurgery::SetChanged(t.model, true);
        t.diagnostics.memo.clear();
        t.model.CheckConsistency("random", true);
        ASSERT_EQ(t.diagnostics.memo.size(), 1u) << round << ": " << t.diagnostics.memo.back();
    }
}

TEST_F(NetscapeReaderTest, EntriesSpreadOverLinesAreReadAsOne) {
    // A lone <DT>, a tag broken over lines, a name wrapped before its </A>, a folder heading on
    // the line after its <DT>.
    ASSERT_TRUE(
        Read("<TITLE>T</TITLE>\n<DL>\n  <p>\n"
             "    <DT>\n    <H3 ADD_DATE=\"5\">Folder</H3>\n    <DL><p>\n"
             "    <DT>\n      <A\n        HREF=\"http://a/\"\n        ADD_DATE=\"1\">first\n"
             "        line</A>\n"
             "    <DT><A HREF=\"http://b/\" ADD_DATE=\"2\"\n      TAGS=\"x\">b</A>\n"
             "    </DL><p>\n"
             "<DT><A HREF=\"http://c/\">no closing tag, as ever\n"
             "<DT><A HREF=\"http://d/\">d</A>\n</DL>\n"))
        << error;
    EXPECT_EQ(pernard::testing::DumpTable(t.model),
              "0 -1 R T\n1 0 F Folder\n2 1 U first line http://a/\n3 1 U b http://b/\n"
              "4 0 U no closing tag, as ever http://c/\n5 0 U d http://d/\n");
    EXPECT_EQ(t.model.glAdd[1], "5");
    EXPECT_EQ(t.model.glAdd[2], "1");
}
