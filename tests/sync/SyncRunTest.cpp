// A sync run against faults: a server gone, a PUT lost or its answer lost, another writer first,
// a run killed between the server's write and the local one, locks left behind, a shared file
// replaced by a foreign one, a partial local read. Each leaves both sides whole, and where the
// fault goes away the next run brings both to the same collection, nothing lost or doubled.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>

#include "MemoryServer.h"
#include "SyncReplica.h"
#include "support/TestFiles.h"
#include "sync/Merge.h"
#include "sync/SharedFile.h"

namespace pernard::sync {
namespace {

constexpr const char* kFile = "bookmarks.xbel";
constexpr const char* kLock = "bookmarks.xbel.lock";

constexpr const char* kStart =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n"
    "<DT><A HREF=\"http://a.example/\" TAGS=\"keep\">a</A>\n<DD>a note\n"
    "<DT><H3>f</H3>\n<DL><p>\n<DT><A HREF=\"http://b.example/\">b</A>\n</DL><p>\n"
    "<HR>\n<DT><A HREF=\"mailto:me@example.com\">mail</A>\n</DL><p>\n";

SyncOptions Options() {
    SyncOptions options;
    options.fileName = kFile;
    options.format = SharedFormat::Xbel;
    return options;
}

// The first sync of `local`, sending its collection to the server.
SyncResult Push(SyncReplica& local, MemoryServer& server) {
    SyncOptions first = Options();
    first.first = FirstSync::Push;
    return local.Sync(server, first).result;
}

SyncTree ServerTree(const MemoryServer& server) {
    const SharedFileRead read = ReadSharedFile(server.files.at(kFile).bytes, SharedFormat::Xbel);
    EXPECT_TRUE(read.ok) << read.error;
    return read.tree;
}

// Another client of the file: reads it, changes it, writes it back.
void ServerEdit(MemoryServer& server, const std::function<void(SyncTree&)>& edit) {
    SyncTree tree = ServerTree(server);
    edit(tree);
    server.Store(kFile, WriteSharedFile(tree, SharedFormat::Xbel));
}

int FindTitle(const SyncTree& tree, const std::string& title) {
    for (int k = 1; k < tree.Size(); ++k) {
        if (tree[k].title == title) return k;
    }
    return -1;
}

int CountTitle(const SyncTree& tree, const std::string& title) {
    return static_cast<int>(std::count_if(tree.items.begin(), tree.items.end(),
                                          [&](const SyncItem& i) { return i.title == title; }));
}

void RenameOnServer(MemoryServer& server, const char* from, const char* to) {
    ServerEdit(server, [&](SyncTree& tree) { tree[FindTitle(tree, from)].title = to; });
}

bool AddLocally(BmLogic& model) {
    return model.NewUrl(model.glNode[0], EntryTexts{"n", "http://n.example/", {}, {}, {}}, false) > 0;
}

struct FaultCase {
    const char* fault;
    std::function<void(MemoryServer&)> inject;
    bool failWrite = false;
    const char* maxUrl = "1000000";
    SyncResult result;
    bool serverChanges;  // the first run's fault leaves the server's file changed
    bool converges;      // a run after the fault went away brings both sides together
    bool ownLock = false;  // a lock of this device's, left a minute ago by a run that died
    bool stopped = false;  // the user stopped the run
};

TEST(SyncRun, FaultsLeaveBothSidesWhole) {
    using Fault = MemoryServer::PutFault;
    const auto foreignLock = [](std::int64_t age) {
        return [age](MemoryServer& s) {
            s.Store(kLock, "<html><body>I am a lock file</body></html>");
            s.files[kLock].modified = s.now - age;
        };
    };
    const FaultCase cases[] = {
        {"the server gone", [](MemoryServer& s) { s.offline = true; }, false, "1000000",
         SyncResult::Failed, false, true},
        {"the PUT lost on the way", [](MemoryServer& s) { s.nextPut = Fault::Lost; }, false,
         "1000000", SyncResult::Failed, false, true},
        {"the PUT's answer lost", [](MemoryServer& s) { s.nextPut = Fault::AnswerLost; }, false,
         "1000000", SyncResult::Failed, true, true},
        {"another writer first, once",
         [](MemoryServer& s) {
             s.nextPut = Fault::OtherWriterFirst;
             s.otherWriter = [](MemoryServer& t) { RenameOnServer(t, "a", "a2"); };
         },
         false, "1000000", SyncResult::Synced, true, true},
        {"another writer first, every time",
         [](MemoryServer& s) {
             s.nextPut = Fault::OtherWriterFirst;
             s.otherWriter = [](MemoryServer& t) {
                 t.Store(kFile, t.files[kFile].bytes);
                 t.nextPut = Fault::OtherWriterFirst;
             };
         },
         false, "1000000", SyncResult::Failed, false, true},
        {"killed between the server's write and the local one", nullptr, true, "1000000",
         SyncResult::Failed, true, true},
        {"a fresh lock of another device", foreignLock(60), false, "1000000", SyncResult::Refused,
         false, true},
        {"a lock left 16 minutes ago", foreignLock(16 * 60), false, "1000000", SyncResult::Synced,
         true, true},
        {"this device's own lock left behind a moment ago", nullptr, false, "1000000",
         SyncResult::Synced, true, true, true},
        {"stopped by the user", nullptr, false, "1000000", SyncResult::Refused, false, true, false,
         true},
        {"a partial local read", nullptr, false, "3", SyncResult::Refused, false, true},
        {"the file renumbered",
         [](MemoryServer& s) {
             ServerEdit(s, [](SyncTree& t) {
                 for (SyncItem& i : t.items) i.id = i.id == 0 ? 0 : i.id + 100;
                 t.highestId += 100;
             });
         },
         false, "1000000", SyncResult::Refused, false, false},
        {"the file emptied", [](MemoryServer& s) { ServerEdit(s, [](SyncTree& t) { t = SyncTree{}; t.highestId = 9; }); },
         false, "1000000", SyncResult::Refused, false, false},
        {"the file stripped to its header",
         [](MemoryServer& s) { s.Store(kFile, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"); }, false,
         "1000000", SyncResult::Failed, false, false},
        {"the file cut short on the server",
         [](MemoryServer& s) {
             const std::string whole = s.files[kFile].bytes;
             s.Store(kFile, whole.substr(0, whole.size() * 9 / 10));
         },
         false, "1000000", SyncResult::Failed, false, false},
        {"the file in another form",
         [](MemoryServer& s) {
             s.Store(kFile, WriteSharedFile(ServerTree(s), SharedFormat::Html));
         },
         false, "1000000", SyncResult::Failed, false, false},
        {"the file deleted", [](MemoryServer& s) { s.files.erase(kFile); }, false, "1000000",
         SyncResult::Refused, false, false},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.fault);
        testing::TempDir dir;
        MemoryServer server;
        SyncReplica local(dir.Path().string(), kStart);
        ASSERT_EQ(Push(local, server), SyncResult::Synced);
        ASSERT_TRUE(local.Edit(AddLocally));
        RenameOnServer(server, "b", "b2");
        if (c.inject) c.inject(server);
        if (c.ownLock) {
            const std::string state = testing::ReadBytes(local.StateFolder() + "/state");
            const std::size_t device = state.find("device=");
            server.Store(kLock, "<html><body>I am a lock file<!-- " + state.substr(device, 39) +
                                    " run=0 --></body></html>");
            server.files[kLock].modified = server.now - 60;
        }
        const std::string localBefore = local.Bytes();
        const std::string serverBefore =
            server.files.count(kFile) != 0 ? server.files.at(kFile).bytes : std::string();
        const bool foreignLock = server.files.count(kLock) != 0;
        SyncOptions options = Options();
        const std::atomic<bool> stop{c.stopped};
        options.stop = &stop;
        const SyncReport report = local.Sync(server, options, c.failWrite, c.maxUrl);
        EXPECT_EQ(report.result, c.result) << report.error;
        EXPECT_EQ(server.deletesOfFile, 0);
        if (c.result != SyncResult::Synced) {
            EXPECT_EQ(local.Bytes(), localBefore);
            if (!c.serverChanges && server.files.count(kFile) != 0) {
                EXPECT_EQ(server.files.at(kFile).bytes, serverBefore);
            }
        }
        // A lock of this run never outlives it; another's stays while it is fresh.
        EXPECT_EQ(server.files.count(kLock) != 0, foreignLock && c.result == SyncResult::Refused);
        if (!c.converges) continue;
        server.offline = false;
        server.nextPut = Fault::None;
        server.files.erase(kLock);
        const SyncReport again = local.Sync(server, Options());
        ASSERT_EQ(again.result, SyncResult::Synced) << again.error;
        EXPECT_EQ(server.files.count(kLock), 0u);
        const SyncTree shared = ServerTree(server);
        EXPECT_TRUE(SameTree(Normalised(RemoteView(local.Tree())), Normalised(shared)));
        for (const char* title : {"n", "b2", "f"}) EXPECT_EQ(CountTitle(shared, title), 1) << title;
        EXPECT_EQ(CountTitle(shared, "mail"), 0);
        // What only the local file holds is still there.
        for (const char* kept : {"TAGS=\"keep\"", "a note", "<HR>", "mailto:me@example.com"}) {
            EXPECT_NE(local.Bytes().find(kept), std::string::npos) << kept;
        }
    }
}

}  // namespace
}  // namespace pernard::sync

namespace pernard::sync {
namespace {

TEST(SyncRun, AFileDeletedOnTheServerIsMadeAgainUnderTheSameIds) {
    testing::TempDir dir;
    MemoryServer server;
    SyncReplica local(dir.Path().string(), kStart);
    ASSERT_EQ(Push(local, server), SyncResult::Synced);
    const SyncTree before = ServerTree(server);
    server.files.erase(kFile);
    EXPECT_EQ(local.Sync(server, Options()).result, SyncResult::Refused);
    EXPECT_EQ(server.files.count(kFile), 0u);
    SyncOptions force = Options();
    force.force = true;
    ASSERT_EQ(local.Sync(server, force).result, SyncResult::Synced);
    const SyncTree after = ServerTree(server);
    EXPECT_TRUE(SameTree(before, after));
    EXPECT_EQ(after.highestId, before.highestId);
}

}  // namespace
}  // namespace pernard::sync

namespace pernard::sync {
namespace {

TEST(SyncRun, ASeparatorStaysInItsFolderWhenTheEntryAfterItMoves) {
    testing::TempDir dir;
    MemoryServer server;
    SyncReplica local(dir.Path().string(),
                      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n"
                      "<DT><A HREF=\"http://pa/\">pa</A>\n<HR>\n<DT><A HREF=\"http://pb/\">pb</A>\n"
                      "</DL><p>\n</DL><p>\n");
    ASSERT_EQ(Push(local, server), SyncResult::Synced);
    // Another client moves pb out of F, to the top.
    ServerEdit(server, [](SyncTree& tree) {
        const int pb = FindTitle(tree, "pb");
        std::erase(tree[tree[pb].parent].children, pb);
        tree[pb].parent = SyncTree::kRoot;
        tree[SyncTree::kRoot].children.push_back(pb);
    });
    ASSERT_EQ(local.Sync(server, Options()).result, SyncResult::Synced);
    const std::string bytes = local.Bytes();
    const std::size_t separator = bytes.find("<HR>");
    ASSERT_NE(separator, std::string::npos);
    EXPECT_LT(separator, bytes.find("</DL>", bytes.find(">pa</A>"))) << bytes;
}

}  // namespace
}  // namespace pernard::sync
