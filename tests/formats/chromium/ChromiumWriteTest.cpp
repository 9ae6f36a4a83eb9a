// Writing a Chromium-family store back: what an unchanged write keeps, what edits become, and
// when nothing is written.

#include <gtest/gtest.h>
#include <simdjson.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "commands/SaveCommands.h"
#include "commands/StoreCommands.h"
#include "formats/chromium/ChromiumChecksum.h"
#include "formats/chromium/ChromiumLeftOut.h"
#include "model/EntryExtras.h"
#include "support/Doubles.h"
#include "support/Reading.h"
#include "support/TableSurgery.h"
#include "support/TestFiles.h"

using namespace pernard;
using pernard::testing::ReadBytes;
using pernard::testing::TempDir;
using pernard::testing::TestModel;
namespace fs = std::filesystem;

namespace {

// A store with what real ones hold: a checksum the browser's own way of computing it gives (it
// was computed apart from the program), names that need UTF-16 surrogates and escaping,
// meta_info, keys the program does not know, a trash and sync_metadata.
const char* const kStore = R"JSON({
   "checksum": "4c99beb89fd9ffa3356a0ff2ff0c52d0",
   "roots": {
      "bookmark_bar": {
         "children": [ {
            "date_added": "13340000000123456",
            "date_last_used": "13350000000654321",
            "guid": "5c1b1f2a-0000-4000-8000-000000000005",
            "id": "5",
            "meta_info": {
               "Nickname": "jp",
               "power_bookmark_meta": ""
            },
            "name": "日本語 <題> 😀",
            "type": "url",
            "url": "https://例え.jp/path?q=1&r=2"
         }, {
            "children": [ {
               "date_added": "13340000001000000",
               "date_last_used": "0",
               "guid": "5c1b1f2a-0000-4000-8000-000000000007",
               "id": "7",
               "meta_info": {
                  "Description": "説明\nsecond line"
               },
               "name": "inner",
               "type": "url",
               "url": "http://inner.example/"
            } ],
            "date_added": "13340000000000001",
            "date_last_used": "0",
            "date_modified": "13340000002000002",
            "guid": "5c1b1f2a-0000-4000-8000-000000000006",
            "id": "6",
            "meta_info": {
               "Nickname": "folder nickname"
            },
            "name": "フォルダー",
            "type": "folder",
            "unknown_folder_key": { "a": [ 1, 2.5, true, null ] }
         } ],
         "date_added": "13340000000000000",
         "date_last_used": "0",
         "date_modified": "13340000003000000",
         "guid": "0bc5d13f-2cba-5d74-951f-3f233fe6c908",
         "id": "1",
         "name": "ブックマーク バー",
         "type": "folder"
      },
      "other": {
         "children": [ {
            "date_added": "13340000004000000",
            "date_last_used": "0",
            "guid": "5c1b1f2a-0000-4000-8000-000000000009",
            "id": "9",
            "name": "other one",
            "type": "url",
            "url": "https://other.example/"
         } ],
         "date_added": "13340000000000000",
         "date_last_used": "0",
         "date_modified": "0",
         "guid": "82b081ec-3dd3-529c-8475-ab6c344590dd",
         "id": "2",
         "name": "その他のブックマーク",
         "type": "folder"
      },
      "synced": {
         "children": [  ],
         "date_added": "13340000000000000",
         "date_last_used": "0",
         "date_modified": "0",
         "guid": "4cf2e351-0e85-532b-bb37-df045d8f8d0f",
         "id": "3",
         "name": "モバイルのブックマーク",
         "type": "folder"
      },
      "trash": {
         "children": [ {
            "date_added": "13340000000000000",
            "guid": "5c1b1f2a-0000-4000-8000-000000000030",
            "id": "30",
            "name": "deleted",
            "type": "url",
            "url": "http://deleted.example/"
         } ],
         "guid": "5c1b1f2a-0000-4000-8000-000000000029",
         "id": "29",
         "name": "Trash",
         "type": "folder"
      }
   },
   "sync_metadata": "CioKCgiIgQISBDE2NjcSACoY",
   "version": 1
}
)JSON";

// The JSON of a text, written one way, so that two texts holding the same values compare equal.
std::string Canonical(const std::string& json) {
    simdjson::dom::parser parser;
    simdjson::dom::element document;
    EXPECT_EQ(parser.parse(json).get(document), simdjson::SUCCESS);
    return simdjson::minify(document);
}

