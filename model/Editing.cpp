// The edits of the collection: new, edit, delete, move, copy, cut and paste. Each is built on
// the row primitives and one structural change of the tree, so that an edit costs one pass over
// the rows it shifts and the tree's views hear one notification.

#include <algorithm>
#include <cstdio>
#include <vector>

#include "model/BmLogic.h"
#include "model/SyncId.h"

namespace pernard {

namespace {

constexpr const char* kFolderQuestion = "フォルダーを削除すると、下層のデータがすべて削除されます";

std::string Format(const char* format, const std::string& a, const std::string& b) {
    std::vector<char> text(a.size() + b.size() + 64);
    std::snprintf(text.data(), text.size(), format, a.c_str(), b.c_str());
    return text.data();
}

// A folder's save URL is written as it is after the folder's closing tag; it must not hold
// what would end that line or start a tag when the file is read again.
bool UsableSaveUrl(const std::string& text) {
    return text.find_first_of("<\r\n") == std::string::npos;
}

}  // namespace

// ---------------------------------------------------------------- places and limits

int BmLogic::SubtreeWidth(int folder) const {
    if (!IsValidIndex(folder)) return 0;
    int width = 1;
    while (folder + width < glCT && parents_[static_cast<std::size_t>(folder + width)] >= folder) {
        ++width;
    }
    return width;
}

std::vector<int> BmLogic::ListedEntries(int folder, bool expanded) const {
    std::vector<int> entries;
    if (!IsValidIndex(folder)) return entries;
    const int end = folder + SubtreeWidth(folder);
    for (int i = folder + 1; i < end; ++i) {
        if (expanded || parents_[static_cast<std::size_t>(i)] == folder) entries.push_back(i);
    }
    return entries;
}

int BmLogic::LevelOf(int index) const {
    int level = 1;
    for (int walk = parents_[static_cast<std::size_t>(index)]; walk >= 0;
         walk = parents_[static_cast<std::size_t>(walk)]) {
        ++level;
    }
    return level;
}

bool BmLogic::FitsDepth(int first, int width, int newParent) {
    if (!IsFolder(first)) return true;
    // Depth of each row below the block's top, found through the parents inside the block.
    std::vector<int> below(static_cast<std::size_t>(width), 0);
    int deepestFolder = 0;
    for (int k = 1; k < width; ++k) {
        const int parent = parents_[static_cast<std::size_t>(first + k)] - first;
        below[static_cast<std::size_t>(k)] = below[static_cast<std::size_t>(parent)] + 1;
        if (IsFolder(first + k)) {
            deepestFolder = std::max(deepestFolder, below[static_cast<std::size_t>(k)]);
        }
    }
    const int topLevel = newParent < 0 ? 1 : LevelOf(newParent) + 1;
    if (topLevel + deepestFolder <= kFolderLevelLimit) return true;
    ports_.prompts->ShowMessage(kTooDeepMessage);
    return false;
}

bool BmLogic::FitsCapacity(int added) {
    if (glCT + added <= glMaxURL) return true;
    ports_.prompts->ShowMessage(kCapacityMessage);
    return false;
}

bool BmLogic::PlaceFor(Placement placement, int target, Destination& destination) const {
    if (!IsValidIndex(target)) return false;
    const TreeNode* node = nodes_[static_cast<std::size_t>(target)];
    switch (placement) {
        case Placement::Into:
            if (!IsFolder(target)) return false;
            destination = {target, 0, target + 1};
            return true;
        case Placement::After:
            destination = {parents_[static_cast<std::size_t>(target)], node->Row() + 1,
                           target + SubtreeWidth(target)};
            return true;
        case Placement::Before:
            destination = {parents_[static_cast<std::size_t>(target)], node->Row(), target};
            return true;
    }
    return false;
}

TreeNode* BmLogic::NextPlace(TreeNode* reference, bool shownOrder) const {
    if (reference == nullptr) return nullptr;
    if (!shownOrder) return tree_.Next(reference);
    // A node inside a collapsed folder is not shown, so nothing follows it on screen.
    for (const TreeNode* walk = reference->Parent(); walk != nullptr; walk = walk->Parent()) {
        if (!walk->Expanded()) return nullptr;
    }
    return tree_.NextVisible(reference);
}

void BmLogic::SetUrlImages(int index) {
    const int image = UrlImageIndex(index);
    tree_.SetImages(nodes_[static_cast<std::size_t>(index)], image, image);
}

// A root that lands inside a folder is a folder from then on: its source kind and path would
// otherwise be written out as the folder's date and save URL.
void BmLogic::BecomeChildEntry(int index) {
    const std::size_t k = static_cast<std::size_t>(index);
    added_.Set(k, {});
    visited_.Set(k, {});
    roots_.erase(nodes_[k]->Serial());
}

void BmLogic::RememberCopiedUrl(int index) {
    if (ports_.urlFields == nullptr) return;
    ports_.urlFields->RememberUrlFields(TextsOf(index));
}

void BmLogic::ForgetCopiedSyncIds(int first, int width) {
    for (int row = first; row < first + width; ++row) {
        const std::string_view packed = ExtrasOf(row);
        if (SyncIdOf(packed) != 0) SetExtras(row, PackedWithoutSyncId(packed));
    }
}

// ---------------------------------------------------------------- new and edit

bool BmLogic::NewEntryPlace(TreeNode* reference, bool shownOrder, NewPlace& place) const {
    const int referenceIndex = IndexOf(reference);
    if (referenceIndex < 0) return false;
    place.before = NextPlace(reference, shownOrder);
    if (place.before != nullptr) {
        // Right after the reference as the tree shows it: in the place of the node that follows.
        place.at = IndexOf(place.before);
        place.parent = parents_[static_cast<std::size_t>(place.at)];
    } else if (IsFolder(referenceIndex)) {
        // Nothing is shown after a collapsed folder or root that ends the tree: the new entry
        // goes into it, as its last entry.
        place.parent = referenceIndex;
        place.at = referenceIndex + SubtreeWidth(referenceIndex);
    } else {
        // A bookmark whose folder is collapsed (picked in the list), or the tree's last node:
        // right after it, in its folder.
        place.parent = parents_[static_cast<std::size_t>(referenceIndex)];
        place.at = referenceIndex + 1;
        const TreeNode* parentNode = reference->Parent();
        const int row = reference->Row() + 1;
        if (parentNode != nullptr && row < parentNode->ChildCount()) {
            place.before = parentNode->Child(row);
        }
    }
    if (place.parent < 0) {
        // Only a load makes a top-level entry, a root with a source to be saved to: a new
        // folder or bookmark whose place would be the top level becomes the last entry of the
        // reference's root instead.
        int root = referenceIndex;
        while (parents_[static_cast<std::size_t>(root)] >= 0)
            root = parents_[static_cast<std::size_t>(root)];
        place.parent = root;
        place.at = root + SubtreeWidth(root);
        place.before = nullptr;
    }
    // The node it goes before must be a child of the new entry's parent.
    const TreeNode* parentNode =
        place.parent < 0 ? nullptr : nodes_[static_cast<std::size_t>(place.parent)];
    if (place.before != nullptr && place.before->Parent() != parentNode) place.before = nullptr;
    return true;
}

TreeNode* BmLogic::InsertNewNode(const NewPlace& place, const std::string& name) {
    if (place.before != nullptr) return tree_.InsertBefore(place.before, name);
    if (place.parent < 0) return tree_.AddTopLevelLast(name);
    return tree_.AddChildLast(nodes_[static_cast<std::size_t>(place.parent)], name);
}

int BmLogic::NewFolder(TreeNode* reference, const std::string& name, bool shownOrder) {
    StepScope step(*this, "フォルダー新規作成");
    NewPlace place;
    int created = -1;
    if (NewEntryPlace(reference, shownOrder, place)) {
        if (place.parent >= 0 && LevelOf(place.parent) >= kFolderLevelLimit) {
            ports_.prompts->ShowMessage(kTooDeepMessage);
        } else if (FitsCapacity(1)) {
            OpenRows(place.at, 1);
            const std::size_t k = static_cast<std::size_t>(place.at);
            nodes_[k] = InsertNewNode(place, name);
            url_.Set(k, kFolderMarker);
            name_.Set(k, name);
            parents_[k] = place.parent;
            SetFolderImages(place.at, nodes_[k]);
            Record(InsertedRows(place.at, 1));
            changed_ = true;
            created = place.at;
        }
    }
    CheckConsistency("フォルダー新規作成", true);
    return created;
}

int BmLogic::NewUrl(TreeNode* reference, const EntryTexts& fields, bool shownOrder) {
    StepScope step(*this, "ＵＲＬ新規作成");
    NewPlace place;
    int created = -1;
    if (fields.url != kFolderMarker && NewEntryPlace(reference, shownOrder, place) &&
        FitsCapacity(1)) {
        OpenRows(place.at, 1);
        const std::size_t k = static_cast<std::size_t>(place.at);
        StoreTexts(place.at, fields);
        parents_[k] = place.parent;
        nodes_[k] = InsertNewNode(place, fields.name);
        SetUrlImages(place.at);
        Record(InsertedRows(place.at, 1));
        changed_ = true;
        created = place.at;
    }
    CheckConsistency("ＵＲＬ新規作成", true);
    return created;
}

bool BmLogic::EditUrlEntry(int index, const EntryTexts& fields) {
    if (!IsValidIndex(index) || IsFolder(index) || fields.url == kFolderMarker) return false;
    StepScope step(*this, "編集");
    const EntryTexts before = TextsOf(index);
    changed_ = true;
    ShowTexts(index, fields);
    Record(TextsAction{index, before, TextsOf(index)});
    CheckConsistency("編集", true);
    return true;
}

bool BmLogic::EditExtras(int index, const EntryExtras& extras) {
    if (!IsValidIndex(index)) return false;
    std::string packed = PackExtras(extras);
    if (packed == ExtrasOf(index)) return false;
    StepScope step(*this, "編集");
    ChangeExtras(index, std::move(packed));
    changed_ = true;
    CheckConsistency("編集", true);
    return true;
}

void BmLogic::SetStoreKey(int index, std::string_view key) {
    EntryExtras extras = UnpackExtras(ExtrasOf(index));
    if (extras.storeKey == key) return;
    extras.storeKey = key;
    SetExtras(index, PackExtras(extras));
}

void BmLogic::ChangeExtras(int index, std::string packed) {
    std::string before(ExtrasOf(index));
    if (before == packed) return;
    SetExtras(index, packed);
    Record(ExtrasAction{index, std::move(before), std::move(packed)});
}

bool BmLogic::EditFolderEntry(int index, const std::string& name, const std::string& saveUrl) {
    if (!IsValidIndex(index) || !IsFolder(index)) return false;
    const std::size_t k = static_cast<std::size_t>(index);
    if (parents_[k] >= 0 && !UsableSaveUrl(saveUrl)) return false;
    StepScope step(*this, "編集");
    const EntryTexts before = TextsOf(index);
    EntryTexts after = before;
    after.name = name;
    after.visited = saveUrl;
    changed_ = true;
    ShowTexts(index, after);
    Record(TextsAction{index, before, after});
    CheckConsistency("編集", true);
    return true;
}

// ---------------------------------------------------------------- delete

bool BmLogic::DeleteSelected() {
    if (!IsValidIndex(glIndex())) return false;
    const std::size_t k = static_cast<std::size_t>(glIndex());
    const std::string question =
        Format("%s (%s) を削除します", std::string(name_[k]), std::string(url_[k]));
    if (ports_.prompts->Confirm(question, Buttons::YesCancel) != Answer::Yes) return false;
    return DeleteNode(nodes_[k], true);
}

bool BmLogic::DeleteNode(TreeNode* node, bool interactive) {
    const int index = IndexOf(node);
    if (index < 0) return false;
    StepScope step(*this, "削除");
    const std::size_t k = static_cast<std::size_t>(index);
    ports_.status->SetPanel(1, "削除 : " + std::to_string(index));
    if (!IsFolder(index)) {
        const std::string name(name_[k]);
        Record(BlocksAction{TakeOutBlocks({index}), true});
        ports_.status->SetPanel(1, "削除完了.. " + name + " " + std::to_string(index));
    } else {
        // A root with contents is a whole loaded file: it gets the folder question too.
        if (interactive && node->HasChildren() &&
            ports_.prompts->Confirm(kFolderQuestion, Buttons::YesCancel) != Answer::Yes) {
            return false;
        }
        ports_.progress->Show("削除実行中");
        ports_.diagnostics->AppendReadingLog("Folder Del " + std::to_string(index) + " " +
                                             std::string(name_[k]));
        // Kept, not freed: the step that undoes the deletion puts the rows and nodes back.
        Record(BlocksAction{TakeOutBlocks({index}), true});
        ports_.progress->Close();
    }
    changed_ = true;
    if (interactive) CheckConsistency("削除", true);
    return true;
}

// ---------------------------------------------------------------- move and copy

int BmLogic::MoveSubtree(int source, Placement placement, int target) {
    Destination to;
    if (!IsValidIndex(source) || !PlaceFor(placement, target, to)) return -1;
    const int width = SubtreeWidth(source);
    // Never onto itself or into its own subtree.
    if (target >= source && target < source + width) return -1;
    if (!FitsDepth(source, width, to.parent)) return -1;
    TreeNode* node = nodes_[static_cast<std::size_t>(source)];
    TreeNode* parentNode = to.parent < 0 ? nullptr : nodes_[static_cast<std::size_t>(to.parent)];
    // The tree counts the new row without the node itself.
    const int row = node->Parent() == parentNode && node->Row() < to.row ? to.row - 1 : to.row;
    const bool wasRoot = parents_[static_cast<std::size_t>(source)] < 0;
    MoveAction action{width, PlaceOf(source), {}};
    const int moved = MoveRowBlock(source, width, to.tableAt);
    tree_.Move(node, parentNode, row);
    // The new parent stands before the new place; it moved up only if it followed the block.
    const int parent = to.parent >= source + width ? to.parent - width : to.parent;
    parents_[static_cast<std::size_t>(moved)] = parent;
    if (IsFolder(moved)) {
        if (wasRoot && parent >= 0) BecomeChildEntry(moved);
        SetFolderImages(moved, node);
    } else {
        RememberCopiedUrl(moved);
    }
    action.to = PlaceOf(moved);
    Record(std::move(action));
    changed_ = true;
    return moved;
}

int BmLogic::CopySubtree(int source, Placement placement, int target) {
    Destination to;
    if (!IsValidIndex(source) || !PlaceFor(placement, target, to)) return -1;
    const int width = SubtreeWidth(source);
    // A folder is never copied into itself; a URL may be copied right after itself.
    if (IsFolder(source) && target >= source && target < source + width) return -1;
    if (!FitsCapacity(width) || !FitsDepth(source, width, to.parent)) return -1;
    TreeNode* sourceNode = nodes_[static_cast<std::size_t>(source)];
    TreeNode* parentNode = to.parent < 0 ? nullptr : nodes_[static_cast<std::size_t>(to.parent)];
    const bool wasRoot = parents_[static_cast<std::size_t>(source)] < 0;
    OpenRows(to.tableAt, width);
    // The source moved down by `width` when the copy opened before it.
    const int from = source >= to.tableAt ? source + width : source;
    const int shift = to.tableAt - from;
    for (int k = 0; k < width; ++k) {
        const std::size_t copy = static_cast<std::size_t>(to.tableAt + k);
        const std::size_t original = static_cast<std::size_t>(from + k);
        for (TextColumn* texts : TextColumns()) {
            texts->Set(copy, (*texts)[original]);
        }
        parents_[copy] = parents_[original] + shift;
    }
    parents_[static_cast<std::size_t>(to.tableAt)] = to.parent;
    // The copied nodes in pre-order are the copied rows in table order.
    TreeNode* top = tree_.CopySubtree(sourceNode, parentNode, to.row);
    TreeNode* walk = top;
    for (int row = to.tableAt; row < to.tableAt + width; ++row, walk = tree_.Next(walk)) {
        nodes_[static_cast<std::size_t>(row)] = walk;
    }
    ForgetCopiedSyncIds(to.tableAt, width);
    if (IsFolder(to.tableAt)) {
        if (wasRoot && to.parent >= 0) BecomeChildEntry(to.tableAt);
        SetFolderImages(to.tableAt, top);
    } else {
        RememberCopiedUrl(to.tableAt);
    }
    Record(InsertedRows(to.tableAt, width));
    changed_ = true;
    return to.tableAt;
}

bool BmLogic::CanDrop(const TreeNode* source, const TreeNode* target) const {
    const int from = IndexOf(source);
    const int onto = IndexOf(target);
    if (from < 0 || onto < 0 || from == onto) return false;
    // A folder never lands on itself or inside itself.
    return !(IsFolder(from) && onto > from && onto < from + SubtreeWidth(from));
}

int BmLogic::DropMove(TreeNode* source, TreeNode* target, bool keep) {
    const int from = IndexOf(source);
    const int onto = IndexOf(target);
    if (from < 0 || onto < 0 || from == onto) return -1;
    StepScope step(*this, keep ? "コピー" : "移動");
    const Placement placement = IsFolder(onto) ? Placement::Into : Placement::After;
    const bool folder = IsFolder(from);
    if (folder) ports_.progress->Show("フォルダー移動中.... ");
    const int landed =
        keep ? CopySubtree(from, placement, onto) : MoveSubtree(from, placement, onto);
    if (folder) ports_.progress->Close();
    return landed;
}

bool BmLogic::MoveUpDown(int index, bool up) {
    if (!IsValidIndex(index)) return false;
    StepScope step(*this, up ? "移動(上)" : "移動(下)");
    int moving = index;
    if (!up) {
        // Moving an entry down is moving the entry shown below it up.
        moving = IndexOf(tree_.NextVisible(nodes_[static_cast<std::size_t>(index)]));
        if (moving < 0) return false;
    }
    const int previous = IndexOf(tree_.PreviousVisible(nodes_[static_cast<std::size_t>(moving)]));
    if (previous < 0) return false;
    int landed = -1;
    if (IsFolder(moving)) {
        ports_.progress->Show("フォルダー 移動中");
        const bool siblings = parents_[static_cast<std::size_t>(moving)] ==
                              parents_[static_cast<std::size_t>(previous)];
        const Placement placement = siblings             ? Placement::Before
                                    : IsFolder(previous) ? Placement::Into
                                                         : Placement::After;
        landed = MoveSubtree(moving, placement, previous);
        ports_.progress->Close();
    } else {
        // A URL trades places with the URL shown above it; never with a folder.
        if (IsFolder(previous)) return false;
        landed = MoveSubtree(previous, Placement::After, moving);
    }
    if (landed < 0) return false;
    changed_ = true;
    CheckConsistency("上下への移動", true);
    return true;
}

// ---------------------------------------------------------------- cut, copy and paste

void BmLogic::MarkClip(int index, bool cut) {
    if (!IsValidIndex(index)) {
        ports_.status->SetPanel(1, "Error ");
        return;
    }
    clip_ = {RefOf(index)};
    clipCut_ = cut;
    ports_.status->SetPanel(
        1, std::string(cut ? "切取り開始 :   " : "コピー開始 :   ") + std::string(glName[index]));
}

int BmLogic::PasteClip(int target) {
    const int source = ClipIndex();
    if (source < 0) {
        ports_.prompts->ShowMessage("URL が選択されていません");
        return -1;
    }
    if (!IsValidIndex(target)) return -1;
    if (clip_.size() > 1) {
        const int first = TransferEntries(clip_, target, !glClipCut, "貼付け");
        if (first < 0) return -1;
        CancelClip();
        return first;
    }
    StepScope step(*this, "貼付け");
    const Placement placement = IsFolder(target) ? Placement::Into : Placement::After;
    // Pasting a folder shows the progress window as a folder move does.
    const bool folder = IsFolder(source);
    if (folder) ports_.progress->Show("フォルダー移動中.... ");
    const int pasted =
        glClipCut ? MoveSubtree(source, placement, target) : CopySubtree(source, placement, target);
    if (folder) ports_.progress->Close();
    if (pasted < 0) return -1;
    CancelClip();
    changed_ = true;
    return pasted;
}

}  // namespace pernard
