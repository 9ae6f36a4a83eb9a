// Duplicate bookmarks at each match level: the groups, the entry each group keeps, and the
// clean-up of the others (deleted, or moved into a folder of their root) as one undo step.

#include <gtest/gtest.h>

#include "model/Duplicates.h"
#include "model/TableBuilder.h"
#include "support/Doubles.h"
#include "support/TableSurgery.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

// R1 { F { a, b }, c, d, e, f }, R2 { g, h }: a, b, c, g and h are one page at the loose level.
// `withFolder` puts a folder 重複 { x } first in R1.
void Build(BmLogic& model, bool withFolder = false) {
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(model, error));
    TableBuilder::Root(model, "R1");
    if (withFolder) {
        TableBuilder::Folder(model, 1, "重複");
        TableBuilder::Url(model, 2, {"x", "http://x.example/", "", "", ""});
    }
    TableBuilder::Folder(model, 1, "F");
    TableBuilder::Url(model, 2, {"a", "http://a.example/x", "300", "", ""});
    TableBuilder::Url(model, 2, {"b", "HTTP://A.example/x", "100", "", ""});
    TableBuilder::Url(model, 1, {"c", "http://a.example/x/#top", "200", "", ""});
    TableBuilder::Url(model, 1, {"d", "javascript:void(0)", "", "", ""});
    TableBuilder::Url(model, 1, {"e", "javascript:void(0)", "", "", ""});
    TableBuilder::Url(model, 1, {"f", "http://other.example/", "", "", ""});
    TableBuilder::Root(model, "R2", "/tmp/other.htm");
    TableBuilder::Url(model, 1, {"g", "http://a.example/x", "0", "", ""});
    TableBuilder::Url(model, 1, {"h", "https://www.a.example/x/index.html", "50", "", ""});
}

// The tree by names, one level of indentation per level.
std::string Shape(const BmLogic& model) {
    std::string shape;
    for (int i = 0; i < model.glCT; ++i) {
        int level = 0;
        for (int walk = model.gloya[i]; walk >= 0; walk = model.gloya[walk]) ++level;
        shape += std::string(static_cast<std::size_t>(level), ' ') + std::string(model.glName[i]);
        shape += '\n';
    }
    return shape;
}

// Every row as undo must give it back: texts, parent and the node itself.
std::string Exact(const BmLogic& model) {
    std::string dump;
    for (int i = 0; i < model.glCT; ++i) {
        const EntryTexts texts = model.TextsOf(i);
        dump += std::to_string(model.gloya[i]) + " " + texts.name + "|" + texts.url + "|" +
                texts.added + " #" + std::to_string(model.glNode[i]->Serial()) + "\n";
    }
    return dump;
}

std::string Names(const BmLogic& model, const std::vector<NodeRef>& entries) {
    std::string names;
    for (const NodeRef& entry : entries) names += std::string(model.glName[model.IndexOf(entry)]);
    return names;
}

}  // namespace

TEST(Duplicates, GroupsAtEachLevelAndTheEntryEachKeeps) {
    struct Case {
        MatchLevel level;
        const char* groups;  // each group's names, groups separated by blanks
        const char* first;
        const char* oldest;
        const char* newest;
    };
    const Case cases[] = {
        {MatchLevel::Exact, "ag de", "ad", "ad", "ad"},
        {MatchLevel::SameResource, "abg de", "ad", "bd", "ad"},
        {MatchLevel::Loose, "abcgh de", "ad", "hd", "ad"},
    };
    TestModel t;
    Build(t.model);
    for (const Case& c : cases) {
        const std::vector<DuplicateGroup> groups = FindDuplicateGroups(t.model, {c.level, {}});
        std::string names;
        for (const DuplicateGroup& group : groups) {
            if (!names.empty()) names += ' ';
            names += Names(t.model, group.entries);
        }
        EXPECT_EQ(names, c.groups);
        EXPECT_EQ(Names(t.model, KeptEntries(t.model, groups, KeepRule::First)), c.first);
        EXPECT_EQ(Names(t.model, KeptEntries(t.model, groups, KeepRule::Oldest)), c.oldest);
        EXPECT_EQ(Names(t.model, KeptEntries(t.model, groups, KeepRule::Newest)), c.newest);
    }
    // Only loose rules the caller leaves on count.
    LooseRules onlyFragment;
    ASSERT_TRUE(ParseLooseRules("fragment", onlyFragment));
    const auto groups = FindDuplicateGroups(t.model, {MatchLevel::Loose, onlyFragment});
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(Names(t.model, groups[0].entries), "abg");
}