struct StoreAt {
    TempDir dir;
    std::string path = dir.Write("Default/Bookmarks", kStore);
    TestModel t;

    StoreAt() {
        t.settings.noOverwriteQuestion = true;
        t.prompts.nextAnswer = Answer::Yes;
    }
    bool Read(TestModel& into) const {
        int urls = 0;
        std::string error;
        return Unpacked(LoadSource(into.model, true, path, SourceKind::Chromium), urls, error);
    }
    std::vector<std::string> Backups() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir.Path() / "Default")) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Bookmarks.pernard-backup-", 0) == 0) found.push_back(entry.path());
        }
        return found;
    }
};

int IndexNamed(const BmLogic& model, const std::string& name) {
    for (int i = 0; i < model.glCT; ++i) {
        if (model.glName[static_cast<std::size_t>(i)] == name) return i;
    }
    return -1;
}

// Every node of a parsed store below `node`, by id, with its name and URL; the checksum over
// them as the browser computes it.
void Collect(simdjson::dom::element node, std::map<std::string, std::string>& nodes,
             ChromiumChecksum* checksum) {
    const std::string id{std::string_view(node["id"])};
    const std::string name{std::string_view(node["name"])};
    std::string_view url;
    if (node["url"].get(url) == simdjson::SUCCESS) {
        nodes[id] = name + " " + std::string(url);
        if (checksum != nullptr) checksum->AddUrl(id, name, url);
        return;
    }
    nodes[id] = name;
    if (checksum != nullptr) checksum->AddFolder(id, name);
    for (simdjson::dom::element child : simdjson::dom::array(node["children"])) {
        Collect(child, nodes, checksum);
    }
}

}  // namespace

TEST(ChromiumWrite, AnUnchangedWriteGivesBackTheSameStoreAndTheBrowsersChecksum) {
    StoreAt store;
    ASSERT_TRUE(store.Read(store.t));
    ASSERT_TRUE(SaveBrowserStore(store.t.model, 0));
    const std::string written = ReadBytes(store.path);
    // Every id, guid, date, meta_info, unknown key, the trash and sync_metadata as they were;
    // the checksum as the browser computed it.
    EXPECT_EQ(Canonical(written), Canonical(kStore));
    EXPECT_TRUE(store.t.model.ChangedRoots().empty());
    // The old file was copied beside the new one first, once.
    ASSERT_EQ(store.Backups().size(), 1u);
    EXPECT_EQ(ReadBytes(store.Backups()[0]), kStore);
    ASSERT_TRUE(SaveBrowserStore(store.t.model, 0));
    EXPECT_EQ(store.Backups().size(), 1u);
    EXPECT_EQ(ReadBytes(store.path), written);
}

