#include <gtest/gtest.h>

#include "model/EntryBuilder.h"
#include "support/Doubles.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::DumpTable;
using pernard::testing::TestModel;

namespace {

// Appends one entry the way the readers do, into the innermost folder open; false when the
// table refused it.
bool Append(BmLogic& model, bool isTop, bool isUrl, const std::string& name,
            const std::string& url = kFolderMarker, const std::string& visit = "",
            const std::string& last = "") {
    if (isTop)
        return TableSurgery::AppendRoot(model, name, SourceKind::BookmarkFile, "source.htm")
            .Added();
    int parent = model.glCT - 1;
    while (parent >= 0 && !model.IsFolder(parent)) parent = model.gloya[parent];
    if (!isUrl) return TableSurgery::AppendFolder(model, parent, name, "", visit).Added();
    EntryTexts texts;
    texts.name = name;
    texts.url = url;
    texts.visited = visit;
    texts.modified = last;
    return TableSurgery::AppendBookmark(model, parent, texts).Added();
}

}  // namespace

TEST(EntryTable, ResetEmptiesTableAndTree) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    ASSERT_TRUE(Append(t.model, true, false, "root"));
    ASSERT_TRUE(Append(t.model, false, true, "a", "http://a/"));
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    EXPECT_EQ(t.model.glCT, 0);
    EXPECT_EQ(t.model.Tree().Count(), 0);
    EXPECT_EQ(t.model.glMaxURL, 1000);
}

TEST(EntryTable, MaxUrlThatIsNotANumberLeavesTheCollection) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    ASSERT_TRUE(Append(t.model, true, false, "root"));
    t.settings.maxUrl = "many";
    EXPECT_FALSE(TableSurgery::ResetEntryTable(t.model, error));
    EXPECT_EQ(error, "ＵＲＬのＭＡＸ値を設定してください");
    // Returned for the caller to say, once.
    EXPECT_TRUE(t.prompts.messages.empty());
    EXPECT_EQ(t.model.glCT, 1);
    EXPECT_EQ(t.model.Tree().Count(), 1);
}

TEST(EntryTable, CapacityIsALimitNotAnAllocation) {
    TestModel t;
    t.settings.maxUrl = "10000000";
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    ASSERT_TRUE(Append(t.model, true, false, "root"));
    EXPECT_EQ(t.model.glUrl.size(), 1u);  // storage follows the rows in use

    t.settings.maxUrl = "2";
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    EXPECT_TRUE(Append(t.model, true, false, "root"));
    EXPECT_TRUE(Append(t.model, false, true, "a", "http://a/"));
    EXPECT_FALSE(Append(t.model, false, true, "b", "http://b/"));
    EXPECT_EQ(t.model.glCT, 2);
    EXPECT_LE(t.model.glUrl.size(), 2u);

    for (const char* none : {"0", "-5"}) {
        t.settings.maxUrl = none;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
        EXPECT_FALSE(Append(t.model, true, false, "root"));
        EXPECT_EQ(t.model.glCT, 0);
        EXPECT_EQ(t.model.Tree().Count(), 0);
        EXPECT_EQ(t.model.glUrl.size(), 0u);
    }
}

TEST(EntryTable, DepthLimitRefusesTheTwentiethLevel) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    ASSERT_TRUE(Append(t.model, true, false, "root"));
    for (int level = 2; level <= 19; ++level) ASSERT_TRUE(Append(t.model, false, false, "f"));
    EXPECT_EQ(TableSurgery::AppendFolder(t.model, t.model.glCT - 1, "too deep", "", "").outcome,
              BmLogic::Outcome::TooDeep);
    // The reader says it, in its own words.
    EXPECT_TRUE(t.prompts.messages.empty());
    EXPECT_EQ(t.model.Tree().Count(), t.model.glCT);
    EXPECT_TRUE(Append(t.model, false, true, "url", "http://deep/"));
    EXPECT_EQ(t.model.ParentOf(t.model.glCT - 1), t.model.glCT - 2);
}