// Bookmarks without a URL (none, or one whose shortcut gave none: "N/A") match nothing, at any
// level and in the duplicate check: a clean-up must never delete them as each other's copies.
TEST(Duplicates, BookmarksWithoutAUrlAreNoOnesDuplicates) {
    TestModel t;
    std::string error;
    ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
    TableBuilder::Root(t.model, "R");
    for (const char* name : {"n1", "n2", "e1", "e2"}) {
        TableBuilder::Url(t.model, 1, {name, name[0] == 'n' ? "N/A" : "", "", "", ""});
    }
    TableBuilder::Url(t.model, 1, {"a", "http://a/", "", "", ""});
    TableBuilder::Url(t.model, 1, {"b", "http://a/", "", "", ""});
    for (const MatchLevel level : {MatchLevel::Exact, MatchLevel::SameResource, MatchLevel::Loose}) {
        const std::vector<DuplicateGroup> groups = FindDuplicateGroups(t.model, {level, {}});
        ASSERT_EQ(groups.size(), 1u);
        EXPECT_EQ(Names(t.model, groups[0].entries), "ab");
        EXPECT_EQ(t.model.CheckDuplicateUrls({level, {}}), 1);
    }
}

TEST(Duplicates, TheOthersAreDeletedOrMovedInOneStepThatUndoesExactly) {
    struct Case {
        KeepRule keep;
        bool intoFolder;
        bool folderThere;  // R1 holds a folder 重複 already
        const char* shape;
    };
    const Case cases[] = {
        {KeepRule::Oldest, false, false, "R1\n F\n d\n f\nR2\n h\n"},
        {KeepRule::First, true, false,
         "R1\n F\n  a\n d\n f\n 重複\n  b\n  c\n  e\nR2\n 重複\n  g\n  h\n"},
        // An existing folder keeps its place and takes the entries at its end.
        {KeepRule::Newest, true, true,
         "R1\n 重複\n  x\n  b\n  c\n  e\n F\n  a\n d\n f\nR2\n 重複\n  g\n  h\n"},
    };
    for (const Case& c : cases) {
        TestModel t;
        Build(t.model, c.folderThere);
        t.model.MarkSaved();
        const std::string before = Exact(t.model);
        const auto groups = FindDuplicateGroups(t.model, {MatchLevel::Loose, {}});
        DuplicateDisposal disposal;
        disposal.intoFolder = c.intoFolder;
        const CleanupOutcome outcome =
            ResolveDuplicates(t.model, groups, KeptEntries(t.model, groups, c.keep), disposal);
        EXPECT_EQ(Shape(t.model), c.shape);
        EXPECT_EQ(outcome.entries, 5);
        EXPECT_EQ(outcome.foldersMade, c.intoFolder ? (c.folderThere ? 1 : 2) : 0);
        EXPECT_TRUE(t.model.glChanged);
        // Exactly one entry of each group is left outside the folder.
        EXPECT_TRUE(FindDuplicateGroups(t.model, {MatchLevel::Loose, {}}).size() ==
                    (c.intoFolder ? 2u : 0u));
        const std::string after = Exact(t.model);
        EXPECT_EQ(t.model.UndoName(), c.intoFolder ? "重複の移動" : "重複の削除");
        ASSERT_TRUE(t.model.Undo());
        EXPECT_EQ(Exact(t.model), before);
        EXPECT_FALSE(t.model.glChanged);
        EXPECT_FALSE(t.model.CanUndo());
        ASSERT_TRUE(t.model.Redo());
        EXPECT_EQ(Exact(t.model), after);
    }
}

TEST(Duplicates, AKeptEntryOutsideItsGroupLeavesTheGroupAlone) {
    TestModel t;
    Build(t.model);
    const std::string before = Exact(t.model);
    const auto groups = FindDuplicateGroups(t.model, {MatchLevel::Exact, {}});
    // The first group's choice is an entry of the second; the second's was deleted meanwhile.
    std::vector<NodeRef> kept = {groups[1].entries[0], groups[1].entries[1]};
    t.model.DeleteNode(t.model.glNode[t.model.IndexOf(kept[1])], false);
    const std::string afterDelete = Exact(t.model);
    const CleanupOutcome outcome = ResolveDuplicates(t.model, groups, kept, {});
    EXPECT_EQ(outcome.entries, 0);
    EXPECT_EQ(Exact(t.model), afterDelete);
    EXPECT_EQ(t.model.UndoName(), "削除");
    EXPECT_NE(before, afterDelete);
}
