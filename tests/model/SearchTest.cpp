// The search's word logic: splitting, letter case, character boundaries and the option that
// ignores width and case.

#include <gtest/gtest.h>

#include "model/EntryExtras.h"
#include "model/Search.h"
#include "model/TableBuilder.h"
#include "support/Doubles.h"
#include "support/TableSurgery.h"
#include "util/CodePage.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
        TableBuilder::Root(t.model, "Root");                                          // 0
        TableBuilder::Folder(t.model, 1, "Travel Plans");                             // 1
        TableBuilder::Url(t.model, 2, {"Google MAPS", "http://maps/", "", "", ""});   // 2
        TableBuilder::Url(t.model, 2, {"ＡＢＣ full", "http://abc/", "", "", ""});    // 3
        TableBuilder::Folder(t.model, 2, "ｶﾀｶﾅ");                                     // 4
        TableBuilder::Url(t.model, 3, {"ア", "http://a/", "", "", ""});               // 5
        TableBuilder::Url(t.model, 3, {"ヂ", "http://di/", "", "", ""});              // 6
        TableBuilder::Url(t.model, 1, {"カタカナ　語", "http://kana/", "", "", ""});  // 7
    }
    std::vector<int> Find(const std::string& keyword, SearchField field = SearchField::Title,
                          bool fold = false) {
        return FindEntries(t.model, MakeSearchQuery(keyword, field, fold));
    }
    TestModel t;
};

using Hits = std::vector<int>;

}  // namespace

TEST_F(SearchTest, AnyWordFindsItsEntriesInAnyAsciiCase) {
    EXPECT_EQ(Find("travel maps"), (Hits{1, 2}));
    EXPECT_EQ(Find("  Travel Maps  "), (Hits{1, 2}));
    EXPECT_EQ(Find("-", SearchField::Url), (Hits{0, 1, 4}));
    // Two spaces give an empty word, which matches nothing; spaces alone find nothing.
    EXPECT_EQ(Find("maps  zzz"), (Hits{2}));
    EXPECT_EQ(Find("   "), Hits{});
    // Six words are searched, a seventh is not.
    EXPECT_EQ(Find("q j k x z y maps"), Hits{});
    EXPECT_EQ(Find("q j k x z maps"), (Hits{2}));
    // A full-width space is no separator.
    EXPECT_EQ(Find("カタカナ　語"), (Hits{7}));
}

TEST_F(SearchTest, OnlyAsciiLettersFoldUnlessTheOptionIsOn) {
    // Lowering works on characters: ア and ヂ are different characters and stay so.
    EXPECT_EQ(Find("ア"), (Hits{5}));
    EXPECT_EQ(Find("ヂ"), (Hits{6}));
    EXPECT_EQ(Find("abc"), Hits{});
    EXPECT_EQ(Find("カタカナ"), (Hits{7}));

    EXPECT_EQ(Find("abc", SearchField::Title, true), (Hits{3}));
    EXPECT_EQ(Find("ａｂｃ", SearchField::Title, true), (Hits{3}));
    EXPECT_EQ(Find("カタカナ", SearchField::Title, true), (Hits{4, 7}));
    EXPECT_EQ(Find("ｶﾀｶﾅ", SearchField::Title, true), (Hits{4, 7}));
    EXPECT_EQ(Find("ア", SearchField::Title, true), (Hits{5}));
}

TEST_F(SearchTest, WordsMatchWholeCharactersOnly) {
    // "ア" is E3 82 A2; a text whose bytes hold 82 A2 only as the tail of another character.
    std::string text = "\xE3\x83\xA2\xE3\x82\xA2";               // モア
    TableSurgery::SetName(t.model, 2, text.substr(0, 3) + "x");  // モx
    EXPECT_EQ(Find("\x82\xA2x"), Hits{});
    // Bytes kept from a file that did not decode are searched as they are, folded or not.
    std::string kept = "caf";
    AppendKeptByte(0xE9, kept);
    TableSurgery::SetName(t.model, 3, kept);
    EXPECT_EQ(Find("caf", SearchField::Title, true), (Hits{3}));
}

TEST_F(SearchTest, TheFolderPathRunsFromTheRootToTheParent) {
    EXPECT_EQ(FolderPathOf(t.model, 5), "Root › Travel Plans › ｶﾀｶﾅ");
    EXPECT_EQ(FolderPathOf(t.model, 1), "Root");
    EXPECT_EQ(FolderPathOf(t.model, 0), "");
}

TEST_F(SearchTest, NotesAreSearchedOnlyWhenAsked) {
    EntryExtras extras;
    extras.hasDescription = true;
    extras.description = "Route planner &amp; ＴＲＡＦＦＩＣ";
    extras.attributes = " TAGS=\"commute,daily\"";
    TableSurgery::SetExtras(t.model, 2, PackExtras(extras));
    auto notes = [this](const std::string& keyword, bool fold = false) {
        SearchQuery query = MakeSearchQuery(keyword, SearchField::Title, fold);
        query.notes = true;
        return FindEntries(t.model, query);
    };
    EXPECT_EQ(Find("planner daily"), Hits{});
    EXPECT_EQ(notes("planner"), (Hits{2}));
    EXPECT_EQ(notes("daily"), (Hits{2}));
    // The description is searched as it reads: references decoded, the option's folding.
    EXPECT_EQ(notes("& traffic", true), (Hits{2}));
    // A hit in the title is one hit, and an entry without notes is searched as before.
    EXPECT_EQ(notes("maps planner"), (Hits{2}));
    EXPECT_EQ(notes("travel"), (Hits{1}));
}
