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
constexpr const char* kDepthMessage = "階層 ＭＡＸ ";

bool ParseInteger(const std::string& text, int& value) {
    const std::string trimmed = TrimBlanks(text);
    const char* begin = trimmed.data();
    const char* end = trimmed.data() + trimmed.size();
    if (begin != end && *begin == '+') ++begin;
    return ParseWholeNumber(std::string_view(begin, static_cast<std::size_t>(end - begin)), value);
}

}  // namespace

std::string CheckLogLine(const std::string& url, const std::string& name) {
    std::string line = url;
    const int length = MbLength(url);
    if (length < 60) line.append(static_cast<std::size_t>(60 - length), ' ');
    return line + " " + name;
}

BmLogic::BmLogic(const Ports& ports) : ports_(ports) {}

bool BmLogic::ResetEntryTable(std::string& errorText) {
    int maxUrl = 0;
    if (!ParseInteger(ports_.settings->MaxUrlText(), maxUrl)) {
        errorText = kMaxUrlMessage;
        return false;
    }
    glMaxURL = maxUrl;
    ClearTable();
    return true;
}

void BmLogic::ClearTable() {
    glCT = 0;
    SetCurrent(-1);
    // An empty table is as its source holds it: what is read into it next is unchanged.
    glChanged = false;
    history_.Forget(true);
    tree_.Clear();
    for (auto* texts : {&glUrl, &glName, &glAdd, &glVisit, &glLast}) texts->clear();
    gloya.clear();
    glNode.clear();
    urlIndex_.Clear();
    urlIndexValid_ = false;
    roots_.clear();
    glClip = NodeRef{};
}

bool BmLogic::PrepareSlot() {
    if (glCT < 0 || glCT >= glMaxURL) return false;
    const std::size_t slot = static_cast<std::size_t>(glCT);
    if (glUrl.size() <= slot) {
        // Rows are only ever appended one at a time, so the new slot is the next one.
        for (auto* texts : {&glUrl, &glName, &glAdd, &glVisit, &glLast}) texts->resize(slot);
        gloya.resize(slot, -1);
        glNode.resize(slot, nullptr);
        for (auto* texts : {&glUrl, &glName, &glAdd, &glVisit, &glLast}) texts->emplace_back();
        gloya.push_back(-1);
        glNode.push_back(nullptr);
    } else {
        for (auto* texts : {&glUrl, &glName, &glAdd, &glVisit, &glLast}) (*texts)[slot].clear();
    }
    return true;
}

bool BmLogic::AddEntry(bool isTop, bool isUrl, std::string_view name, std::string_view sourcePath) {
    if (glCT < 0 || glCT >= glMaxURL || static_cast<std::size_t>(glCT) >= glUrl.size()) {
        return false;
    }
    if (!isUrl && glDepth >= kDepthLimit) {
        ports_.prompts->ShowMessage(kDepthMessage);
        return false;
    }
    const std::size_t slot = static_cast<std::size_t>(glCT);
    TreeNode* node = nullptr;
    if (isTop) {
        node = tree_.AddTopLevelLast(name);
        gloya[slot] = -1;
        glUrl[slot] = kFolderMarker;
        glVisit[slot] = std::string(sourcePath);
        glAdd[slot] = glSource;
    } else {
        const int parent = glLevel[static_cast<std::size_t>(glDepth)];
        // Never attach to an entry that does not exist.
        if (parent < 0 || parent >= glCT || glNode[static_cast<std::size_t>(parent)] == nullptr) {
            return false;
        }
        node = tree_.AddChildLast(glNode[static_cast<std::size_t>(parent)], name);
        gloya[slot] = parent;
    }
    glNode[slot] = node;
    if (isUrl) {
        const int image = UrlImageIndex(glCT);
        tree_.SetImages(node, image, image);
        if (urlIndexValid_) urlIndex_.Add(glCT);
        return true;
    }
    SetFolderImages(glCT, node);
    ++glDepth;
    glLevel[static_cast<std::size_t>(glDepth)] = glCT;
    char line[64];
    std::snprintf(line, sizeof line, "glLevel[%d]:%d", glDepth, glCT);
    EchoMemo(line);
    glName[slot] = std::string(name);
    return true;
}

