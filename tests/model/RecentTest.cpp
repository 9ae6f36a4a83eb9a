// The bookmarks most recently added or visited: across roots, newest first, entries without a
// date (or with one that is no number) and folders left out, equal dates in table order, the
// limit, and the folder path each is listed with.

#include <gtest/gtest.h>

#include "model/Recent.h"
#include "model/Search.h"
#include "model/TableBuilder.h"
#include "support/Doubles.h"
#include "support/TableSurgery.h"

using namespace pernard;
using namespace pernard::testing;

TEST(Recent, NewestFirstAcrossRootsWithoutTheUndated) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    BmLogic& m = t.model;
    // name, added, visited
    TableBuilder::Root(m, "R1");
    TableBuilder::Url(m, 1, {"old", "http://old/", "1000", "5000", ""});
    TableBuilder::Folder(m, 1, "A");
    TableBuilder::Url(m, 2, {"undated", "http://undated/", "", "", ""});
    TableBuilder::Url(m, 2, {"new", "http://new/", "3000", "", ""});
    TableBuilder::Folder(m, 2, "B");
    TableBuilder::Url(m, 3, {"tie1", "http://tie1/", "2000", "abc", ""});
    TableBuilder::Root(m, "R2");
    TableBuilder::Url(m, 1, {"tie2", "http://tie2/", "2000", "4000", ""});
    TableBuilder::Url(m, 1, {"garbled", "http://garbled/", "12x", "9000", ""});
    TableBuilder::Url(m, 1, {"negative", "http://negative/", "-5", "", ""});

    auto names = [&](RecentBy by, std::size_t limit) {
        std::string listed;
        for (int entry : RecentEntries(m, by, limit)) {
            listed += std::string(m.glName[entry]) + "(" + FolderPathOf(m, entry) + ") ";
        }
        return listed;
    };
    const struct {
        RecentBy by;
        std::size_t limit;
        const char* expected;
    } cases[] = {
        {RecentBy::Added, 100, "new(R1 › A) tie1(R1 › A › B) tie2(R2) old(R1) negative(R2) "},
        {RecentBy::Added, 3, "new(R1 › A) tie1(R1 › A › B) tie2(R2) "},
        {RecentBy::Added, 2, "new(R1 › A) tie1(R1 › A › B) "},
        {RecentBy::Visited, 100, "garbled(R2) old(R1) tie2(R2) "},
        {RecentBy::Visited, 1, "garbled(R2) "},
        {RecentBy::Visited, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(names(c.by, c.limit), c.expected)
            << (c.by == RecentBy::Added ? "added" : "visited") << " " << c.limit;
    }
    // A root's path is empty; an entry that does not exist has none.
    EXPECT_EQ(FolderPathOf(m, 0), "");
    EXPECT_EQ(FolderPathOf(m, 99), "");

    // An empty table lists nothing.
    TestModel empty;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(empty.model, error));
    EXPECT_TRUE(RecentEntries(empty.model, RecentBy::Visited).empty());
}
