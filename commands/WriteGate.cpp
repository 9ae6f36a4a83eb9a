#include "commands/WriteGate.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_set>

#include "formats/chromium/ChromiumWriter.h"
#include "formats/favorites/FavoritesReader.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "formats/SourceRead.h"
#include "history/VersionHistory.h"
#include "util/FileStamp.h"
#include "util/ProfileLock.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPartialQuestion =
    "このブックマークは途中までしか読み込まれていません。上書保存すると、読み込まれなかった"
    "エントリーがファイルから失われます。保存しますか？";
constexpr const char* kReplacedQuestion =
    "読み込めなかった文字があります。保存すると、その文字は "
    "U+FFFD（\xEF\xBF\xBD）に置き換わります。"
    "保存しますか？";
constexpr const char* kNotAFileMessage = "保存先が通常のファイルやディレクトリではありません : ";
constexpr const char* kChangedMessage =
    "読み込んだ後にファイルが変更されています（同じファイルから読み込んだ別のルートの保存、"
    "または別のプログラムによる変更）。上書するとその変更が失われるため、別のファイルに"
    "保存してください : ";

// A root read from a file or directory this program may write back (not a browser's store).
bool HasWritableSource(const BmLogic& model, int root) {
    return !IsBrowserStore(model.SourceKindOf(root)) && !model.SourcePath(root).empty();
}

// The roots in table order (the tree's top level is in that order).
std::vector<int> AllRoots(const BmLogic& model) {
    std::vector<int> roots;
    const TreeNodes& tree = model.Tree();
    for (int row = 0; row < tree.TopLevelCount(); ++row) {
        const int index = model.IndexOf(tree.TopLevel(row));
        if (model.IsValidIndex(index) && model.IsRoot(index)) roots.push_back(index);
    }
    return roots;
}

// The roots as a question names them: a Favorites root by the directory it was read from.
std::string NamesOf(const BmLogic& model, const std::vector<int>& roots) {
    std::string names;
    for (int root : roots) {
        if (!names.empty()) names += "、";
        names += model.SourceKindOf(root) == SourceKind::Favorites ? model.SourcePath(root)
                                                            : model.glName[root];
    }
    return names;
}

// What the loaded roots have to do with the target.
struct Holders {
    std::vector<int> sameFile;  // read from the target itself
    std::vector<int> touched;   // read from something the write would change or replace
};

Holders HoldersOf(const BmLogic& model, const WriteRequest& request) {
    Holders holders;
    for (int root : AllRoots(model)) {
        if (!HasWritableSource(model, root)) continue;
        const std::string source(model.SourcePath(root));
        const bool favorites = model.SourceKindOf(root) == SourceKind::Favorites;
        if (SamePath(source, request.target)) {
            holders.sameFile.push_back(root);
            holders.touched.push_back(root);
        } else if (request.kind == WriteKind::FavoritesAnew && IsInside(source, request.target)) {
            // The new tree takes the place of everything below the directory.
            holders.touched.push_back(root);
        } else if (favorites && request.kind != WriteKind::Favorites &&
                   request.kind != WriteKind::FavoritesAnew && IsShortcutFileName(request.target) &&
                   IsInside(request.target, source)) {
            // A shortcut file of a Favorites directory that was read.
            holders.touched.push_back(root);
        }
    }
    return holders;
}

// The roots one read of the target gave, `first` among them, that still stand for it.
std::vector<int> RootsOfTheRead(const BmLogic& model, int first, const Holders& holders) {
    std::vector<int> roots;
    for (int root : model.RootsOfSameRead(first)) {
        if (std::find(holders.sameFile.begin(), holders.sameFile.end(), root) !=
            holders.sameFile.end()) {
            roots.push_back(root);
        }
    }
    return roots;
}