TEST(ChromiumWrite, EditsReadBackAndNewNodesGetIdsAndGuidsOfTheirOwn) {
    StoreAt store;
    BmLogic& model = store.t.model;
    ASSERT_TRUE(store.Read(store.t));
    ASSERT_TRUE(model.EditUrlEntry(IndexNamed(model, "inner"),
                                   {"改名 inner", "http://inner.example/", "1700000000", "", ""}));
    ASSERT_TRUE(model.DeleteNode(model.glNode[IndexNamed(model, "other one")], false));
    const int folder = IndexNamed(model, "フォルダー");
    ASSERT_GE(model.NewUrl(model.glNode[folder],
                           {"新しい", "https://new.example/", "1700000000", "", ""}, false),
              0);
    // A folder at the root's top (before the other bookmarks), which no store can hold there:
    // it joins the end of the other bookmarks.
    ASSERT_GE(model.NewFolder(model.glNode[IndexNamed(model, "改名 inner")], "top", false), 0);
    ASSERT_EQ(model.gloya[static_cast<std::size_t>(IndexNamed(model, "top"))], 0);
    // A tag has no place in a store: the save says it left it out.
    EntryExtras tagged;
    tagged.attributes = " TAGS=\"a\"";
    ASSERT_TRUE(model.EditExtras(IndexNamed(model, "新しい"), tagged));
    // Nor a new name of the browser's own folder, which the question before the write says.
    ASSERT_TRUE(model.EditFolderEntry(1, "仕事", std::string(model.glVisit[1])));
    EXPECT_EQ(StoreLeftOutOf(model, 0).Listed(),
              "タグ 1 件、ブラウザーが名前を決めるフォルダーの新しい名前 1 件");
    ASSERT_TRUE(SaveBrowserStore(model, 0));
    EXPECT_EQ(store.t.diagnostics.checkLog.back(),
              "ブラウザーのブックマークファイルに保存できない情報を省きました : タグ 1 件");

    simdjson::dom::parser parser;
    simdjson::dom::element document = parser.load(store.path);
    std::map<std::string, std::string> nodes;
    ChromiumChecksum checksum;
    // The trash too, as Vivaldi, whose file this is, sums it.
    for (const char* root : {"bookmark_bar", "other", "synced", "trash"}) {
        Collect(document["roots"][root], nodes, &checksum);
    }
    EXPECT_EQ(std::string_view(document["checksum"]), checksum.Hex());
    EXPECT_EQ(nodes["7"], "改名 inner http://inner.example/");
    EXPECT_EQ(nodes["2"], "その他のブックマーク");
    EXPECT_EQ(nodes.count("9"), 0u) << "the deleted bookmark is gone";
    std::set<std::string> fresh;
    for (const auto& [id, what] : nodes) {
        if (std::stoi(id) > 30) fresh.insert(what);
    }
    EXPECT_EQ(fresh, (std::set<std::string>{"新しい https://new.example/", "top"}));
    std::set<std::string> guids;
    std::function<void(simdjson::dom::element)> guidsOf = [&](simdjson::dom::element node) {
        guids.insert(std::string(std::string_view(node["guid"])));
        simdjson::dom::array children;
        if (node["children"].get(children) == simdjson::SUCCESS) {
            for (simdjson::dom::element child : children) guidsOf(child);
        }
    };
    for (const char* root : {"bookmark_bar", "other", "synced", "trash"}) {
        guidsOf(document["roots"][root]);
    }
    EXPECT_EQ(guids.size(), 10u) << "every node has a guid of its own";

    // Read back, the store holds the collection as edited, the stray folder at the end of the
    // other bookmarks.
    TestModel back;
    ASSERT_TRUE(store.Read(back));
    std::string names;
    for (int i = 1; i < back.model.glCT; ++i) {
        names += std::to_string(back.model.gloya[static_cast<std::size_t>(i)]) + " " +
                 std::string(back.model.glName[static_cast<std::size_t>(i)]) + "\n";
    }
    EXPECT_EQ(names,
              "0 ブックマーク バー\n1 日本語 <題> 😀\n1 フォルダー\n3 新しい\n3 改名 inner\n"
              "0 その他のブックマーク\n6 top\n0 モバイルのブックマーク\n");
    // The new nodes keep their ids: another write after an edit and its undo is the same.
    const std::string first = ReadBytes(store.path);
    ASSERT_TRUE(model.EditFolderEntry(IndexNamed(model, "top"), "changed", ""));
    ASSERT_TRUE(model.Undo());
    ASSERT_TRUE(SaveBrowserStore(model, 0));
    EXPECT_EQ(ReadBytes(store.path), first);
}

