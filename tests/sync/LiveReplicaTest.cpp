// A sync of a root the user goes on editing: edits made between the run's read and its write stay
// in the collection beside what the server brought, and reach the server at the next run; nothing
// is lost or doubled, and where both touched one field the user's later edit wins.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "MemoryServer.h"
#include "SyncReplica.h"
#include "commands/LoadCommands.h"
#include "model/LinkCheck.h"
#include "model/NullPorts.h"
#include "support/TestFiles.h"
#include "sync/ConflictChoice.h"
#include "sync/LiveRootReplica.h"
#include "sync/SharedFile.h"
#include "sync/SyncChanges.h"

namespace pernard::sync {
namespace {

constexpr const char* kStart =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
    "<DT><A HREF=\"http://a.example/\" TAGS=\"keep\">a</A>\n"
    "<DT><H3>f</H3>\n<DL><p>\n<DT><A HREF=\"http://b.example/\">b</A>\n</DL><p>\n"
    "<DT><A HREF=\"http://c.example/\">c</A>\n</DL><p>\n";

using Edit = std::function<bool(BmLogic&)>;

int RowOf(const BmLogic& model, const std::string& title) {
    for (int row = 1; row < model.glCT; ++row) {
        if (model.glName[row] == title) return row;
    }
    return -1;
}

Edit Rename(std::string from, std::string to) {
    return [from, to](BmLogic& m) {
        const int row = RowOf(m, from);
        if (row < 0) return false;
        EntryTexts texts = m.TextsOf(row);
        texts.name = to;
        return m.EditUrlEntry(row, texts);
    };
}

Edit Delete(std::string title) {
    return [title](BmLogic& m) {
        const int row = RowOf(m, title);
        return row >= 0 && m.DeleteEntries({m.RefOf(row)}, "削除").entries > 0;
    };
}

Edit Add(std::string title) {
    return [title](BmLogic& m) {
        return m.NewUrl(m.glNode[0], {title, "http://" + title + ".example/", {}, {}, {}}, false) > 0;
    };
}

Edit MoveInto(std::string title, std::string folder) {
    return [title, folder](BmLogic& m) {
        const int row = RowOf(m, title);
        return row >= 0 && m.TransferEntries({m.RefOf(row)}, RowOf(m, folder), false, "移動") >= 0;
    };
}

Edit Add(std::string title, std::string url) {
    return [title, url](BmLogic& m) {
        return m.NewUrl(m.glNode[0], {title, url, {}, {}, {}}, false) > 0;
    };
}

Edit AddInto(std::string title, std::string folder) {
    return [title, folder](BmLogic& m) { return Add(title)(m) && MoveInto(title, folder)(m); };
}

Edit NewFolderWith(std::string folder, std::string child) {
    return [folder, child](BmLogic& m) {
        return m.NewFolder(m.glNode[0], folder, false) > 0 && AddInto(child, folder)(m);
    };
}

Edit RenameFolder(std::string from, std::string to) {
    return [from, to](BmLogic& m) {
        const int row = RowOf(m, from);
        return row >= 0 && m.EditFolderEntry(row, to, std::string(m.SaveUrl(row)));
    };
}

Edit CutPaste(std::string title, std::string target) {
    return [title, target](BmLogic& m) {
        const int row = RowOf(m, title);
        if (row < 0) return false;
        m.MarkClip(row, true);
        return m.PasteClip(RowOf(m, target)) >= 0;
    };
}

Edit UndoLast() {
    return [](BmLogic& m) { return m.Undo(); };
}

Edit Then(Edit first, Edit second) {
    return [first, second](BmLogic& m) { return first(m) && second(m); };
}

// The user's edit, made while the run talks to the server (after it read the root).
class EditAfterRead : public LocalReplica {
public:
    EditAfterRead(LocalReplica& inner, BmLogic& model, Edit edit)
        : inner_(inner), model_(model), edit_(std::move(edit)) {}
    bool Read(LocalTree& tree, std::string& error) override {
        const bool read = inner_.Read(tree, error);
        if (read && edit_) {
            EXPECT_TRUE(std::exchange(edit_, nullptr)(model_));
        }
        return read;
    }
    bool Write(const LocalTree& before, const MergeResult& result, std::string& error) override {
        return inner_.Write(before, result, error);
    }

private:
    LocalReplica& inner_;
    BmLogic& model_;
    Edit edit_;
};

SyncOptions Options(std::optional<FirstSync> first = std::nullopt) {
    SyncOptions options;
    options.fileName = "bookmarks.xbel";
    options.first = first;
    return options;
}

// Every entry by its path ("f/b"), sorted; local-only entries only with `localOnly`.
std::vector<std::string> Titles(const SyncTree& tree, bool localOnly = false) {
    std::vector<std::string> titles;
    for (int k = 1; k < tree.Size(); ++k) {
        if (!tree[k].localOnly || localOnly) titles.push_back(ItemPath(tree, k).substr(1));
    }
    std::sort(titles.begin(), titles.end());
    return titles;
}

// This machine's live root and another machine's bookmark file, synced through one server;
// the other machine sent its collection first.
struct TwoMachines {
    testing::TempDir temp;
    MemoryServer server;
    SyncReplica other{MakeFolder(temp.Path() / "other"), kStart};
    std::string path = temp.Write("live.html", kStart);
    NullModel live;
    LiveRootReplica replica{Loaded(live.model, path), live.model.RefOf(0)};