// How many files and directories below `target` (the directory root `root` was read from) its
// load did not read: a hidden folder, an oversized shortcut, a file that is no shortcut, a link.
// A save-as replaces the whole tree and would remove them.
int UnreadBelow(const BmLogic& model, int root, const std::string& target) {
    const RootInfo* info = model.RootInfoOf(root);
    if (info == nullptr || info->favorites == nullptr) return 0;
    const ReadFavoritesFiles& read = *info->favorites;
    const fs::path base = fs::path(read.directory).lexically_normal();
    std::unordered_set<std::string> known;
    for (const auto& [path, noted] : read.shortcuts) {
        known.insert(fs::path(path).lexically_relative(base).generic_string());
    }
    for (const std::string& path : read.directories) {
        known.insert(fs::path(path).lexically_relative(base).generic_string());
    }
    int unread = 0;
    std::error_code error;
    fs::recursive_directory_iterator walk(target, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        const fs::path relative = walk->path().lexically_relative(target);
        if (known.count(relative.generic_string()) > 0) continue;
        ++unread;
        // What lies below a directory that was not read was not read either.
        walk.disable_recursion_pending();
    }
    return error ? unread + 1 : unread;
}

bool Contains(const std::vector<int>& roots, int root) {
    return std::find(roots.begin(), roots.end(), root) != roots.end();
}

// What the gate decided: the roots to write and whether the target is their source, or why
// nothing may be written.
struct Verdict {
    WriteRefusal refusal = WriteRefusal::None;
    std::vector<int> roots;
    bool overSource = false;
};

class Decision {
public:
    Decision(const BmLogic& model, const WriteRequest& request)
        : model_(model), request_(request), prompts_(*model.GetPorts().prompts) {}

    Verdict Make();

private:
    // Each rule below either refuses (having said why, where it says anything) or lets the
    // decision go on to the next: nullopt.
    using Rule = std::optional<Verdict>;

    Verdict MakeForStore();
    Verdict MakeForRestore();
    bool IsRestore() const {
        return request_.kind == WriteKind::RestoredFile ||
               request_.kind == WriteKind::RestoredDirectory;
    }
    Verdict MakeOverSource(const Holders& holders);
    Verdict Refuse(WriteRefusal why, const std::string& message = {}) {
        if (!message.empty()) prompts_.ShowMessage(message);
        return Verdict{why, {}, false};
    }
    Rule RefuseInvalidRequest();
    Rule RefuseUnwritableKind();
    Rule RefuseBrowserStoreTarget();
    int FirstRootReadFromTarget(const Holders& holders) const;
    Rule RefuseLosingOtherSources(int first, const Holders& holders);
    std::vector<int> RootsOverSource(int first, const Holders& holders) const;
    Rule RefuseRemovingUnread(int first);
    Rule RefuseChangedSource(int first);
    Rule RefuseDeclinedQuestions(const std::vector<int>& roots, const Holders& holders);
    bool RootsAreValid() const;
    // A file is written over a regular file only, a Favorites tree over a directory only: a
    // FIFO, a device or a socket is never opened (a FIFO would wait for a reader forever).
    bool IsWritableKindOfTarget() const {
        std::error_code error;
        const fs::file_status status = fs::status(request_.target, error);
        if (!fs::exists(status)) return true;
        const bool tree = request_.kind == WriteKind::Favorites ||
                          request_.kind == WriteKind::FavoritesAnew ||
                          request_.kind == WriteKind::RestoredDirectory;
        return tree ? fs::is_directory(status) : fs::is_regular_file(status);
    }
    // Whether the user (or --force) lets the write go on after `question`.
    bool Agrees(const std::string& question) const {
        return request_.force || prompts_.Confirm(question, Buttons::YesNoDefaultNo) == Answer::Yes;
    }
    // The overwrite save's question, when it asks one: true to go on.
    bool ConfirmsOverwrite(const std::vector<int>& roots, const Holders& holders) const {
        return !request_.confirmOverwrite || model_.GetPorts().settings->NoOverwriteQuestion() ||
               prompts_.Confirm(OverwriteQuestion(roots, holders), Buttons::YesNo) == Answer::Yes;
    }
    std::string OverwriteQuestion(const std::vector<int>& roots, const Holders& holders) const;
    bool ReplacesKeptBytes(const std::vector<int>& roots) const;

    const BmLogic& model_;
    const WriteRequest& request_;
    PromptPort& prompts_;
};

