// Sorting a folder: the Japanese collation of names, URLs and dates, missing keys, stability,
// folders first, this folder or every folder below it, extras travelling with their entries,
// and one undo step that gives the exact table back.

#include <gtest/gtest.h>

#include "model/EntryExtras.h"
#include "model/Sorting.h"
#include "model/TableBuilder.h"
#include "support/Doubles.h"
#include "support/Invariants.h"
#include "support/TableSurgery.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

class SortingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    }
    // The names of the folder's children, blank-separated ("·" for an empty name).
    std::string ChildNames(int folder) const {
        std::string names;
        for (int entry : t.model.ListedEntries(folder, false)) {
            if (!names.empty()) names += ' ';
            names += t.model.glName[entry].empty() ? "·" : std::string(t.model.glName[entry]);
        }
        return names;
    }
    // Rows, texts, parents, nodes and extras: what undo must give back exactly.
    std::string Table() const {
        std::string dump;
        for (int i = 0; i < t.model.glCT; ++i) {
            dump += std::to_string(t.model.gloya[i]) + " " + std::string(t.model.glName[i]) + "|" +
                    std::string(t.model.glUrl[i]) + "|" + std::string(t.model.glAdd[i]) + " #" +
                    std::to_string(t.model.glNode[i]->Serial()) + " {" +
                    std::string(t.model.ExtrasOf(i)) + "}\n";
        }
        return dump;
    }
    TestModel t;
};

}  // namespace

TEST_F(SortingTest, NamesSortAsTheJapaneseCollationOrdersThem) {
    // Kana by the gojūon whatever the script and width, hiragana before katakana, half-width
    // and full-width katakana equal (so in their earlier order), ASCII case second, digits
    // by value, the empty name first.
    const char* const scrambled[] = {
        "第10章", "ぱ",       "Banana",   "ｶﾅ",     "apple", "ア",     "10", "かに",
        "ー",     "APPLE",    "漢字",     "カナ",   "z",     "は",     "",   "第9章",
        "Ｚ",     "がっこう", "2a",       "かな",   "ｱ",     "ab",     "9",  "Apple",
        "あ",     "a-b",      "かっこう", "banana", "ば",    "かこう", "ハ"};
    const std::string ascending =
        "· ー 2a 9 10 a-b ab apple Apple APPLE banana Banana z Ｚ あ ア ｱ かこう かっこう "
        "がっこう かな ｶﾅ カナ かに は ハ ば ぱ 漢字 第9章 第10章";
    const std::string descending =
        "第10章 第9章 漢字 ぱ ば ハ は かに ｶﾅ カナ かな がっこう かっこう かこう ア ｱ あ Ｚ z "
        "Banana banana APPLE Apple apple ab a-b 10 9 2a ー ·";
    const int root = TableBuilder::Root(t.model, "R");
    for (const char* name : scrambled)
        TableBuilder::Url(t.model, 1, {name, "http://x/", "", "", ""});
    for (const auto& [descendingOrder, expected] :
         {std::pair{false, ascending}, std::pair{true, descending}}) {
        SortOptions options;
        options.descending = descendingOrder;
        ASSERT_TRUE(t.model.SortFolder(root, options));
        EXPECT_EQ(ChildNames(root), expected) << (descendingOrder ? "descending" : "ascending");
        EXPECT_EQ(BrokenInvariant(t.model), "");
        // Sorted again, nothing moves and no step is made.
        const std::uint64_t pushes = t.model.HistoryPushCount();
        EXPECT_FALSE(t.model.SortFolder(root, options));
        EXPECT_EQ(t.model.HistoryPushCount(), pushes);
        ASSERT_TRUE(t.model.Undo());
    }
}