TEST(EntryTable, TwoRootsAreBothTopLevel) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    Append(t.model, true, false, "first");
    Append(t.model, false, false, "folder");
    Append(t.model, false, true, "a", "http://a/");
    Append(t.model, true, false, "second");
    EXPECT_EQ(DumpTable(t.model), "0 -1 R first\n1 0 F folder\n2 1 U a http://a/\n3 -1 R second\n");
    EXPECT_EQ(t.model.Tree().TopLevelCount(), 2);
    EXPECT_EQ(t.model.Tree().AbsoluteIndex(t.model.glNode[3]), 3);
    EXPECT_EQ(t.model.SourceKindOf(0), SourceKind::BookmarkFile);
    EXPECT_EQ(t.model.SourcePath(0), "source.htm");
}

TEST(EntryTable, UrlExistsComparesWholeUrlsOfUrlEntriesOnly) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    Append(t.model, true, false, "root");
    Append(t.model, false, false, "http://folder/");
    EXPECT_FALSE(t.model.UrlExists("http://a/"));
    Append(t.model, false, true, "a", "http://a/");
    EXPECT_TRUE(t.model.UrlExists("http://a/"));
    EXPECT_FALSE(t.model.UrlExists("HTTP://A/"));
    EXPECT_FALSE(t.model.UrlExists("http://a"));
    EXPECT_FALSE(t.model.UrlExists("http://folder/"));
    EXPECT_FALSE(t.model.UrlExists("---"));
    // Entries appended after the index was built are found too.
    Append(t.model, false, true, "b", "http://b/");
    EXPECT_TRUE(t.model.UrlExists("http://b/"));
}

TEST(EntryTable, ImagesFollowTheTextComparisonOfTheDates) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    Append(t.model, true, false, "root");
    Append(t.model, false, false, "folder");
    Append(t.model, false, true, "a", "http://a/", "999", "1000");
    Append(t.model, false, true, "b", "http://b/", "1000", "1001");
    Append(t.model, false, true, "c", "http://c/", "", "5");
    Append(t.model, false, true, "d", "http://d/", "5", "");
    const TreeNodes& tree = t.model.Tree();
    EXPECT_EQ(tree.NodeAt(0)->ImageIndex(), 0);
    EXPECT_EQ(tree.NodeAt(0)->SelectedIndex(), 1);
    EXPECT_EQ(tree.NodeAt(1)->ImageIndex(), 4);
    EXPECT_EQ(tree.NodeAt(1)->SelectedIndex(), 5);
    EXPECT_EQ(tree.NodeAt(2)->ImageIndex(), 3);
    EXPECT_EQ(tree.NodeAt(3)->ImageIndex(), 2);
    EXPECT_EQ(tree.NodeAt(4)->ImageIndex(), 2);
    EXPECT_EQ(tree.NodeAt(5)->ImageIndex(), 3);
    EXPECT_EQ(t.model.UrlImageIndex(1), 4);
}

TEST(EntryTable, ConsistencyCheckReportsOnlyAfterEdits) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    Append(t.model, true, false, "root");
    Append(t.model, false, true, "a", "http://a/");
    TableSurgery::SetChanged(t.model, false);
    t.diagnostics.memo.clear();
    t.model.CheckConsistency("ブックマーク読込", true);
    EXPECT_TRUE(t.diagnostics.memo.empty());

    TableSurgery::SetChanged(t.model, true);
    t.model.CheckConsistency("編集", true);
    EXPECT_EQ(t.diagnostics.memo, (std::vector<std::string>{"Check Debug 編集"}));
    EXPECT_TRUE(t.settings.debugCheck);

    TableSurgery::Tree(t.model).SetText(t.model.glNode[1], "changed");
    t.model.CheckConsistency("編集", true);
    EXPECT_EQ(t.diagnostics.memo[1], "Unmatch text.. 1 : a ### changed");
    EXPECT_EQ(t.diagnostics.memo.back(), "編集");
    EXPECT_FALSE(t.settings.debugCheck);
    t.diagnostics.memo.clear();
    t.model.CheckConsistency("編集", true);
    EXPECT_TRUE(t.diagnostics.memo.empty());
}

