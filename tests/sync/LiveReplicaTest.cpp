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
#include "model/NullPorts.h"
#include "support/TestFiles.h"
#include "sync/LiveRootReplica.h"
#include "sync/SharedFile.h"

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

// The user's edit, made while the run talks to the server (after it read the root).
class EditAfterRead : public LocalReplica {
public:
    EditAfterRead(LocalReplica& inner, BmLogic& model, Edit edit)
        : inner_(inner), model_(model), edit_(std::move(edit)) {}
    bool Read(LocalTree& tree, std::string& error) override {
        const bool read = inner_.Read(tree, error);
        if (read && edit_) EXPECT_TRUE(std::exchange(edit_, nullptr)(model_));
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

std::vector<std::string> Titles(const SyncTree& tree) {
    std::vector<std::string> titles;
    for (int k = 1; k < tree.Size(); ++k) titles.push_back(tree[k].title);
    std::sort(titles.begin(), titles.end());
    return titles;
}

struct MeanwhileCase {
    const char* what;
    Edit onOtherMachine;  // synced to the server before the run
    Edit meanwhile;       // made by the user while the run goes on
    std::vector<std::string> titles;  // every machine ends with these, sorted
};

TEST(LiveRootReplica, EditsMadeDuringARunStayAndAreSentNext) {
    const MeanwhileCase cases[] = {
        {"nothing edited", Rename("a", "a2"), nullptr, {"a2", "b", "c", "f"}},
        {"a new bookmark beside the server's rename", Rename("a", "a2"), Add("n"),
         {"a2", "b", "c", "f", "n"}},
        {"both renamed one entry: the later edit wins", Rename("b", "server"), Rename("b", "mine"),
         {"a", "c", "f", "mine"}},
        {"the server deleted what the user renames", Delete("b"), Rename("b", "kept"),
         {"a", "c", "f", "kept"}},
        {"the user deleted what the server renamed", Rename("c", "c2"), Delete("c"),
         {"a", "b", "c2", "f"}},
        {"a move beside the server's new entry", Add("x"), MoveInto("a", "f"),
         {"a", "b", "c", "f", "x"}},
        {"the same new bookmark on both sides is one", Add("n"), Add("n"),
         {"a", "b", "c", "f", "n"}},
    };
    for (const MeanwhileCase& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir temp;
        MemoryServer server;
        std::filesystem::create_directory(temp.Path() / "other");
        SyncReplica other((temp.Path() / "other").string(), kStart);
        ASSERT_EQ(other.Sync(server, Options(FirstSync::Push)).result, SyncResult::Synced);

        const std::string path = temp.Write("live.html", kStart);
        NullModel live;
        ASSERT_TRUE(LoadSource(live.model, true, path).ok);
        LiveRootReplica replica(live.model, live.model.RefOf(0));
        // A store per run, as the window makes one for each.
        const auto sync = [&](LocalReplica& local, SyncOptions options) {
            SyncStateStore store((temp.Path() / "live-state").string());
            return RunSync(server, store, local, options);
        };
        ASSERT_EQ(sync(replica, Options(FirstSync::Merge)).result, SyncResult::Synced);

        ASSERT_TRUE(other.Edit(c.onOtherMachine));
        ASSERT_EQ(other.Sync(server, Options()).result, SyncResult::Synced);
        EditAfterRead editing(replica, live.model, c.meanwhile);
        const SyncReport run = sync(editing, Options());
        ASSERT_EQ(run.result, SyncResult::Synced) << run.Lines().back();
        EXPECT_EQ(replica.EditedMeanwhile(), c.meanwhile != nullptr);
        // The next runs send the edits and bring the other machine along.
        ASSERT_EQ(sync(replica, Options()).result, SyncResult::Synced);
        ASSERT_EQ(other.Sync(server, Options()).result, SyncResult::Synced);

        const SyncTree mine = ReadLocalRoot(live.model, 0).tree;
        EXPECT_EQ(Titles(mine), c.titles);
        EXPECT_EQ(Titles(other.Tree()), c.titles);
        const SharedFileRead shared =
            ReadSharedFile(server.files.at("bookmarks.xbel").bytes, SharedFormat::Xbel);
        ASSERT_TRUE(shared.ok);
        EXPECT_EQ(Titles(shared.tree), c.titles);
        // The file holds what the collection holds, and the local extras stayed.
        NullModel reread;
        ASSERT_TRUE(LoadSource(reread.model, true, path).ok);
        EXPECT_EQ(Titles(ReadLocalRoot(reread.model, 0).tree), c.titles);
        if (RowOf(live.model, "a") >= 0) EXPECT_NE(testing::ReadBytes(path).find("TAGS=\"keep\""), std::string::npos);
    }
}

}  // namespace
}  // namespace pernard::sync
