// How a Chromium-family Bookmarks file is read beyond the shapes browsers write: members in any
// order, repeated or of other types, and files that are not whole JSON.

#include <gtest/gtest.h>

#include <string>

#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/StoreListing.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::StoreListing;
using pernard::testing::TempDir;
using pernard::testing::TestModel;

// A node's members are read as the browser reads them, whatever their order, repeats and types:
// the last text of a name counts, and the last `children` (a folder with two of them is read
// only in part: a write could not keep the other), the last `meta_info`; keys may be escaped,
// and whatever is not a node is said and left out. A file that is not whole JSON reads as none.
TEST(ChromiumStore, MembersInAnyOrderRepeatedOrOfOtherTypes) {
    struct Case {
        const char* what;
        std::string json;
        const char* listing;  // nullptr: the file is not read
        bool partial = false;
    };
    const Case cases[] = {
        {"repeated and escaped members",
         R"({"roots": {"other": {"type": "folder", "name": "O", "children": [
              {"name": "first", "type": "url", "url": "http://a/", "name": "second"},
              {"type": "url", "name": "text", "url": "http://b/", "name": 7},
              {"n\u0061me": "escaped", "type": "url", "url": "http://c/\u003C",
               "meta_info": {"Nickname": "n1"}, "meta_info": {"Nickname": "n2"}},
              {"type": "folder", "name": "f", "children": 3,
               "children": [{"type": "url", "name": "hidden", "url": "http://h/"}]},
              {"children": [{"url": "http://s/", "type": "url", "name": "shown"}],
               "children": [], "name": "g", "type": "folder"}]}}})",
         "0 F その他のブックマーク  ||\n"
         "1 U second http://a/ ||\n"
         "1 U  http://b/ ||\n"
         "1 U escaped http://c/< || SHORTCUTURL=\"n2\"\n"
         "1 F f  ||\n"
         "5 U hidden http://h/ ||\n"
         "1 F g  ||\n",
         true},
        {"what is not a node, and roots given twice or of another type",
         R"({"roots": {}, "roots": {"bookmark_bar": {"type": "folder", "name": "B0", "children": []},
              "bookmark_bar": {"type": "folder", "name": "B", "children": [
                [1, 2], "text", null, {"type": "bogus", "name": "unknown"}]},
              "custom_root": 5, "synced": [], "unknown": {"deep": [[[{"a": [[]]}]]]}}})",
         "0 F ブックマーク バー  || PERSONAL_TOOLBAR_FOLDER=\"true\"\n", true},
        {"cut short", R"({"roots": {"other": {"type": "folder", "name": "O")", nullptr},
        {"a bad escape where nothing is read", R"({"roots": {}, "sync_metadata": "\x"})", nullptr},
        {"a bad number", R"({"roots": {}, "version": 01})", nullptr},
        {"more after the object", R"({"roots": {}} {})", nullptr},
        {"nested too deep",
         R"({"roots": {}, "x": )" + std::string(1100, '[') + "1" + std::string(1100, ']') + "}",
         nullptr},
        {"roots of another type", R"({"roots": {}, "roots": []})", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.Write("Bookmarks", c.json);
        TestModel t;
        int urls = 0;
        std::string error;
        const bool read =
            Unpacked(LoadSource(t.model, true, path, SourceKind::Chromium), urls, error);
        if (c.listing == nullptr) {
            EXPECT_FALSE(read);
            EXPECT_NE(error.find("Chromium"), std::string::npos);
            EXPECT_EQ(t.model.glCT, 0);
            continue;
        }
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(StoreListing(t.model, 1), c.listing);
        EXPECT_EQ(t.model.IsRootPartial(0), c.partial);
    }
}