// Files no browser would write today, but a user may have: each written back without losing
// what it holds.
TEST(ChromiumWrite, OddFilesAreWrittenBackWithNothingLost) {
    const std::string bar = R"({"checksum": "0", "roots": {"bookmark_bar": {"id": "1", "guid": "b",
        "name": "Bar", "type": "folder", "children": [)";
    struct Case {
        const char* what;
        std::string json;
        Answer answer;  // to every question
        bool written;
        // What the written file's bar holds: "id guid name" per node, a guid the file did not
        // hold written "new".
        const char* expectation;
        std::function<void(BmLogic&)> edit = nullptr;
    };
    const std::string other = R"(, "other": {"id": "2", "guid": "o", "name": "Bar", "type": "folder",
        "children": [{"id": "5", "guid": "g5", "type": "url", "name": "u", "url": "http://u/"}]}}})";
    const Case cases[] = {
        {"a node of a kind the program does not know asks before it goes",
         bar + R"({"id": "5", "guid": "g5", "type": "weird", "name": "w", "url": "http://w/"},
                  {"id": "6", "guid": "g6", "type": "url", "name": "u", "url": "http://u/"}]}}})",
         Answer::No, false, ""},
        {"a byte order mark",
         "\xEF\xBB\xBF" + bar +
             R"({"id": "5", "guid": "g5", "type": "url", "name": "u", "url": "http://u/"}]}}})",
         Answer::Yes, true, "5 g5 u\n"},
        {"two nodes with one id keep it, as the browser renumbers them itself",
         bar + R"({"id": "5", "guid": "g5", "type": "url", "name": "a", "url": "http://a/"},
                  {"id": "5", "guid": "g6", "type": "url", "name": "b", "url": "http://b/"}]}}})",
         Answer::Yes, true, "5 g5 a\n5 g6 b\n"},
        {"a key given twice holds its last value",
         bar + R"({"id": "5", "guid": "g5", "type": "url", "name": "first", "name": "last",
                   "url": "http://u/"}]}}})",
         Answer::Yes, true, "5 g5 last\n"},
        {"a bar without a children list gets what is moved there",
         R"({"roots": {"bookmark_bar": {"id": "1", "guid": "b", "name": "B", "type": "folder"})" +
             other,
         Answer::Yes, true, "5 g5 u\n",
         [](BmLogic& model) { ASSERT_GE(model.TransferEntries({model.RefOf(3)}, 1, false, "移動"), 0); }},
        {"the browser's own folders of one name are not merged", bar + "]}" + other, Answer::Yes,
         true, "",
         [](BmLogic& model) { EXPECT_EQ(model.MergeSameNameFolders(0, true).entries, 0); }},
        {"the highest id leaves no room above it: a new node gets the lowest free one",
         bar + R"({"id": "9223372036854775807", "guid": "g", "type": "url", "name": "u",
                   "url": "http://u/"}]}}})",
         Answer::Yes, true, "9223372036854775807 g u\n2 new n\n",
         [](BmLogic& model) {
             ASSERT_GE(model.NewUrl(model.glNode[2], {"n", "http://n/", "", "", ""}, false), 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.Write("Default/Bookmarks", c.json);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
        TestModel t;
        t.prompts.nextAnswer = c.answer;
        int urls = 0;
        std::string error;
        ASSERT_TRUE(Unpacked(LoadSource(t.model, true, path, SourceKind::Chromium), urls, error))
            << error;
        if (c.edit) c.edit(t.model);
        EXPECT_EQ(SaveBrowserStore(t.model, 0), c.written);
        if (!c.written) {
            EXPECT_EQ(ReadBytes(path), c.json);
            continue;
        }
        simdjson::dom::parser parser;
        simdjson::dom::element document = parser.load(path);
        std::string held;
        simdjson::dom::array children;
        if (document["roots"]["bookmark_bar"]["children"].get(children) != simdjson::SUCCESS) {
            children = simdjson::dom::array();
        }
        for (simdjson::dom::element node : children) {
            const std::string guid{std::string_view(node["guid"])};
            held += std::string(std::string_view(node["id"])) + " " +
                    (c.json.find('"' + guid + '"') == std::string::npos ? "new" : guid) + " " +
                    std::string(std::string_view(node["name"])) + "\n";
        }
        EXPECT_EQ(held, c.expectation);
        // The copy of the old file is as private as the file.
        for (const auto& entry : fs::directory_iterator(dir.Path() / "Default")) {
            EXPECT_EQ(fs::status(entry.path()).permissions() & fs::perms::all,
                      fs::perms::owner_read | fs::perms::owner_write)
                << entry.path();
        }
    }
}

// A top folder copied from another store stands for a folder this file may lack, or for one it
// has: what it holds goes with the other bookmarks, never nowhere, and never in place of the
// folder this file has.
TEST(ChromiumWrite, ATopFolderCopiedFromAnotherStoreJoinsTheOtherBookmarks) {
    TempDir dir;
    const std::string path = dir.Write(
        "Default/Bookmarks",
        R"({"roots": {"bookmark_bar": {"id": "1", "guid": "b", "name": "Bar", "type": "folder",
            "children": []}, "other": {"id": "2", "guid": "o", "name": "Other",
            "type": "folder", "children": []}}})");
    TestModel t;
    int urls = 0;
    std::string error;
    ASSERT_TRUE(Unpacked(LoadSource(t.model, true, path, SourceKind::Chromium), urls, error))
        << error;
    // As a paste of another store's mobile folder at this root's top would leave it.
    const int copied = t.model.NewFolder(t.model.glNode[1], "Mobile", false);
    ASSERT_EQ(t.model.ParentOf(copied), 0);
    EntryExtras extras;
    extras.storeKey = "roots/synced";
    TableSurgery::SetExtras(t.model, copied, PackExtras(extras));
    // Another store's bar, copied above this file's own.
    const int bar = t.model.NewFolder(t.model.glNode[1], "Their bar", false);
    extras.storeKey = "roots/bookmark_bar";
    TableSurgery::SetExtras(t.model, bar, PackExtras(extras));
    const NodeRef theirs = t.model.RefOf(bar);
    while (t.model.IndexOf(theirs) != 1 && t.model.MoveUpDown(t.model.IndexOf(theirs), true)) {
    }
    ASSERT_EQ(std::string(t.model.glName[1]), "Their bar");
    ASSERT_TRUE(SaveBrowserStore(t.model, 0));
    simdjson::dom::parser parser;
    simdjson::dom::element document = parser.load(path);
    EXPECT_EQ(std::string_view(document["roots"]["bookmark_bar"]["id"]), "1");
    simdjson::dom::array other = document["roots"]["other"]["children"];
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(std::string_view(other.at(0)["name"]), "Their bar");
    EXPECT_EQ(std::string_view(other.at(1)["name"]), "Mobile");
}

