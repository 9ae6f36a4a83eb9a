#include "model/BmLogic.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unordered_set>
#include "util/Numbers.h"

#include "util/Text.h"

namespace pernard {

namespace {

constexpr const char* kMaxUrlMessage = "ＵＲＬのＭＡＸ値を設定してください";

bool ParseInteger(const std::string& text, int& value) {
    const std::string trimmed = TrimBlanks(text);
    const char* begin = trimmed.data();
    const char* end = trimmed.data() + trimmed.size();
    if (begin != end && *begin == '+') ++begin;
    return ParseWholeNumber(std::string_view(begin, static_cast<std::size_t>(end - begin)), value);
}

}  // namespace

std::string CheckLogLine(std::string_view url, std::string_view name) {
    std::string line(url);
    const int length = MbLength(line);
    if (length < 60) line.append(static_cast<std::size_t>(60 - length), ' ');
    line += ' ';
    line += name;
    return line;
}

BmLogic::BmLogic(const Ports& ports) : ports_(ports) {}

bool BmLogic::ResetEntryTable(std::string& errorText) {
    int maxUrl = 0;
    if (!ParseInteger(ports_.settings->MaxUrlText(), maxUrl)) {
        errorText = kMaxUrlMessage;
        return false;
    }
    maxUrl_ = maxUrl;
    ClearTable();
    return true;
}

void BmLogic::ClearTable() {
    count_ = 0;
    SetCurrent(-1);
    // An empty table is as its source holds it: what is read into it next is unchanged.
    changed_ = false;
    history_.Forget(true);
    tree_.Clear();
    for (TextColumn* texts : TextColumns()) texts->Clear();
    parents_.clear();
    nodes_.clear();
    urlIndex_.Clear();
    urlIndexValid_ = false;
    roots_.clear();
    CancelClip();
}

bool BmLogic::IsOpen(int parent) const {
    if (parent < 0 || parent >= count_ || !IsFolder(parent)) return false;
    // The open path runs from the last row up to its root. Readers append into the last row
    // or beside it: those two answer at once.
    const int last = count_ - 1;
    for (int row = last; row >= parent; row = parents_[static_cast<std::size_t>(row)]) {
        if (row == parent) return true;
    }
    return false;
}

int BmLogic::OpenFolderAt(int level) const {
    std::vector<int> path;  // the last entry's folders, innermost first
    for (int row = count_ - 1; row >= 0; row = parents_[static_cast<std::size_t>(row)]) {
        if (IsFolder(row)) path.push_back(row);
    }
    const auto at = static_cast<std::size_t>(level);
    return level >= 1 && at <= path.size() ? path[path.size() - at] : -1;
}

BmLogic::Appended BmLogic::AppendRow(int parent, bool isUrl, const EntryViews& texts) {
    if (count_ < 0 || count_ >= glMaxURL) return {Outcome::Full};
    const bool root = parent < 0;
    url_.PushBack(isUrl ? texts.url : std::string_view(kFolderMarker));
    name_.PushBack(texts.name);
    // The node's label is the name column's own bytes, not a second copy of them.
    const std::string_view name = name_[static_cast<std::size_t>(count_)];
    constexpr TreeNodes::Label kBorrowed = TreeNodes::Label::Borrowed;
    TreeNode* node =
        root ? tree_.AddTopLevelLast(name, kBorrowed)
             : tree_.AddChildLast(nodes_[static_cast<std::size_t>(parent)], name, kBorrowed);
    added_.PushBack(texts.added);
    visited_.PushBack(texts.visited);
    modified_.PushBack(texts.modified);
    parents_.push_back(root ? -1 : parent);
    nodes_.push_back(node);
    const int index = count_++;
    if (hashingRead_) AddReadRow(index);
    if (isUrl) {
        const int image = UrlImageIndex(index);
        tree_.SetImages(node, image, image);
        if (urlIndexValid_) urlIndex_.Add(index);
    } else {
        SetFolderImages(index, node);
    }
    return {Outcome::Added, index};
}

void BmLogic::EchoLevel(int level, int index) {
    char line[64];
    std::snprintf(line, sizeof line, "glLevel[%d]:%d", level, index);
    EchoMemo(line);
}

BmLogic::Appended BmLogic::AppendRoot(std::string_view name, SourceKind kind,
                                      std::string_view sourcePath) {
    EntryViews texts;
    texts.name = name;
    texts.added = SourceKindName(kind);
    texts.visited = sourcePath;
    const Appended appended = AppendRow(-1, false, texts);
    if (appended.Added()) {
        MutableRootInfo(appended.index)->kind = kind;
        EchoLevel(1, appended.index);
    }
    return appended;
}

BmLogic::Appended BmLogic::AppendFolder(int parent, std::string_view name, std::string_view added,
                                        std::string_view saveUrl) {
    if (!IsOpen(parent)) return {Outcome::OutOfOrder};
    const int level = LevelOf(parent);
    if (level >= kDepthLimit) return {Outcome::TooDeep};
    EntryViews texts;
    texts.name = name;
    texts.added = added;
    texts.visited = saveUrl;
    const Appended appended = AppendRow(parent, false, texts);
    if (appended.Added()) EchoLevel(level + 1, appended.index);
    return appended;
}

BmLogic::Appended BmLogic::AppendBookmark(int parent, const EntryViews& texts) {
    if (!IsOpen(parent)) return {Outcome::OutOfOrder};
    // A bookmark whose URL is the folder marker would turn into a folder.
    if (texts.url == kFolderMarker) return {Outcome::OutOfOrder};
    return AppendRow(parent, true, texts);
}

void BmLogic::RecordVisit(int index, std::string_view seconds) {
    if (!IsValidIndex(index) || IsFolder(index)) return;
    visited_.Set(static_cast<std::size_t>(index), seconds);
    TreeNode* node = nodes_[index];
    tree_.SetImages(node, UrlImageIndex(index), node->SelectedIndex());
}

void BmLogic::RecordModified(int index, std::string_view seconds) {
    if (!IsValidIndex(index) || IsFolder(index)) return;
    modified_.Set(static_cast<std::size_t>(index), seconds);
    const int image = UrlImageIndex(index);
    tree_.SetImages(glNode[index], image, image);
}

int BmLogic::SelectedRoot() const {
    const int count = std::min(glCT, tree_.Count());
    if (tree_.TopLevelCount() == 1 && count > 0) return 0;
    for (int i = std::min(glIndex(), count - 1); i >= 0; --i) {
        if (parents_[static_cast<std::size_t>(i)] == -1) return i;
    }
    return -1;
}

void BmLogic::RebuildUrlIndex() {
    urlIndex_.Clear();
    urlIndex_.Reserve(static_cast<std::size_t>(glCT));
    for (int i = 0; i < glCT; ++i) {
        if (!IsFolder(i)) urlIndex_.Add(i);
    }
    urlIndexValid_ = true;
}

void BmLogic::ExpectUrls(std::size_t count) {
    if (!urlIndexValid_) RebuildUrlIndex();
    const std::size_t room = glMaxURL > glCT ? static_cast<std::size_t>(glMaxURL - glCT) : 0;
    urlIndex_.Reserve(urlIndex_.Size() + std::min(count, room));
}

bool BmLogic::UrlExists(std::string_view url) {
    if (url == kFolderMarker) return false;
    // The index is built on first use and kept up to date by AddEntry from then on.
    if (!urlIndexValid_) RebuildUrlIndex();
    return urlIndex_.Contains(url);
}

int BmLogic::UrlImageIndex(int index) const {
    const std::size_t i = static_cast<std::size_t>(index);
    if (glUrl[i] == kFolderMarker) return 4;
    return glVisit[i] < glLast[i] ? 2 : 3;
}

void BmLogic::SetFolderImages(int index, TreeNode* node) {
    if (parents_[static_cast<std::size_t>(index)] < 0) {
        tree_.SetImages(node, 0, 1);
    } else {
        tree_.SetImages(node, 4, 5);
    }
}

const RootInfo* BmLogic::RootInfoOf(int rootIndex) const {
    if (!IsValidIndex(rootIndex)) return nullptr;
    const auto found = roots_.find(nodes_[static_cast<std::size_t>(rootIndex)]->Serial());
    return found == roots_.end() ? nullptr : &found->second;
}

RootInfo* BmLogic::MutableRootInfo(int rootIndex) {
    if (!IsValidIndex(rootIndex)) return nullptr;
    return &roots_[nodes_[static_cast<std::size_t>(rootIndex)]->Serial()];
}

void BmLogic::RestampSources(const std::vector<int>& roots, const FileStamp& now) {
    for (int root : roots) {
        RootInfo* info = RootInfoOf(root) != nullptr ? MutableRootInfo(root) : nullptr;
        if (info != nullptr && info->sourceStamp) info->sourceStamp = now;
    }
}

void BmLogic::NoteStoreWritten(int rootIndex, std::string text) {
    const RootInfo* known = RootInfoOf(rootIndex);
    if (known == nullptr || !known->store) return;
    RootInfo* info = MutableRootInfo(rootIndex);
    info->store->text = std::move(text);
    info->store->backedUp = true;
}

SourceKind BmLogic::SourceKindOf(int root) const {
    const RootInfo* info = RootInfoOf(root);
    return info == nullptr ? SourceKind::BookmarkFile : info->kind;
}

std::string BmLogic::RootCharset(int rootIndex) const {
    const RootInfo* info = RootInfoOf(rootIndex);
    return info == nullptr ? std::string() : info->charset;
}

void BmLogic::SetRootCharset(int rootIndex, const std::string& charset) {
    if (RootInfo* info = MutableRootInfo(rootIndex)) info->charset = charset;
}

bool BmLogic::IsRootPartial(int rootIndex) const {
    const RootInfo* info = RootInfoOf(rootIndex);
    return info != nullptr && info->partial;
}

void BmLogic::MarkRootPartial(int rootIndex) {
    if (RootInfo* info = MutableRootInfo(rootIndex)) info->partial = true;
}

int BmLogic::NewReadNumber() { return ++reads_; }

void BmLogic::SetRootRead(int rootIndex, int read) {
    if (RootInfo* info = MutableRootInfo(rootIndex)) info->read = read;
}

void BmLogic::DetachFromSource(int rootIndex, std::string_view name) {
    RootInfo* info = MutableRootInfo(rootIndex);
    if (info == nullptr) return;
    *info = RootInfo{};
    const std::size_t k = static_cast<std::size_t>(rootIndex);
    name_.Set(k, name);
    added_.Set(k, SourceKindName(SourceKind::BookmarkFile));
    visited_.Set(k, "");
    tree_.SetText(nodes_[k], name);
}

std::vector<int> BmLogic::RootsOfSameRead(int rootIndex) const {
    const RootInfo* info = RootInfoOf(rootIndex);
    if (info == nullptr || info->read == 0) return {rootIndex};
    std::vector<int> roots;
    const int count = std::min(glCT, tree_.Count());
    for (int i = 0; i < count; i = i + SubtreeWidth(i)) {
        const RootInfo* other = RootInfoOf(i);
        if (other != nullptr && other->read == info->read) roots.push_back(i);
    }
    return roots;
}

NodeRef BmLogic::RefOf(int index) const {
    return IsValidIndex(index) ? tree_.Ref(nodes_[static_cast<std::size_t>(index)]) : NodeRef{};
}

int BmLogic::IndexOf(const NodeRef& ref) const { return IndexOf(tree_.Resolve(ref)); }

int BmLogic::IndexOf(const TreeNode* node) const {
    if (node == nullptr) return -1;
    const int index = tree_.AbsoluteIndex(node);
    return IsValidIndex(index) ? index : -1;
}

void BmLogic::ClearMemo() {
    memoLines_ = 0;
    ports_.diagnostics->ClearMemo();
}

void BmLogic::EchoMemo(const std::string& line) {
    if (memoLines_ < kMemoEchoLimit) {
        ports_.diagnostics->AppendMemo(line);
    } else if (memoLines_ == kMemoEchoLimit) {
        ports_.diagnostics->AppendMemo("……（これ以降の行は表示しません）");
    }
    if (memoLines_ <= kMemoEchoLimit) ++memoLines_;
}

}  // namespace pernard
