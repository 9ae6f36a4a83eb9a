#include "SyncReplica.h"

#include <fstream>

#include "commands/LoadCommands.h"
#include "commands/SaveCommands.h"
#include "commands/WriteGate.h"
#include "model/NullPorts.h"
#include "support/TestFiles.h"
#include "util/WhatwgUrl.h"

namespace pernard::sync {

namespace {

// Puts the merge in place like the bookmark file's replica, then fails as a killed run would.
class FailingWrite : public LocalReplica {
public:
    explicit FailingWrite(LocalReplica& inner) : inner_(inner) {}
    bool Read(LocalTree& tree, std::string& error) override { return inner_.Read(tree, error); }
    bool Write(const LocalTree&, const MergeResult&, std::string& error) override {
        error = "killed";
        return false;
    }

private:
    LocalReplica& inner_;
};

}  // namespace

SyncReplica::SyncReplica(std::string folder, const std::string& bookmarkFile)
    : path_(folder + "/bookmarks.html"), state_(folder + "/state") {
    std::ofstream(path_, std::ios::binary) << bookmarkFile;
}

SyncReport SyncReplica::Sync(SyncServer& server, SyncOptions options, bool failWrite,
                             const char* maxUrl) {
    NullModel m;
    m.settings.maxUrl = maxUrl;
    LoadSource(m.model, true, path_);
    BookmarkFileReplica replica(m.model, 0);
    FailingWrite failing(replica);
    SyncStateStore store(state_);
    return RunSync(server, store, failWrite ? static_cast<LocalReplica&>(failing) : replica, options);
}

bool SyncReplica::Edit(const std::function<bool(BmLogic&)>& edit) {
    NullModel m;
    if (!LoadSource(m.model, true, path_).ok || !edit(m.model)) return false;
    const WriteRequest request{.kind = WriteKind::BookmarkFile, .target = path_, .roots = {0}};
    return SaveBookmarkFile(m.model, request);
}

SyncTree SyncReplica::Tree() const {
    NullModel m;
    LoadSource(m.model, true, path_);
    return ReadLocalRoot(m.model, 0).tree;
}

std::string SyncReplica::Bytes() const { return testing::ReadBytes(path_); }

SyncTree Normalised(const SyncTree& tree) {
    SyncTree out = tree;
    for (SyncItem& item : out.items) {
        if (!item.folder) item.url = WhatwgNormalizedUrl(item.url);
    }
    return out;
}

}  // namespace pernard::sync