namespace {

// A dead process's pid, as a crashed browser leaves in its lock.
long DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

}  // namespace

TEST(ChromiumWrite, NothingIsWrittenWhileTheBrowserRunsOrAfterItWroteTheFile) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const std::string self = std::string(host) + "-" + std::to_string(getpid());
    const std::string dead = std::string(host) + "-" + std::to_string(DeadPid());
    struct Case {
        const char* what;
        std::string lock;  // the user-data directory's SingletonLock, when not empty
        bool changed;      // the browser wrote the file after the read
        Answer syncAnswer;
        WriteRefusal refusal;
        // The store read through a link from another directory: 1 with the lock beside the
        // file, 2 with the lock beside the link.
        int throughLink = 0;
    };
    const Case cases[] = {
        {"a running browser's lock", self, false, Answer::Yes, WriteRefusal::BrowserRunning},
        {"a lock of another machine", "elsewhere-1", false, Answer::Yes,
         WriteRefusal::BrowserRunning},
        {"a crashed browser's lock", dead, false, Answer::Yes, WriteRefusal::None},
        {"the file written since", "", true, Answer::Yes, WriteRefusal::SourceChanged},
        {"the sync question answered No", "", false, Answer::No, WriteRefusal::Declined},
        {"a running browser's lock, the store read through a link", self, false, Answer::Yes,
         WriteRefusal::BrowserRunning, 1},
        {"a running browser's lock beside a link to the store", self, false, Answer::Yes,
         WriteRefusal::BrowserRunning, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StoreAt store;
        TempDir elsewhere;
        if (c.throughLink > 0) {
            fs::create_directories(elsewhere.Path() / "Default");
            fs::create_symlink(store.path, elsewhere.Path() / "Default" / "Bookmarks");
            store.path = (elsewhere.Path() / "Default" / "Bookmarks").string();
        }
        const fs::path lockDirectory = c.throughLink == 2 ? elsewhere.Path() : store.dir.Path();
        ASSERT_TRUE(store.Read(store.t));
        ASSERT_TRUE(store.t.model.EditFolderEntry(1, "renamed", ""));
        if (!c.lock.empty()) fs::create_symlink(c.lock, lockDirectory / "SingletonLock");
        if (c.changed) {
            store.dir.Write("Default/Bookmarks", std::string(kStore) + " ");
        }
        const std::string before = ReadBytes(store.path);
        store.t.prompts.nextAnswer = c.syncAnswer;
        WriteRefusal refusal = WriteRefusal::None;
        const bool saved = SaveBrowserStore(store.t.model, 0, false, &refusal);
        EXPECT_EQ(refusal, c.refusal);
        EXPECT_EQ(saved, c.refusal == WriteRefusal::None);
        if (!saved) {
            EXPECT_EQ(ReadBytes(store.path), before);
            EXPECT_TRUE(store.Backups().empty());
            EXPECT_FALSE(store.t.model.ChangedRoots().empty());
        }
    }
}

TEST(ChromiumWrite, TheOverwriteSaveOfAStoreWhoseBrowserWroteItAsksForAFile) {
    StoreAt store;
    ASSERT_TRUE(store.Read(store.t));
    ASSERT_TRUE(store.t.model.EditFolderEntry(1, "renamed", ""));
    store.dir.Write("Default/Bookmarks", std::string(kStore) + " ");
    store.t.dialogs.nextFile = (store.dir.Path() / "saved.htm").string();
    store.t.model.SetCurrent(1);
    EXPECT_TRUE(SaveBM(store.t.model));
    EXPECT_NE(ReadBytes(store.t.dialogs.nextFile).find("renamed"), std::string::npos);
    EXPECT_EQ(ReadBytes(store.path), std::string(kStore) + " ");
}