bool Decision::RootsAreValid() const {
    if (request_.kind == WriteKind::Page || IsRestore()) return true;
    return !request_.roots.empty() &&
           std::all_of(request_.roots.begin(), request_.roots.end(), [this](int root) {
               return model_.IsValidIndex(root) && model_.IsRoot(root);
           });
}

Verdict Decision::MakeForStore() {
    const std::string& target = request_.target;
    if (request_.roots.size() != 1) return Refuse(WriteRefusal::Invalid);
    const int root = request_.roots.front();
    if (model_.SourceKindOf(root) == SourceKind::Firefox) {
        return Refuse(WriteRefusal::BrowserStore, kFirefoxReadOnlyMessage + target);
    }
    const RootInfo* info = model_.RootInfoOf(root);
    if (model_.SourceKindOf(root) != SourceKind::Chromium || info == nullptr || info->store == nullptr ||
        !SamePath(target, std::string(model_.SourcePath(root)))) {
        return Refuse(WriteRefusal::Invalid);
    }
    // The browser wrote the file since it was read (or it is gone): what it wrote would be lost.
    if (!info->sourceStamp || !(*info->sourceStamp == StampOf(target))) {
        return Refuse(WriteRefusal::SourceChanged, kChangedMessage + target);
    }
    if (BrowserProfileInUse(target)) {
        return Refuse(WriteRefusal::BrowserRunning, kBrowserRunningMessage + target);
    }
    if (!ConfirmsOverwrite(request_.roots, Holders{})) return Refuse(WriteRefusal::Declined);
    if (model_.IsRootPartial(root) && !Agrees(kPartialQuestion)) {
        return Refuse(WriteRefusal::Declined);
    }
    const StoreLeftOut leftOut = StoreLeftOutOf(model_, root);
    if (leftOut.Any() && !Agrees(StoreLeftOutQuestion(leftOut))) {
        return Refuse(WriteRefusal::Declined);
    }
    if (!info->store->backedUp && HoldsSyncMetadata(info->store->text) && !Agrees(kSyncQuestion)) {
        return Refuse(WriteRefusal::Declined);
    }
    return Verdict{WriteRefusal::None, request_.roots, true};
}

// An earlier version put back: never into Firefox's store, never into a Chromium-family one while
// its browser runs on it. What the window has loaded from the target it reads again afterwards.
Verdict Decision::MakeForRestore() {
    const std::string& target = request_.target;
    const SourceKind kind = KindOfSource(target);
    if (kind == SourceKind::Firefox) {
        return Refuse(WriteRefusal::BrowserStore, kFirefoxReadOnlyMessage + target);
    }
    if (kind == SourceKind::Chromium && BrowserProfileInUse(target)) {
        return Refuse(WriteRefusal::BrowserRunning, kBrowserRunningMessage + target);
    }
    return Verdict{WriteRefusal::None, {}, false};
}

// The rules in the order the gate applies them: what no write may be first, then whether the
// target holds loaded roots, and over a source what the write must hold and may lose.
Verdict Decision::Make() {
    if (Rule refusal = RefuseInvalidRequest()) return *refusal;
    if (Rule refusal = RefuseUnwritableKind()) return *refusal;
    if (request_.kind == WriteKind::BrowserStore) return MakeForStore();
    if (IsRestore()) return MakeForRestore();
    if (Rule refusal = RefuseBrowserStoreTarget()) return *refusal;
    const Holders holders = HoldersOf(model_, request_);
    if (!holders.touched.empty()) return MakeOverSource(holders);
    if (!ConfirmsOverwrite(request_.roots, holders)) return Refuse(WriteRefusal::Declined);
    return Verdict{WriteRefusal::None, request_.roots, false};
}

// Over a source: the write must hold what one read of it gave.
Verdict Decision::MakeOverSource(const Holders& holders) {
    const int first = FirstRootReadFromTarget(holders);
    if (Rule refusal = RefuseLosingOtherSources(first, holders)) return *refusal;
    std::vector<int> roots = RootsOverSource(first, holders);
    if (Rule refusal = RefuseRemovingUnread(first)) return *refusal;
    if (Rule refusal = RefuseChangedSource(first)) return *refusal;
    if (Rule refusal = RefuseDeclinedQuestions(roots, holders)) return *refusal;
    return Verdict{WriteRefusal::None, std::move(roots), true};
}