TEST_F(SortingTest, UrlsAndDatesWithMissingKeysLastAndEqualKeysInTheirOrder) {
    // 0 R { 1 a, 2 b, 3 F, 4 c, 5 d }: a folder has no URL and no visit; "", 0 and "abc"
    // are no dates; b and d share a URL.
    const int root = TableBuilder::Root(t.model, "R");
    TableBuilder::Url(t.model, 1, {"a", "http://b/", "300", "0", ""});
    TableBuilder::Url(t.model, 1, {"b", "http://a/", "", "50", ""});
    TableSurgery::AppendFolder(t.model, root, "F", "200", "");
    TableBuilder::Url(t.model, 1, {"c", "https://a/", "100", "", ""});
    TableBuilder::Url(t.model, 1, {"d", "http://a/", "abc", "200", ""});
    const struct {
        SortField by;
        bool descending, foldersFirst;
        const char* expected;
    } cases[] = {
        {SortField::Name, false, false, "a b c d F"},
        {SortField::Name, false, true, "F a b c d"},
        {SortField::Name, true, true, "F d c b a"},
        {SortField::Url, false, false, "b d a c F"},
        {SortField::Url, true, false, "c a b d F"},
        {SortField::Added, false, false, "c F a b d"},
        {SortField::Added, true, false, "a F c b d"},
        {SortField::Added, false, true, "F c a b d"},
        {SortField::Visited, false, false, "b d a F c"},
        {SortField::Visited, true, false, "d b a F c"},
    };
    const std::string unsorted = Table();
    for (const auto& c : cases) {
        SortOptions options;
        options.by = c.by;
        options.descending = c.descending;
        options.foldersFirst = c.foldersFirst;
        t.model.SortFolder(root, options);
        EXPECT_EQ(ChildNames(root), c.expected)
            << static_cast<int>(c.by) << " " << c.descending << " " << c.foldersFirst;
        while (t.model.Undo()) {
        }
        ASSERT_EQ(Table(), unsorted);
    }
}

TEST_F(SortingTest, OneFolderOrEveryFolderBelowItAsOneUndoStepWithExtrasOnTheirEntries) {
    // 0 R { 1 Z { 2 y, 3 G { 4 q, 5 p }, 6 x }, 7 b, 8 a }; a carries a separator before it,
    // Z one at its end.
    const int root = TableBuilder::Root(t.model, "R");
    const int z = TableBuilder::Folder(t.model, 1, "Z");
    TableBuilder::Url(t.model, 2, {"y", "http://y/", "", "", ""});
    TableBuilder::Folder(t.model, 2, "G");
    TableBuilder::Url(t.model, 3, {"q", "http://q/", "", "", ""});
    TableBuilder::Url(t.model, 3, {"p", "http://p/", "", "", ""});
    TableBuilder::Url(t.model, 2, {"x", "http://x/", "", "", ""});
    TableBuilder::Url(t.model, 1, {"b", "http://b/", "", "", ""});
    const int a = TableBuilder::Url(t.model, 1, {"a", "http://a/", "", "", ""});
    EntryExtras extras;
    extras.separatorsBefore = 1;
    extras.hasDescription = true;
    extras.description = "first letter";
    TableSurgery::SetExtras(t.model, a, PackExtras(extras));
    EntryExtras folderExtras;
    folderExtras.separatorsAtEnd = 1;
    TableSurgery::SetExtras(t.model, z, PackExtras(folderExtras));
    TreeNode* aNode = t.model.glNode[a];
    t.model.MarkSaved();
    const std::string unsorted = Table();

    SortOptions options;
    ASSERT_TRUE(t.model.SortFolder(root, options));
    EXPECT_EQ(ChildNames(root), "a b Z");
    EXPECT_EQ(ChildNames(t.model.IndexOf(t.model.glNode[3])), "y G x");
    EXPECT_EQ(t.model.glNode[1], aNode);
    EXPECT_EQ(t.model.ExtrasOf(1), PackExtras(extras));
    EXPECT_EQ(t.model.ExtrasOf(3), PackExtras(folderExtras));
    EXPECT_EQ(BrokenInvariant(t.model), "");
    EXPECT_EQ(t.model.UndoName(), "並べ替え");
    EXPECT_TRUE(t.model.glChanged);
    const std::string once = Table();
    ASSERT_TRUE(t.model.Undo());
    EXPECT_EQ(Table(), unsorted);
    EXPECT_FALSE(t.model.glChanged);
    ASSERT_TRUE(t.model.Redo());
    EXPECT_EQ(Table(), once);

    ASSERT_TRUE(t.model.Undo());
    options.recursive = true;
    options.foldersFirst = true;
    ASSERT_TRUE(t.model.SortFolder(root, options));
    EXPECT_EQ(ChildNames(root), "Z a b");
    EXPECT_EQ(ChildNames(1), "G x y");
    EXPECT_EQ(ChildNames(2), "p q");
    EXPECT_EQ(BrokenInvariant(t.model), "");
    const std::string everywhere = Table();
    ASSERT_TRUE(t.model.Undo());
    EXPECT_EQ(Table(), unsorted);
    EXPECT_FALSE(t.model.CanUndo());
    ASSERT_TRUE(t.model.Redo());
    EXPECT_EQ(Table(), everywhere);

    // Only a root or folder is sorted.
    EXPECT_FALSE(t.model.SortFolder(t.model.IndexOf(aNode), options));
    EXPECT_FALSE(t.model.SortFolder(-1, options));
}
