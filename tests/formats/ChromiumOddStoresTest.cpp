// Writing Chromium stores back, checked with a JSON reader of its own (nlohmann's, which reads a
// member given twice as the browser does, by its last value): the real stores of the corpus and
// generated odd ones come back unchanged from an unchanged write, and an edit changes only what
// it edited.

#include <gtest/gtest.h>
#include <simdjson.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "commands/StoreCommands.h"
#include "formats/ChromiumChecksum.h"
#include "formats/SourceRead.h"
#include "model/Sorting.h"
#include "support/Doubles.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::CorpusDir;
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
        return ReadSource(t.model, true, path, urls, error);
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

// Generated stores with what odd files hold: members in any order and given twice (roots, a
// top folder, a name, a meta_info, a children list), ids missing, numeric, repeated or shared
// with a guid, guids missing, folders without a children list, texts with escapes, and the
// roots past the first 64 KiB of the file.
class OddStore {
public:
    explicit OddStore(unsigned seed) : random_(seed) {}

    std::string Text() {
        std::vector<std::string> members = {
            Member("checksum", Quoted(Pick({"0123456789abcdef0123456789abcdef", "x", ""}))),
            Member("version", "1"),
            Member("roots", Roots()),
        };
        if (Chance(30)) members.push_back(Member("sync_metadata", Quoted("CioKCgiIgQ==")));
        if (Chance(30)) members.push_back(Member("roots", Roots()));  // the browser reads the last
        if (Chance(30)) {
            members.insert(members.begin(), Member("padding", Quoted(std::string(100, 'p'))));
        }
        return Object(Shuffled(members));
    }

private:
    bool Chance(int percent) { return static_cast<int>(random_() % 100) < percent; }
    std::string Pick(std::vector<std::string> texts) { return texts[random_() % texts.size()]; }
    static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
    static std::string Member(const std::string& key, const std::string& value) {
        return Quoted(key) + ": " + value;
    }
    static std::string Object(const std::vector<std::string>& members) {
        std::string text = "{";
        for (std::size_t k = 0; k < members.size(); ++k) text += (k > 0 ? ",\n" : "") + members[k];
        return text + "}";
    }
    std::vector<std::string> Shuffled(std::vector<std::string> members) {
        std::shuffle(members.begin(), members.end(), random_);
        return members;
    }

    std::string Roots() {
        std::vector<std::string> members;
        for (const char* key : {"bookmark_bar", "other", "synced"}) {
            if (Chance(85)) members.push_back(Member(key, Node(0, true)));
            if (Chance(10)) members.push_back(Member(key, Node(0, true)));
        }
        return Object(Shuffled(members));
    }

    std::string Id() {
        const int kind = static_cast<int>(random_() % 10);
        if (kind == 0) return "";  // none
        if (kind == 1) return Member("id", std::to_string(++nextId_));  // a number
        if (kind == 2 && nextId_ > 0) return Member("id", Quoted(std::to_string(nextId_)));
        return Member("id", Quoted(std::to_string(++nextId_)));
    }
    std::string Guid() {
        const int kind = static_cast<int>(random_() % 10);
        if (kind == 0) return "";
        if (kind == 1 && !lastGuid_.empty()) return Member("guid", Quoted(lastGuid_));
        lastGuid_ = "00000000-0000-4000-8000-" + std::to_string(100000000000 + random_() % 1000);
        return Member("guid", Quoted(lastGuid_));
    }
    std::string Name() {
        return Quoted(Pick({"ニュース", "a \\\"quoted\\\" name", "caf\\u00e9", "\\ud83d\\ude00 smile",
                            "tab\\there", "", "同じ名前"}));
    }

    std::string Node(int depth, bool folder) {
        std::vector<std::string> members;
        for (std::string member : {Id(), Guid()}) {
            if (!member.empty()) members.push_back(member);
        }
        members.push_back(Member("date_added", Quoted(std::to_string(13300000000000000 + random_() % 1000))));
        if (Chance(10)) members.push_back(Member("name", Name()));  // a first name, read over
        members.push_back(Member("name", Name()));
        if (Chance(30)) members.push_back(Member("meta_info", R"({"Description": "d1", "power_bookmark_meta": ""})"));
        if (Chance(10)) members.push_back(Member("meta_info", R"({"Nickname": "n2"})"));
        if (Chance(20)) members.push_back(Member("unknown", R"({"a": [1, 2.5, {"b": null}], "c": true})"));
        members.push_back(Member("type", Quoted(folder ? "folder" : "url")));
        if (folder) {
            members.push_back(Member("date_modified", Quoted("0")));
            if (!Chance(10) || depth == 0) {
                if (Chance(5)) members.push_back(Member("children", "[" + Node(depth + 1, false) + "]"));
                members.push_back(Member("children", Children(depth + 1)));
            }
        } else {
            members.push_back(Member("url", Quoted(Pick({"https://example.com/", "http://a.example/?q=1&r=2",
                                                         "javascript:void(0)", "https://例え.jp/"}))));
        }
        return Object(Shuffled(members));
    }

    std::string Children(int depth) {
        std::string text = "[";
        const int count = static_cast<int>(random_() % (depth < 3 ? 5 : 2));
        for (int k = 0; k < count; ++k) {
            text += (k > 0 ? ", " : "") + Node(depth, depth < 3 && Chance(25));
        }
        return text + "]";
    }

    std::mt19937 random_;
    int nextId_ = 0;
    std::string lastGuid_;
};

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