TEST(EntryTable, ConsistencyCheckFindsAWrongParent) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    Append(t.model, true, false, "root");
    Append(t.model, false, false, "f");
    Append(t.model, false, true, "a", "http://a/");
    TableSurgery::SetChanged(t.model, true);
    TableSurgery::SetParent(t.model, 2, 0);  // an ancestor, but not the parent
    t.model.CheckConsistency("編集", true);
    EXPECT_EQ(t.status.panel[0], "Error ParentCheck");
    EXPECT_EQ(t.diagnostics.memo.back(), "Error ParentCheck ");
    EXPECT_TRUE(t.diagnostics.memoShown);
}

TEST(EntryTable, AppendingRefusesWhatWouldBreakTheTreeOrder) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    EntryTexts bookmark;
    bookmark.name = "a";
    bookmark.url = "http://a/";
    // Nothing to go into yet.
    EXPECT_EQ(TableSurgery::AppendBookmark(t.model, 0, bookmark).outcome,
              BmLogic::Outcome::OutOfOrder);
    EXPECT_EQ(TableSurgery::AppendFolder(t.model, -1, "f", "", "").outcome,
              BmLogic::Outcome::OutOfOrder);
    const int root =
        TableSurgery::AppendRoot(t.model, "root", SourceKind::BookmarkFile, "r.htm").index;
    const int first = TableSurgery::AppendFolder(t.model, root, "first", "", "").index;
    EXPECT_EQ(TableSurgery::AppendBookmark(t.model, first, bookmark).index, 2);
    const int second = TableSurgery::AppendFolder(t.model, root, "second", "", "").index;
    // The first folder is closed: an entry appended into it would stand after the second.
    EXPECT_EQ(TableSurgery::AppendBookmark(t.model, first, bookmark).outcome,
              BmLogic::Outcome::OutOfOrder);
    // A bookmark is no parent, and no bookmark may take the folder marker as its URL.
    const int inSecond = TableSurgery::AppendBookmark(t.model, second, bookmark).index;
    EXPECT_EQ(TableSurgery::AppendBookmark(t.model, inSecond, bookmark).outcome,
              BmLogic::Outcome::OutOfOrder);
    bookmark.url = kFolderMarker;
    EXPECT_EQ(TableSurgery::AppendBookmark(t.model, second, bookmark).outcome,
              BmLogic::Outcome::OutOfOrder);
    EXPECT_EQ(DumpTable(t.model),
              "0 -1 R root\n1 0 F first\n2 1 U a http://a/\n3 0 F second\n4 3 U a http://a/\n");
    EXPECT_EQ(t.model.OpenFolderAt(1), root);
    EXPECT_EQ(t.model.OpenFolderAt(2), second);
    EXPECT_EQ(t.model.OpenFolderAt(3), -1);
}

TEST(EntryTable, TheBuilderAddsNothingBeforeItsRoot) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    EntryBuilder builder(t.model);
    EntryTexts bookmark;
    bookmark.name = "a";
    bookmark.url = "http://a/";
    EXPECT_EQ(builder.AddBookmark(bookmark, {}), EntryBuilder::Outcome::OutOfOrder);
    EXPECT_EQ(builder.OpenFolder("f", "", {}), EntryBuilder::Outcome::OutOfOrder);
    EXPECT_EQ(t.model.glCT, 0);
    ASSERT_EQ(builder.AddRoot("root", SourceKind::Firefox, "places.sqlite"),
              EntryBuilder::Outcome::Added);
    builder.OpenFolder("f", "", {});
    builder.AddBookmark(bookmark, {});
    builder.CloseFolder();
    builder.AddBookmark(bookmark, {});
    EXPECT_EQ(DumpTable(t.model), "0 -1 R root\n1 0 F f\n2 1 U a http://a/\n3 0 U a http://a/\n");
    EXPECT_EQ(t.model.SourceKindOf(0), SourceKind::Firefox);
    EXPECT_THROW(t.model.glName[4], std::out_of_range);
}
