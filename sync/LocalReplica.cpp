#include "sync/LocalReplica.h"

#include <filesystem>

#include "commands/SaveCommands.h"
#include "commands/WriteGate.h"
#include "sync/ApplyMerge.h"

namespace fs = std::filesystem;

namespace pernard::sync {

bool BookmarkFileReplica::Read(LocalTree& tree, std::string& error) {
    if (!model_.IsValidIndex(root_) || !model_.IsRoot(root_)) {
        error = "同期するルートがありません";
        return false;
    }
    if (model_.IsRootPartial(root_)) {
        error = "ファイルの一部しか読み込めていないため同期できません : " +
                std::string(model_.SourcePath(root_));
        return false;
    }
    // A file the user may not write is never synced: the server would move on without it.
    std::error_code failure;
    const fs::path path(std::string(model_.SourcePath(root_)));
    const fs::file_status status = fs::status(path, failure);
    if (!failure && fs::exists(status) &&
        (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        error = "ローカルのファイルが読み取り専用のため同期できません : " + path.string();
        return false;
    }
    tree = ReadLocalRoot(model_, root_);
    return true;
}

bool KeepRootFile(BmLogic& model, int root, std::string& error) {
    const WriteRequest request{.kind = WriteKind::BookmarkFile,
                               .target = std::string(model.SourcePath(root)),
                               .roots = model.RootsOfSameRead(root),
                               .force = false};
    WriteRefusal refusal = WriteRefusal::None;
    if (SaveBookmarkFile(model, request, &refusal)) return true;
    error = "ローカルのファイルに書き込めません : " + request.target;
    return false;
}

bool BookmarkFileReplica::Write(const LocalTree& before, const MergeResult& result,
                                std::string& error) {
    if (!ApplyMerge(model_, root_, before, result, error)) return false;
    if (KeepRootFile(model_, root_, error)) return true;
    // What was put in place is taken back: the table stays as the file holds it.
    model_.Undo();
    return false;
}

}  // namespace pernard::sync