    TwoMachines() { EXPECT_EQ(other.Sync(server, Options(FirstSync::Push)).result, SyncResult::Synced); }
    // A run of this machine, with a store of its own, as the window makes one for each run.
    SyncReport Sync(LocalReplica& local, SyncOptions options) {
        SyncStateStore store((temp.Path() / "live-state").string());
        return RunSync(server, store, local, options);
    }

private:
    static std::string MakeFolder(const std::filesystem::path& folder) {
        std::filesystem::create_directory(folder);
        return folder.string();
    }
    static BmLogic& Loaded(BmLogic& model, const std::string& path) {
        EXPECT_TRUE(LoadSource(model, true, path).ok);
        return model;
    }
};

struct MeanwhileCase {
    const char* what;
    Edit onOtherMachine;  // synced to the server before the run
    Edit meanwhile;       // made by the user while the run goes on
    std::vector<std::string> titles;  // every machine ends with these, sorted
    Edit here = nullptr;              // made on this machine before the run (and synced)
    std::vector<std::string> onlyHere = {};  // local-only entries this machine ends with
    bool readsAsRead = false;         // the edits leave the root as the run read it
};

TEST(LiveRootReplica, EditsMadeDuringARunStayAndAreSentNext) {
    const MeanwhileCase cases[] = {
        {"nothing edited", Rename("a", "a2"), nullptr, {"a2", "c", "f", "f/b"}},
        {"a new bookmark beside the server's rename", Rename("a", "a2"), Add("n"),
         {"a2", "c", "f", "f/b", "n"}},
        {"both renamed one entry: the later edit wins", Rename("b", "server"), Rename("b", "mine"),
         {"a", "c", "f", "f/mine"}},
        {"the server deleted what the user renames", Delete("b"), Rename("b", "kept"),
         {"a", "c", "f", "f/kept"}},
        {"the user deleted what the server renamed", Rename("c", "c2"), Delete("c"),
         {"a", "c2", "f", "f/b"}},
        {"a move beside the server's new entry", Add("x"), MoveInto("a", "f"),
         {"c", "f", "f/a", "f/b", "x"}},
        {"the same new bookmark on both sides is one", Add("n"), Add("n"),
         {"a", "c", "f", "f/b", "n"}},
        {"a deletion undone beside the server's rename", Rename("b", "b2"), Then(Delete("b"), UndoLast()),
         {"a", "c", "f", "f/b2"}, nullptr, {}, true},
        {"the last sync undone", Rename("a", "a2"), UndoLast(), {"a2", "c", "f", "f/b"}},
        {"a cut and paste beside the server's rename", Rename("a", "a2"), CutPaste("a", "f"),
         {"c", "f", "f/a2", "f/b"}},
        {"a new folder with a bookmark", Add("x"), NewFolderWith("g", "n"),
         {"a", "c", "f", "f/b", "g", "g/n", "x"}},
        {"a move into a folder the server deleted", Delete("f"), MoveInto("a", "f"),
         {"c", "f", "f/a"}},
        {"a folder deleted that the server added to", AddInto("x", "f"), Delete("f"),
         {"a", "c", "f", "f/x"}},
        {"a rename taken back", Rename("c", "c2"), Then(Rename("a", "z"), Rename("z", "a")),
         {"a", "c2", "f", "f/b"}, nullptr, {}, true},
        {"many entries edited", Add("x"),
         Then(Then(Rename("a", "a2"), Rename("b", "b2")), Then(RenameFolder("f", "f2"), Delete("c"))),
         {"a2", "f2", "f2/b2", "x"}},
        {"the same rename on both sides", Rename("b", "b2"), Rename("b", "b2"), {"a", "c", "f", "f/b2"}},
        {"a local-only bookmark beside an edit", Rename("a", "a2"), Rename("c", "c2"),
         {"a2", "c2", "f", "f/b"}, Add("m", "mailto:m@example.com"), {"m"}},
        {"a local-only bookmark deleted", Rename("a", "a2"), Delete("m"),
         {"a2", "c", "f", "f/b"}, Add("m", "mailto:m@example.com")},
    };
    for (const MeanwhileCase& c : cases) {
        SCOPED_TRACE(c.what);
        TwoMachines m;
        MemoryServer& server = m.server;
        SyncReplica& other = m.other;
        const std::string& path = m.path;
        NullModel& live = m.live;
        LiveRootReplica& replica = m.replica;
        const auto sync = [&](LocalReplica& local, SyncOptions options) { return m.Sync(local, options); };
        ASSERT_EQ(sync(replica, Options(FirstSync::Merge)).result, SyncResult::Synced);
        if (c.here) {
            ASSERT_TRUE(c.here(live.model));
            ASSERT_EQ(sync(replica, Options()).result, SyncResult::Synced);
        }

        ASSERT_TRUE(other.Edit(c.onOtherMachine));
        ASSERT_EQ(other.Sync(server, Options()).result, SyncResult::Synced);
        EditAfterRead editing(replica, live.model, c.meanwhile);
        const SyncReport run = sync(editing, Options());
        ASSERT_EQ(run.result, SyncResult::Synced) << run.Lines().back();
        EXPECT_EQ(replica.EditedMeanwhile(), c.meanwhile != nullptr && !c.readsAsRead);
        // The next runs send the edits and bring the other machine along.
        ASSERT_EQ(sync(replica, Options()).result, SyncResult::Synced);
        ASSERT_EQ(other.Sync(server, Options()).result, SyncResult::Synced);

        const SyncTree mine = ReadLocalRoot(live.model, 0).tree;
        std::vector<std::string> mineExpected = c.titles;
        mineExpected.insert(mineExpected.end(), c.onlyHere.begin(), c.onlyHere.end());
        std::sort(mineExpected.begin(), mineExpected.end());
        EXPECT_EQ(Titles(mine, true), mineExpected);
        EXPECT_EQ(Titles(other.Tree()), c.titles);
        const SharedFileRead shared =
            ReadSharedFile(server.files.at("bookmarks.xbel").bytes, SharedFormat::Xbel);
        ASSERT_TRUE(shared.ok);
        EXPECT_EQ(Titles(shared.tree), c.titles);
        // The file holds what the collection holds, and the local extras stayed.
        NullModel reread;
        ASSERT_TRUE(LoadSource(reread.model, true, path).ok);
        EXPECT_EQ(Titles(ReadLocalRoot(reread.model, 0).tree, true), mineExpected);
        if (RowOf(live.model, "a") >= 0) {
            EXPECT_NE(testing::ReadBytes(path).find("TAGS=\"keep\""), std::string::npos);
        }
    }
}

struct OtherSideCase {
    const char* what;
    Edit here;            // made on this machine before the run
    Edit onOtherMachine;  // synced to the server before the run
    const char* field;    // the conflict whose other side is taken
    std::vector<std::string> titles;  // every machine ends with these, sorted
};

TEST(LiveRootReplica, TheOtherSideOfAConflictIsSentNext) {
    const OtherSideCase cases[] = {
        {"the server's name", Rename("b", "mine"), Rename("b", "server"), "名前",
         {"a", "c", "f", "f/server"}},
        {"a folder deleted here that the server renamed and added to: what was added stays",
         Delete("f"), Then(RenameFolder("f", "f2"), AddInto("x", "f2")), "削除",
         {"a", "c", "f2", "f2/x"}},
        {"the server's place, a folder whose title holds a slash", MoveInto("a", "f"),
         Then(NewFolderWith("p/q", "n"), MoveInto("a", "p/q")), "場所",
         {"c", "f", "f/b", "p/q", "p/q/a", "p/q/n"}},
    };
    for (const OtherSideCase& c : cases) {
        SCOPED_TRACE(c.what);
        TwoMachines m;
        MemoryServer& server = m.server;
        SyncReplica& other = m.other;
        NullModel& live = m.live;
        LiveRootReplica& replica = m.replica;
        const auto sync = [&](SyncOptions options) { return m.Sync(replica, options); };
        ASSERT_EQ(sync(Options(FirstSync::Merge)).result, SyncResult::Synced);
        ASSERT_TRUE(other.Edit(c.onOtherMachine));
        ASSERT_EQ(other.Sync(server, Options()).result, SyncResult::Synced);
        ASSERT_TRUE(c.here(live.model));
        const SyncReport run = sync(Options());
        ASSERT_EQ(run.result, SyncResult::Synced);
        const auto conflict = std::find_if(run.conflicts.begin(), run.conflicts.end(),
                                           [&](const Conflict& k) { return k.field == c.field; });
        ASSERT_NE(conflict, run.conflicts.end());
        std::string error;
        // Refused or taken, the titles tell whether the result is right.
        TakeOtherSide(live.model, 0, *conflict, error);
        ASSERT_EQ(sync(Options()).result, SyncResult::Synced);
        ASSERT_EQ(other.Sync(server, Options()).result, SyncResult::Synced);
        EXPECT_EQ(Titles(ReadLocalRoot(live.model, 0).tree), c.titles);
        EXPECT_EQ(Titles(other.Tree()), c.titles);
    }
}

}  // namespace
}  // namespace pernard::sync