Decision::Rule Decision::RefuseInvalidRequest() {
    if (!request_.target.empty() && RootsAreValid()) return std::nullopt;
    return Refuse(WriteRefusal::Invalid);
}

Decision::Rule Decision::RefuseUnwritableKind() {
    if (IsWritableKindOfTarget()) return std::nullopt;
    return Refuse(WriteRefusal::NotAFile, kNotAFileMessage + request_.target);
}

// A browser's store is written back only as itself (MakeForStore), never as another save's target.
Decision::Rule Decision::RefuseBrowserStoreTarget() {
    const SourceKind kind = KindOfSource(request_.target);
    if (kind != SourceKind::Chromium && kind != SourceKind::Firefox) return std::nullopt;
    return Refuse(WriteRefusal::BrowserStore, kBrowserStoreMessage + request_.target);
}

// The first root asked for that was read from the target itself; -1 when none was (or for a
// page, which holds no root).
int Decision::FirstRootReadFromTarget(const Holders& holders) const {
    if (request_.kind == WriteKind::Page) return -1;
    for (int root : request_.roots) {
        if (Contains(holders.sameFile, root)) return root;
    }
    return -1;
}

// Another read of the same file is a copy of it: its own save is checked later against the
// file as it then is. Anything else the write would change or replace is lost.
Decision::Rule Decision::RefuseLosingOtherSources(int first, const Holders& holders) {
    std::vector<int> lost;
    for (int root : holders.touched) {
        if (first < 0 || !Contains(holders.sameFile, root)) lost.push_back(root);
    }
    if (lost.empty()) return std::nullopt;
    return Refuse(
        WriteRefusal::OtherSource,
        "読み込んだブックマーク（" + NamesOf(model_, lost) +
            "）の読込元です。上書するとそれが失われるため、書き込みません : " + request_.target);
}

// What a write over its source writes: every root that one read of it gave, in order, and then
// the other roots asked for.
std::vector<int> Decision::RootsOverSource(int first, const Holders& holders) const {
    std::vector<int> roots =
        first >= 0 ? RootsOfTheRead(model_, first, holders) : std::vector<int>{};
    for (int root : request_.roots) {
        if (!Contains(roots, root)) roots.push_back(root);
    }
    return roots;
}

// A save-as replaces the whole tree: it would remove what the load of the tree did not read.
Decision::Rule Decision::RefuseRemovingUnread(int first) {
    if (request_.kind != WriteKind::FavoritesAnew) return std::nullopt;
    const int unread = UnreadBelow(model_, first, request_.target);
    if (unread <= 0) return std::nullopt;
    return Refuse(WriteRefusal::Unread,
                  "このディレクトリには読み込まれなかったファイルやフォルダーが " +
                      std::to_string(unread) +
                      " 個あります。名前を付けて保存はそれを消去するため、書き込みません"
                      "（上書保存はそれを残します） : " +
                      request_.target);
}

// A bookmark file changed on the disk since it was read (or last saved): the write would lose
// the change.
Decision::Rule Decision::RefuseChangedSource(int first) {
    if (request_.kind != WriteKind::BookmarkFile) return std::nullopt;
    const RootInfo* info = model_.RootInfoOf(first);
    const FileStamp now = StampOf(request_.target);
    if (info == nullptr || !info->sourceStamp || !now.exists || *info->sourceStamp == now) {
        return std::nullopt;
    }
    return Refuse(WriteRefusal::SourceChanged, kChangedMessage + request_.target);
}

// The overwrite question, then two that are asked whatever the settings say: the answer decides
// what the source loses.
Decision::Rule Decision::RefuseDeclinedQuestions(const std::vector<int>& roots,
                                                 const Holders& holders) {
    if (!ConfirmsOverwrite(roots, holders)) return Refuse(WriteRefusal::Declined);
    const bool partial = std::any_of(roots.begin(), roots.end(),
                                     [this](int root) { return model_.IsRootPartial(root); });
    if (partial && !Agrees(kPartialQuestion)) return Refuse(WriteRefusal::Declined);
    if (ReplacesKeptBytes(roots) && !Agrees(kReplacedQuestion)) {
        return Refuse(WriteRefusal::Declined);
    }
    return std::nullopt;
}

