#include <gtest/gtest.h>

#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::DumpTable;
using pernard::testing::TempDir;
using pernard::testing::TestModel;

namespace {

const char* kNested =
    "<TITLE>Root</TITLE>\n<DL><p>\n"
    "<DT><H3>Outer</H3>\n<DL><p>\n<DT><H3>Inner</H3>\n<DL><p>\n</DL><p>\n</DL><p>\n"
    "<DT><H3>Keep</H3>\n<DL><p>\n<DT><H3>Way</H3>\n<DL><p>\n<DT><H3>Down</H3>\n<DL><p>\n"
    "<DT><A HREF=\"http://deep/\">deep</A>\n</DL><p>\n</DL><p>\n</DL><p>\n"
    "<DT><H3>Empty</H3>\n<DL><p>\n</DL><p>\n"
    "</DL><p>\n";

}  // namespace

TEST(EmptyFolders, RemovesFoldersWithoutUrlsInnerFirst) {
    TestModel t;
    TempDir temp;
    int count = 0;
    std::string error;
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, true, temp.Write("a.htm", kNested), SourceKind::BookmarkFile),
                 count, error));
    t.model.DeleteEmptyFolders(true);
    EXPECT_EQ(DumpTable(t.model),
              "0 -1 R Root\n1 0 F Keep\n2 1 F Way\n3 2 F Down\n4 3 U deep http://deep/\n");
    EXPECT_EQ(t.diagnostics.checkLog,
              (std::vector<std::string>{"削除フォルダー", "", "Empty", "Inner", "Outer"}));
    EXPECT_TRUE(t.diagnostics.checkLogShown);
    EXPECT_EQ(t.status.panel[1], "削除フォルダー ： 3 件");
    EXPECT_EQ(t.model.Tree().Count(), t.model.glCT);
    TableSurgery::SetChanged(t.model, true);
    t.model.CheckConsistency("test", true);
    EXPECT_EQ(t.diagnostics.memo.size(), 1u);
}

TEST(EmptyFolders, OnlyTheLastRootIsCleanedAndRootsStay) {
    TestModel t;
    TempDir temp;
    int count = 0;
    std::string error;
    const std::string file = temp.Write("a.htm", "<TITLE>R</TITLE>\n<DL><p>\n<DT><H3>E</H3>\n");
    ASSERT_TRUE(Unpacked(LoadSource(t.model, true, file, SourceKind::BookmarkFile), count, error));
    ASSERT_TRUE(Unpacked(LoadSource(t.model, false, file, SourceKind::BookmarkFile), count, error));
    ASSERT_TRUE(Unpacked(LoadSource(t.model, false, temp.Write("b.htm", "<TITLE>Bare</TITLE>\n"),
                                    SourceKind::BookmarkFile),
                         count, error));
    t.model.DeleteEmptyFolders(false);
    EXPECT_EQ(DumpTable(t.model), "0 -1 R R\n1 0 F E\n2 -1 R R\n3 2 F E\n4 -1 R Bare\n");
    EXPECT_FALSE(t.diagnostics.checkLogShown);
    EXPECT_EQ(t.status.panel[1], "削除フォルダー ： 0 件");
}

TEST(EmptyFolders, ReaderOptionRemovesThemAfterTheRead) {
    TestModel t;
    t.settings.noEmptyFolders = true;
    TempDir temp;
    int count = 0;
    std::string error;
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, true, temp.Write("a.htm", kNested), SourceKind::BookmarkFile),
                 count, error));
    EXPECT_EQ(t.model.glCT, 5);
    EXPECT_EQ(t.model.Tree().Count(), 5);
    // Every root of a read, a file with two titles too; nothing of an earlier read.
    t.settings.noEmptyFolders = false;
    const std::string empty = "<DL><p>\n<DT><H3>E</H3>\n<DL><p>\n</DL><p>\n";
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, true, temp.Write("e.htm", "<TITLE>A</TITLE>\n" + empty),
                            SourceKind::BookmarkFile),
                 count, error));
    t.settings.noEmptyFolders = true;
    const std::string two = "<TITLE>B</TITLE>\n" + empty + "<DT><A HREF=\"http://b/\">b</A>\n" +
                            "</DL><p>\n<TITLE>C</TITLE>\n" + empty;
    ASSERT_TRUE(
        Unpacked(LoadSource(t.model, false, temp.Write("two.htm", two), SourceKind::BookmarkFile),
                 count, error));
    EXPECT_EQ(DumpTable(t.model), "0 -1 R A\n1 0 F E\n2 -1 R B\n3 2 U b http://b/\n4 -1 R C\n");
}

TEST(DuplicateUrls, EachLaterOccurrenceNamesTheFirst) {
    TestModel t;
    TempDir temp;
    int count = 0;
    std::string error;
    ASSERT_TRUE(Unpacked(
        LoadSource(
            t.model, true,
            temp.Write(
                "d.htm",
                "<TITLE>R</TITLE>\n<DL><p>\n<DT><A HREF=\"http://a/\">first</A>\n"
                "<DT><A HREF=\"http://A/\">upper</A>\n<DT><H3>http://a/</H3>\n<DL><p>\n"
                "<DT><A HREF=\"http://a/\">second</A>\n<DT><A HREF=\"http://a/\">third</A>\n"),
            SourceKind::BookmarkFile),
        count, error));
    EXPECT_EQ(t.model.CheckDuplicateUrls(), 2);
    const std::string line = "http://a/" + std::string(51, ' ') + " first";
    EXPECT_EQ(t.diagnostics.checkLog, (std::vector<std::string>{line, line}));
    EXPECT_EQ(t.diagnostics.checkLogStatus, "重複有り : 2 件");
    EXPECT_TRUE(t.diagnostics.checkLogShown);

    ASSERT_TRUE(Unpacked(LoadSource(t.model, true,
                                    temp.Write("u.htm",
                                               "<TITLE>R</TITLE>\n<DL><p>\n"
                                               "<DT><A HREF=\"http://a/\">a</A>\n"),
                                    SourceKind::BookmarkFile),
                         count, error));
    t.diagnostics.checkLogShown = false;
    EXPECT_EQ(t.model.CheckDuplicateUrls(), 0);
    EXPECT_EQ(t.prompts.messages.back(), "重複ＵＲＬ無し");
    EXPECT_TRUE(t.diagnostics.checkLog.empty());
    EXPECT_FALSE(t.diagnostics.checkLogShown);
}
