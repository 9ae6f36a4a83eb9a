// Writing Chromium stores back, checked with a JSON reader of its own (nlohmann's, which reads a
// member given twice as the browser does, by its last value): the real stores of the corpus and
// generated odd ones come back unchanged from an unchanged write, and an edit changes only what
// it edited.

#include <gtest/gtest.h>
#include <simdjson.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "commands/StoreCommands.h"
#include "formats/chromium/ChromiumChecksum.h"
#include "model/Sorting.h"
#include "support/Doubles.h"
#include "support/OddStore.h"
#include "support/Reading.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::CorpusDir;
using pernard::testing::OddStore;
using pernard::testing::ReadBytes;
using pernard::testing::TempDir;
using pernard::testing::TestModel;
using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

namespace {

Json Parsed(const std::string& text) {
    const std::string body = text.rfind("\xEF\xBB\xBF", 0) == 0 ? text.substr(3) : text;
    return Json::parse(body);
}

// A store in a profile directory of its own, read and written back through the commands.
struct StoreFile {
    TempDir dir;
    std::string path;
    TestModel t;

    explicit StoreFile(const std::string& text) : path(dir.Write("Default/Bookmarks", text)) {
        t.settings.noOverwriteQuestion = true;
        t.prompts.nextAnswer = Answer::Yes;
    }
    bool Read() {
        int urls = 0;
        std::string error;
        return Unpacked(LoadSource(t.model, true, path), urls, error);
    }
    bool Save() { return SaveBrowserStore(t.model, 0); }
    Json Written() const { return Parsed(ReadBytes(path)); }
};

// The bookmarks of a written store whose name is `name`, wherever they are.
void FindNamed(Json& node, const std::string& name, std::vector<Json*>& found) {
    if (node.is_object()) {
        if (node.contains("name") && node["name"] == name) found.push_back(&node);
        for (auto& [key, value] : node.items()) FindNamed(value, name, found);
    } else if (node.is_array()) {
        for (Json& item : node) FindNamed(item, name, found);
    }
}

int FirstBookmark(const BmLogic& model, int from) {
    for (int i = from; i < model.glCT; ++i) {
        if (!model.IsFolder(i)) return i;
    }
    return -1;
}

// The texts of a bookmark with another name.
EntryTexts Renamed(const BmLogic& model, int index, const char* name) {
    const auto k = static_cast<std::size_t>(index);
    return {name, std::string(model.glUrl[k]), std::string(model.glAdd[k]),
            std::string(model.glVisit[k]), std::string(model.glLast[k])};
}

TEST(ChromiumOddStores, RealStoresComeBackUnchangedAndEditedWithTheBrowsersChecksum) {
    const fs::path corpus = CorpusDir();
    if (corpus.empty()) GTEST_SKIP() << "the shared corpus is not here";
    int stores = 0;
    for (const auto& entry : fs::directory_iterator(corpus / "stores")) {
        SCOPED_TRACE(entry.path().string());
        ++stores;
        const std::string original = ReadBytes(entry.path());
        const Json read = Parsed(original);
        simdjson::dom::parser parser;
        const simdjson::dom::element document = parser.parse(original);
        // A file the browser wrote carries the sum it computes (one test fixture was edited by
        // hand after).
        if (entry.path().filename() != "chrome-buku-tests.Bookmarks") {
            EXPECT_EQ(ChecksumOfStore(document), read["checksum"].get<std::string>());
        }

        StoreFile store(original);
        ASSERT_TRUE(store.Read());
        ASSERT_TRUE(store.Save());
        EXPECT_EQ(store.Written(), read) << "every member, in order, and the checksum";

        // A renamed bookmark: that name changes, and the checksum with it.
        BmLogic& model = store.t.model;
        const int edited = FirstBookmark(model, 1);
        if (edited < 0) continue;  // Vivaldi's holds its bookmarks in its trash alone
        const std::string name(model.glName[static_cast<std::size_t>(edited)]);
        ASSERT_TRUE(model.EditUrlEntry(edited, Renamed(model, edited, "改名したブックマーク")));
        ASSERT_TRUE(store.Save());
        Json written = store.Written();
        const std::string text = ReadBytes(store.path);
        const simdjson::dom::element again = parser.parse(text);
        EXPECT_EQ(written["checksum"].get<std::string>(), ChecksumOfStore(again));
        std::vector<Json*> renamed;
        FindNamed(written, "改名したブックマーク", renamed);
        ASSERT_EQ(renamed.size(), 1u);
        (*renamed.front())["name"] = name;
        written["checksum"] = read["checksum"];
        EXPECT_EQ(written, read) << "nothing but the name changed";
    }
    EXPECT_GE(stores, 4);
}

TEST(ChromiumOddStores, AnUnchangedWriteChangesNothingAndAnEditOnlyWhatItEdited) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string text = OddStore(seed).Text();
        const Json read = Parsed(text);
        StoreFile store(text);
        ASSERT_TRUE(store.Read());
        BmLogic& model = store.t.model;
        ASSERT_TRUE(store.Save());
        ASSERT_EQ(store.Written(), read);

        // Every folder sorted, then a bookmark renamed, saved twice over: each node still with
        // its own entry, and the second save holds just the new name.
        if (FirstBookmark(model, 1) < 0) continue;
        SortOptions order;
        order.by = SortField::Url;
        order.descending = true;
        order.recursive = true;
        model.SortFolder(0, order);
        ASSERT_TRUE(store.Save());
        const Json afterMove = store.Written();
        const int renamed = FirstBookmark(model, 1);
        const std::string name(model.glName[static_cast<std::size_t>(renamed)]);
        ASSERT_TRUE(model.EditUrlEntry(renamed, Renamed(model, renamed, "改名")));
        ASSERT_TRUE(store.Save());
        Json afterRename = store.Written();
        std::vector<Json*> found;
        FindNamed(afterRename, "改名", found);
        ASSERT_EQ(found.size(), 1u);
        (*found.front())["name"] = name;
        afterRename["checksum"] = afterMove["checksum"];
        EXPECT_EQ(afterRename, afterMove);
    }
}

}  // namespace
