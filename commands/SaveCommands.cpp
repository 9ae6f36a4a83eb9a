#include "commands/SaveCommands.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "commands/FavoritesCommands.h"
#include "formats/NetscapeWriter.h"
#include "model/EntryExtras.h"

namespace pernard {

namespace {

constexpr const char* kNoRootMessage = "フォルダーを選択してください";
constexpr const char* kPartialQuestion =
    "このブックマークは途中までしか読み込まれていません。上書保存すると、読み込まれなかった"
    "エントリーがファイルから失われます。保存しますか？";
constexpr const char* kReplacedQuestion =
    "読み込めなかった文字があります。保存すると、その文字は "
    "U+FFFD（\xEF\xBF\xBD）に置き換わります。"
    "保存しますか？";
constexpr const char* kBrowserStoreMessage =
    "ブラウザーのブックマークには書き込みません。別のブックマークファイルに保存してください : ";

}  // namespace

bool WriteBookmarkFile(BmLogic& model, const std::string& fileName, int root) {
    return WriteBookmarkFile(model, fileName, std::vector<int>{root});
}

bool WriteBookmarkFile(BmLogic& model, const std::string& fileName, const std::vector<int>& roots) {
    const Ports& ports = model.GetPorts();
    const BookmarkFileWrite result = WriteBookmarkRoots(model, fileName, roots);
    if (result.refusedStore) {
        ports.prompts->ShowMessage(kBrowserStoreMessage + fileName);
        return false;
    }
    if (!result.written) {
        ports.prompts->ShowMessage("Cannot Save File : " + fileName);
        return false;
    }
    if (result.droppedExtras > 0) {
        ports.diagnostics->ReportSaveWarning(DroppedExtrasMessage(result.droppedExtras));
    }
    ports.status->SetPanel(1, "保存完了 " + fileName);
    return true;
}

bool CheckRootNode(BmLogic& model, int& root) {
    // A root whose title is empty is still a root.
    root = model.SelectedRoot();
    if (root >= 0) return true;
    model.GetPorts().prompts->ShowMessage(kNoRootMessage);
    return false;
}

namespace {

// An overwrite save goes to a full path only: a relative one would be written wherever the
// program happens to run.
bool IsFullPathOrSays(BmLogic& model, const std::string& target) {
    if (std::filesystem::path(target).is_absolute()) return true;
    model.GetPorts().prompts->ShowMessage("保存先はフルパスで指定してください : " + target);
    return false;
}

// The roots that one read of `target` gave, root `root` among them, that still stand for
// that file.
std::vector<int> RootsOfFile(const BmLogic& model, int root, const std::string& target) {
    std::vector<int> roots;
    for (int other : model.RootsOfSameRead(root)) {
        const std::size_t k = static_cast<std::size_t>(other);
        if (other == root || (model.gloya[k] == -1 && model.glAdd[k] == kSourceNetscape &&
                              model.glVisit[k] == target)) {
            roots.push_back(other);
        }
    }
    return roots;
}

}  // namespace

bool ConfirmAndWriteBookmark(BmLogic& model, const std::string& rootName, int root) {
    const Ports& ports = model.GetPorts();
    std::string target(model.SourcePath(root));
    if (target.empty() && !ports.dialogs->OpenBookmarkFile("", target)) return false;
    if (!IsFullPathOrSays(model, target)) return false;
    if (!ports.settings->NoOverwriteQuestion()) {
        const Answer answer =
            ports.prompts->Confirm(rootName + " を " + target + " に保存します ", Buttons::YesNo);
        if (answer != Answer::Yes) return false;
    }
    // Every root the file gave goes back into it: a file with two TITLE sections keeps both.
    const std::vector<int> roots = RootsOfFile(model, root, target);
    // These two are asked whatever the settings say: the answer decides what the file loses.
    const bool partial =
        std::any_of(roots.begin(), roots.end(), [&model](int r) { return model.IsRootPartial(r); });
    if (partial &&
        ports.prompts->Confirm(kPartialQuestion, Buttons::YesNoDefaultNo) != Answer::Yes) {
        return false;
    }
    const bool replaces = std::any_of(roots.begin(), roots.end(),
                                      [&model](int r) { return WouldReplaceKeptBytes(model, r); });
    if (replaces &&
        ports.prompts->Confirm(kReplacedQuestion, Buttons::YesNoDefaultNo) != Answer::Yes) {
        return false;
    }
    if (!WriteBookmarkFile(model, target, roots)) return false;
    model.MarkRootsSaved(roots);
    return true;
}

bool SaveBM(BmLogic& model) {
    int root = -1;
    return CheckRootNode(model, root) && SaveRoot(model, root);
}

bool SaveRoot(BmLogic& model, int root) {
    if (!model.IsValidIndex(root) || !model.IsRoot(root)) {
        return false;
    }
    const std::string rootName(model.glName[root]);
    if (model.SourceKind(root) == kSourceNetscape) {
        return ConfirmAndWriteBookmark(model, rootName, root);
    }
    if (IsBrowserStore(model.SourceKind(root))) {
        // Saved as a bookmark file of the user's choice instead of over the store.
        model.GetPorts().prompts->ShowMessage(kBrowserStoreMessage +
                                              std::string(model.SourcePath(root)));
        if (!SaveRootAsBookmarkFile(model, root)) return false;
        model.MarkRootsSaved({root});
        return true;
    }
    // A Favorites root is saved to the directory its name gives.
    if (!IsFullPathOrSays(model, rootName)) return false;
    // Shortcut files hold their URL in CP932: a byte of a URL that did not decode cannot go
    // back into one as itself.
    if (UrlsHoldKeptBytes(model, root) &&
        model.GetPorts().prompts->Confirm(kReplacedQuestion, Buttons::YesNoDefaultNo) !=
            Answer::Yes) {
        return false;
    }
    if (!SaveFavorite(model, rootName, root)) return false;
    model.MarkRootsSaved({root});
    return true;
}

bool SaveBookmarkAs(BmLogic& model) {
    int root = -1;
    return CheckRootNode(model, root) && SaveRootAsBookmarkFile(model, root);
}

bool SaveRootAsBookmarkFile(BmLogic& model, int root) {
    const Ports& ports = model.GetPorts();
    std::string chosen;
    if (!ports.dialogs->SaveBookmarkFile(ports.settings->AdditionalBookmarkFile(), chosen)) {
        return false;
    }
    if (!WriteBookmarkFile(model, chosen, root)) return false;
    ports.settings->SetAdditionalBookmarkFile(chosen);
    return true;
}

}  // namespace pernard
