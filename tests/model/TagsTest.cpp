// Tags added to and removed from many bookmarks at once: what each bookmark's attributes become,
// one step of undo for all of them, and undo and redo giving back exactly what was there.

#include <gtest/gtest.h>

#include "model/EntryExtras.h"
#include "model/TableBuilder.h"
#include "model/Tags.h"
#include "support/Doubles.h"
#include "support/TableSurgery.h"
#include "util/CodePage.h"

using namespace pernard;
using namespace pernard::testing;

namespace {

std::string Kept(unsigned char byte) {
    std::string kept;
    AppendKeptByte(byte, kept);
    return kept;
}

std::string AttributesOf(const BmLogic& model, int index) {
    return UnpackExtras(model.ExtrasOf(index)).attributes;
}

}  // namespace

TEST(Tags, AddAndRemoveOnASelectionAreOneExactStep) {
    // The bookmarks' attributes before; the typed tags; add or remove; the attributes after.
    struct Case {
        std::vector<std::string> before;
        const char* typed;
        bool add;
        std::vector<std::string> after;
        int changed;
    };
    const Case cases[] = {
        // Added where there are none, and after those there are, each only once.
        {{"", " TAGS=\"a,b\"", " ICON=\"data:x\" TAGS=\"b\" ID=\"7\""},
         "b, c",
         true,
         {" TAGS=\"b,c\"", " TAGS=\"a,b,c\"", " ICON=\"data:x\" TAGS=\"b,c\" ID=\"7\""},
         3},
        // Nothing to add: nothing changes, no step.
        {{" TAGS=\"a,b\"", " tags=\"b,a\""}, "a，b", true, {" TAGS=\"a,b\"", " tags=\"b,a\""}, 0},
        // Removed from the middle; the rest keeps its order; the last tag takes the attribute
        // with it; a bookmark without it is left alone.
        {{" TAGS=\"a,b,c\"", " FOLDED TAGS=\"b\" ID=\"1\"", "", " TAGS=\"c\""},
         " b ",
         false,
         {" TAGS=\"a,c\"", " FOLDED ID=\"1\"", "", " TAGS=\"c\""},
         2},
        // Markup in a tag is escaped in the attribute and decoded in the list.
        {{" TAGS=\"x &amp; y\""}, "<b>,x & y", true, {" TAGS=\"x &amp; y,&lt;b&gt;\""}, 1},
        {{" TAGS=\"x &amp; y,z\""}, "x & y", false, {" TAGS=\"z\""}, 1},
        // Typed text of commas and blanks only is no tag.
        {{" TAGS=\"a\""}, " ,　, ", false, {" TAGS=\"a\""}, 0},
        // The tags that stay are written as they were: references, kept bytes.
        {{" TAGS=\"x&#38;y, k" + Kept(0x80) + "\""},
         "new",
         true,
         {" TAGS=\"x&#38;y,k" + Kept(0x80) + ",new\""},
         1},
    };
    for (const Case& c : cases) {
        TestModel t;
        std::string error;
        ASSERT_TRUE(TableSurgery::ResetEntryTable(t.model, error));
        TableBuilder::Root(t.model, "R");
        TableBuilder::Folder(t.model, 1, "F");  // a folder in the selection is passed over
        std::vector<NodeRef> selection{t.model.RefOf(1)};
        for (std::size_t k = 0; k < c.before.size(); ++k) {
            const int index = TableBuilder::Url(t.model, 1, {"n", "http://n/", "", "", ""});
            EntryExtras extras;
            extras.attributes = c.before[k];
            extras.hasDescription = k == 0;
            extras.description = "kept";
            TableSurgery::SetExtras(t.model, index, PackExtras(extras));
            selection.push_back(t.model.RefOf(index));
        }
        std::vector<std::string> before;
        for (int i = 0; i < t.model.glCT; ++i) before.emplace_back(t.model.ExtrasOf(i));
        const std::string where = std::string(c.typed) + (c.add ? " added" : " removed");

        EXPECT_EQ(t.model.ChangeTags(selection, TagsFromInput(c.typed), c.add), c.changed) << where;
        std::vector<std::string> after;
        for (int i = 0; i < t.model.glCT; ++i) after.emplace_back(t.model.ExtrasOf(i));
        for (std::size_t k = 0; k < c.after.size(); ++k) {
            const int index = static_cast<int>(k) + 2;
            EXPECT_EQ(AttributesOf(t.model, index), c.after[k]) << where << " " << k;
            EXPECT_EQ(UnpackExtras(t.model.ExtrasOf(index)).hasDescription, k == 0) << where;
        }
        EXPECT_EQ(t.model.glChanged, c.changed > 0) << where;
        EXPECT_EQ(t.model.CanUndo(), c.changed > 0) << where;
        if (c.changed == 0) continue;
        EXPECT_EQ(t.model.UndoName(), c.add ? "タグの追加" : "タグの削除");
        ASSERT_TRUE(t.model.Undo());
        for (int i = 0; i < t.model.glCT; ++i) {
            EXPECT_EQ(t.model.ExtrasOf(i), before[static_cast<std::size_t>(i)]) << where << i;
        }
        EXPECT_FALSE(t.model.glChanged) << where;
        EXPECT_FALSE(t.model.CanUndo()) << where;
        ASSERT_TRUE(t.model.Redo());
        for (int i = 0; i < t.model.glCT; ++i) {
            EXPECT_EQ(t.model.ExtrasOf(i), after[static_cast<std::size_t>(i)]) << where << i;
        }
    }
    // Typed back as the tags dialog shows them (a kept byte as U+FFFD), the tags keep their bytes.
    EXPECT_EQ(WithTags(" TAGS=\"k" + Kept(0x80) + "\"", {"k\xEF\xBF\xBD", "more"}),
              " TAGS=\"k" + Kept(0x80) + ",more\"");
}