int BmLogic::SelectedRoot() const {
    const int count = std::min(glCT, tree_.Count());
    if (tree_.TopLevelCount() == 1 && count > 0) return 0;
    for (int i = std::min(glIndex(), count - 1); i >= 0; --i) {
        if (gloya[static_cast<std::size_t>(i)] == -1) return i;
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
    if (gloya[static_cast<std::size_t>(index)] < 0) {
        tree_.SetImages(node, 0, 1);
    } else {
        tree_.SetImages(node, 4, 5);
    }
}

const RootInfo* BmLogic::RootInfoOf(int rootIndex) const {
    if (!IsValidIndex(rootIndex)) return nullptr;
    const auto found = roots_.find(glNode[static_cast<std::size_t>(rootIndex)]->Serial());
    return found == roots_.end() ? nullptr : &found->second;
}

RootInfo* BmLogic::MutableRootInfo(int rootIndex) {
    if (!IsValidIndex(rootIndex)) return nullptr;
    return &roots_[glNode[static_cast<std::size_t>(rootIndex)]->Serial()];
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

std::uint64_t BmLogic::RootHash(int root) const {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    auto mix = [&hash](std::uint64_t value) {
        hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    };
    const std::hash<std::string_view> text;
    const int end = root + SubtreeWidth(root);
    for (int i = root; i < end; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        // Positions relative to the root: rows added before it change nothing of it.
        mix(static_cast<std::uint64_t>(i - root));
        mix(static_cast<std::uint64_t>(i == root ? 0 : i - gloya[k]));
        for (const TextColumn* column : {&glUrl, &glName, &glAdd, &glVisit, &glLast}) {
            mix(text((*column)[k]));
        }
    }
    return hash;
}

template <typename Visit>
void BmLogic::ForEachSourceRoot(Visit visit) const {
    const int count = std::min(glCT, tree_.Count());
    for (int i = 0; i < count; i += SubtreeWidth(i)) {
        const auto found = roots_.find(glNode[static_cast<std::size_t>(i)]->Serial());
        if (found != roots_.end()) visit(i, found->second);
    }
}

void BmLogic::RememberRootsAsRead() {
    ForEachSourceRoot([this](int root, const RootInfo&) {
        RootInfo& info = roots_[glNode[static_cast<std::size_t>(root)]->Serial()];
        if (info.hasSavedHash) return;
        info.savedHash = RootHash(root);
        info.hasSavedHash = true;
    });
}

std::vector<int> BmLogic::ChangedRoots() const {
    std::vector<int> changed;
    ForEachSourceRoot([this, &changed](int root, const RootInfo& info) {
        if (info.hasSavedHash && info.savedHash != RootHash(root)) changed.push_back(root);
    });
    return changed;
}

void BmLogic::MarkRootsSaved(const std::vector<int>& roots) {
    // One pass, each root hashed once: the saved ones take their hash now, the others are
    // compared with theirs.
    const std::unordered_set<int> saved(roots.begin(), roots.end());
    bool othersChanged = false;
    ForEachSourceRoot([&](int root, const RootInfo&) {
        RootInfo& info = roots_[glNode[static_cast<std::size_t>(root)]->Serial()];
        if (saved.count(root) > 0) {
            info.savedHash = RootHash(root);
            info.hasSavedHash = true;
        } else if (info.hasSavedHash && info.savedHash != RootHash(root)) {
            othersChanged = true;
        }
    });
    // The collection counts as saved once no root holds changes any more; every hash is
    // current already.
    if (othersChanged) return;
    glChanged = false;
    history_.MarkSaved();
}

void BmLogic::SetRootRead(int rootIndex, int read) {
    if (RootInfo* info = MutableRootInfo(rootIndex)) info->read = read;
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
    return IsValidIndex(index) ? tree_.Ref(glNode[static_cast<std::size_t>(index)]) : NodeRef{};
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