namespace pernard::sync {
namespace {

// A run skips reading the root while no edit, undo or redo was made since it was last as both
// sides agree; whenever it skips, the root is as they agreed, whatever was done meanwhile.
TEST(LiveRootReplica, KnowsTheRootUnchangedUntilAnEdit) {
    testing::TempDir temp;
    const std::string path = temp.Write("live.html", kStart);
    const std::string empty = temp.Write("empty.html",
                                         "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>e</TITLE>\n"
                                         "<H1>e</H1>\n<DL><p>\n</DL><p>\n");
    const Edit undo = [](BmLogic& m) { return m.Undo(); };
    const Edit redo = [](BmLogic& m) { return m.Redo(); };
    const Edit loadMore = [empty](BmLogic& m) { return LoadSource(m, false, empty).ok; };
    const Edit reload = [path](BmLogic& m) { return LoadSource(m, true, path).ok; };
    const Edit tag = [](BmLogic& m) { return m.ChangeTags({m.RefOf(RowOf(m, "c"))}, {"t"}, true) == 1; };
    const Edit dated = [](BmLogic& m) {
        LinkResult result;
        result.url = "http://c.example/";
        result.status = 200;
        result.lastModified = 1000000;
        return ApplyLinkResult(m, m.RefOf(RowOf(m, "c")), result);
    };
    const Edit upDown = [](BmLogic& m) { return m.MoveEntriesUpDown({m.RefOf(RowOf(m, "c"))}, true); };
    const Edit restore = [path](BmLogic& m) {
        NullModel earlier;
        return LoadSource(earlier.model, true, path).ok && m.ReplaceRootEntries(0, earlier.model, 0, "復元");
    };
    struct Case {
        const char* what;
        std::vector<Edit> beforeAgreed;  // then a run, whose mark is the agreed one
        std::vector<Edit> after;
        bool known;
    };
    const std::vector<Case> cases = {
        {"nothing done", {}, {}, true},
        {"an edit", {}, {Rename("a", "a2")}, false},
        {"an edit and its undo", {}, {Rename("a", "a2"), undo}, false},
        {"an undo and its redo", {Rename("a", "a2")}, {undo, redo}, true},
        {"a new entry", {}, {Add("d")}, false},
        {"a deletion", {}, {Delete("c")}, false},
        {"a move up", {}, {upDown}, false},
        {"a tag", {}, {tag}, false},
        {"a restore of the loaded version", {}, {restore}, false},
        {"a link check's date", {}, {dated}, true},
        {"an additional load", {}, {loadMore}, false},
        {"the file loaded again", {}, {reload}, false},
        // Agreed with nothing to undo and a deletion to redo; the redo and a load that forgets
        // the history (one row in, as one went) leave the mark where it was.
        {"a redo forgotten by a load", {loadMore, Delete("c"), undo}, {redo, loadMore}, false},
    };
    const auto shape = [](const BmLogic& m) {
        std::vector<std::string> items;
        for (const SyncItem& item : ReadLocalRoot(m, 0).tree.items) {
            items.push_back(std::to_string(item.parent) + "/" + item.title + "/" + item.url + "/" +
                            std::to_string(item.id));
        }
        return items;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryServer server;
        NullModel live;
        ASSERT_TRUE(LoadSource(live.model, true, path).ok);
        // A store per run, as the window makes one for each.
        const auto sync = [&](LocalReplica& local, SyncOptions options) {
            SyncStateStore store((temp.Path() / c.what).string());
            return RunSync(server, store, local, options);
        };
        LiveRootReplica first(live.model, live.model.RefOf(0));
        ASSERT_EQ(sync(first, Options(FirstSync::Push)).result, SyncResult::Synced);
        for (const Edit& edit : c.beforeAgreed) ASSERT_TRUE(edit(live.model));
        LiveRootReplica agreeing(live.model, live.model.RefOf(0), first.LeftAt());
        ASSERT_EQ(sync(agreeing, Options()).result, SyncResult::Synced);
        const std::optional<EditMark> agreed = agreeing.LeftAt() ? agreeing.LeftAt() : first.LeftAt();
        ASSERT_TRUE(agreed.has_value());
        ASSERT_TRUE(MarkOf(live.model, live.model.RefOf(0)) == *agreed);
        const std::vector<std::string> agreedShape = shape(live.model);
        for (const Edit& edit : c.after) ASSERT_TRUE(edit(live.model));
        const bool known = LiveRootReplica(live.model, live.model.RefOf(0), agreed).KnownUnchanged();
        EXPECT_EQ(known, c.known);
        if (known) {
            EXPECT_EQ(shape(live.model), agreedShape);
        }
    }
}

}  // namespace
}  // namespace pernard::sync