std::string Decision::OverwriteQuestion(const std::vector<int>& roots,
                                        const Holders& holders) const {
    std::string question = NamesOf(model_, roots) + " を " + request_.target + " に保存します ";
    std::vector<int> copies;
    for (int root : holders.sameFile) {
        if (!Contains(roots, root)) copies.push_back(root);
    }
    if (!copies.empty()) {
        // The same file read twice: the other copy's changes cannot go into it after this.
        question += "（このファイルは " + NamesOf(model_, copies) +
                    " としても読み込まれています。そちらの変更は、この保存の後は別のファイルに"
                    "保存することになります）";
    }
    return question;
}

bool Decision::ReplacesKeptBytes(const std::vector<int>& roots) const {
    if (request_.kind == WriteKind::BookmarkFile) {
        return std::any_of(roots.begin(), roots.end(),
                           [this](int root) { return WouldReplaceKeptBytes(model_, root); });
    }
    // Shortcut files hold their URL in CP932: a byte of a URL that did not decode cannot go
    // back into one as itself.
    return std::any_of(roots.begin(), roots.end(),
                       [this](int root) { return UrlsHoldKeptBytes(model_, root); });
}

// How the target's present content is kept: a Favorites tree as an archive, a browser's
// store and every other file as it is.
VersionFormat FormatOfWrite(const WriteRequest& request) {
    switch (request.kind) {
        case WriteKind::Favorites:
        case WriteKind::FavoritesAnew:
        case WriteKind::RestoredDirectory:
            return VersionFormat::Directory;
        case WriteKind::BrowserStore:
            return VersionFormat::Json;
        case WriteKind::RestoredFile:
            return KindOfSource(request.target) == SourceKind::Chromium ? VersionFormat::Json
                                                                        : VersionFormat::Html;
        case WriteKind::BookmarkFile:
        case WriteKind::Page:
            break;
    }
    return VersionFormat::Html;
}

// Keeps what the target holds now among its earlier versions. When that cannot be done the
// write goes on only with a yes (or --force); nullopt: it does not go on.
std::optional<bool> KeepEarlierVersion(const BmLogic& model, const WriteRequest& request) {
    const SettingsPort& settings = *model.GetPorts().settings;
    VersionHistory history(settings.HistoryDirectory(),
                           HistoryBounds{.totalBytes = settings.HistoryLimitBytes()});
    const KeepResult kept = history.Keep(request.target, FormatOfWrite(request));
    switch (kept.outcome) {
        case KeepOutcome::Kept:
        case KeepOutcome::AlreadyKept:
            return true;
        case KeepOutcome::NothingThere:
        case KeepOutcome::Off:
            return false;
        case KeepOutcome::Failed:
            break;
    }
    std::string question = kUnkeptVersionQuestion;
    question.replace(question.find("%s"), 2, kept.error);
    if (request.force ||
        model.GetPorts().prompts->Confirm(question, Buttons::YesNoDefaultNo) == Answer::Yes) {
        return false;
    }
    return std::nullopt;
}

}  // namespace

WriteDecision WriteGate::Decide(const BmLogic& model, const WriteRequest& request) {
    Verdict verdict = Decision(model, request).Make();
    if (verdict.refusal != WriteRefusal::None) return WriteDecision{std::nullopt, verdict.refusal};
    // Nothing is written before what it replaces is kept (or the user let that go).
    const std::optional<bool> kept = KeepEarlierVersion(model, request);
    if (!kept) return WriteDecision{std::nullopt, WriteRefusal::Declined};
    WritePermit permit(request.target, std::move(verdict.roots), verdict.overSource);
    permit.earlierVersionKept_ = *kept;
    return WriteDecision{std::move(permit), WriteRefusal::None};
}

void WriteGate::Written(BmLogic& model, const WritePermit& permit) {
    if (!permit.OverSource()) return;
    model.RestampSources(permit.Roots(), StampOf(permit.Target()));
    model.MarkRootsSaved(permit.Roots());
}

}  // namespace pernard
