#pragma once
// The entry table: parallel arrays indexed by the entry index, kept in lock-step with the
// folder tree (entry i is the tree node whose absolute index is i), and the operations on it.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/storage/Column.h"
#include "model/EntryExtras.h"
#include "model/EntryTexts.h"
#include "model/Ports.h"
#include "model/RootInfo.h"
#include "model/storage/TextColumn.h"
#include "model/storage/TreeNodes.h"
#include "model/UndoHistory.h"
#include "model/storage/UrlIndex.h"
#include "util/UrlMatchKey.h"

namespace pernard {

struct SortOptions;  // model/Sorting.h

inline constexpr const char* kFolderMarker = "---";
// The open levels a reader keeps track of (a root is level 1).
inline constexpr int kLevelSlots = 21;
// A root or folder at this level opens no further folder.
inline constexpr int kDepthLimit = 19;
// Lines that one operation echoes into the memo window before it says the rest was left out.
inline constexpr int kMemoEchoLimit = 2000;
// The deepest level a folder may have (a root is level 1): what the readers accept.
inline constexpr int kFolderLevelLimit = kDepthLimit;
// What a reader says when a folder of its source is deeper than the limit.
inline constexpr const char* kDepthLimitMessage = "階層 ＭＡＸ ";
inline constexpr const char* kCapacityMessage = "URL MAX !!  設定のMAX値を修正して下さい";
inline constexpr const char* kTooDeepMessage =
    "フォルダーの階層が深くなりすぎるため、この操作はできません（最大 19 階層）";

// Where a moved or copied entry lands, next to a target entry t.
enum class Placement {
    Into,    // first child of the folder t
    After,   // right after t (and t's subtree), under t's parent
    Before,  // right before t, under t's parent
};

// What a clean-up of many entries did, for the window's status bar or the command line.
struct CleanupOutcome {
    int entries = 0;       // entries deleted, moved or changed, or folders merged away
    int foldersMade = 0;   // folders made to move entries into
    bool refused = false;  // nothing was done: the table has no room for them (said already)
    std::string summary;   // "<step> : N 件", and the folders made
};

// A bookmark's URL to be replaced, when it still holds `from`.
struct UrlChange {
    NodeRef entry;
    std::string from, to;
};

// A line of the check-log window: the URL padded with blanks to 60 characters, a blank, the
// name ("%-60s %-s", counted in characters).
std::string CheckLogLine(std::string_view url, std::string_view name);

struct Ports {
    PromptPort* prompts = nullptr;
    ProgressPort* progress = nullptr;
    StatusPort* status = nullptr;
    DiagnosticsPort* diagnostics = nullptr;
    SettingsPort* settings = nullptr;
    DialogPort* dialogs = nullptr;
    UrlFieldsPort* urlFields = nullptr;  // optional
};

class BmLogic {
public:
    explicit BmLogic(const Ports& ports);
    BmLogic(const BmLogic&) = delete;
    BmLogic& operator=(const BmLogic&) = delete;

    // --- the table: rows 0..glCT-1, one per entry, in tree order. Outside the model the
    // columns are read only; entries are added by a load (model/LoadTransaction and its
    // model/EntryBuilder) and changed by the editing operations.
    const ReadOnlyColumn<TextColumn> glUrl{url_};
    const ReadOnlyColumn<TextColumn> glName{name_};
    // The parent's row; -1 for a root.
    const ReadOnlyColumn<Column<int>> gloya{parents_};
    const ReadOnlyColumn<Column<TreeNode*>> glNode{nodes_};
    const ReadOnlyColumn<TextColumn> glAdd{added_};
    const ReadOnlyColumn<TextColumn> glVisit{visited_};
    const ReadOnlyColumn<TextColumn> glLast{modified_};
    const int& glCT = count_;

    // The capacity a complete load set from the MaxURL setting.
    const int& glMaxURL = maxUrl_;
    // The collection differs from what was last loaded or saved. The operations that change it
    // set it; undo and redo clear it when they come back to that state.
    const bool& glChanged = changed_;
    // Closing without saving: what the collection holds now is let go of as it is.
    void DiscardChanges() { changed_ = false; }

    // What a column means for a row.
    bool IsRoot(int index) const { return gloya[index] < 0; }
    bool IsFolder(int index) const { return glUrl[index] == kFolderMarker; }
    int ParentOf(int index) const { return gloya[index]; }
    // What a root was read from, and the path it was read from.
    SourceKind SourceKindOf(int root) const;
    std::string_view SourcePath(int root) const { return glVisit[root]; }
    // The URL a folder was saved with (the text after its heading).
    std::string_view SaveUrl(int folder) const { return glVisit[folder]; }
    EntryTexts TextsOf(int index) const;

    // --- what an append (a load's, through model/EntryBuilder) came to.
    enum class Outcome { Added, Full, TooDeep, OutOfOrder };
    struct Appended {
        Outcome outcome = Outcome::Full;
        int index = -1;
        bool Added() const { return outcome == Outcome::Added; }
    };
    // The root or folder at `level` (1: the root) on the path to the last entry, where an entry
    // may be appended; -1 when there is none.
    int OpenFolderAt(int level) const;
    // What happened to a bookmark, recorded outside the undo history (seconds texts): it was
    // opened in the browser; a link check found the page's date.
    void RecordVisit(int index, std::string_view seconds);
    void RecordModified(int index, std::string_view seconds);

    // The current entry (the window's selection), held by its node: an edit that shifts rows
    // leaves it on the same entry, and a deleted one leaves none (-1).
    int glIndex() const { return IndexOf(current_); }
    const NodeRef& Current() const { return current_; }
    void SetCurrent(int index) { current_ = RefOf(index); }
    void SetCurrent(const NodeRef& entry) { current_ = entry; }

    // The folder tree, read-only: it changes with the table. A view keeps what it shows of it
    // through the calls below.
    const TreeNodes& Tree() const { return tree_; }
    // The one observer told of every change of the tree (the window's tree model).
    void ObserveTree(TreeObserver* observer) { tree_.SetObserver(observer); }
    // Which folders' children changed since this was last asked (a view refreshes only those).
    TreeTouch TakeTreeTouch() { return tree_.TakeTouch(); }
    // Whether the view shows a folder open; kept on the node, so that undo brings it back.
    void SetExpanded(TreeNode* node, bool expanded) { tree_.SetExpanded(node, expanded); }
    const Ports& GetPorts() const { return ports_; }
    // For a program whose windows (and so its ports) exist only after the model.
    void SetPorts(const Ports& ports) { ports_ = ports; }

    // Empties the table and the tree without touching the capacity.
    void ClearTable();

    // What the entry's source held beyond the columns, packed (model/EntryExtras.h); empty
    // for none. The extras belong to the entry's node: moves take them along, copies copy them.
    std::string_view ExtrasOf(int index) const {
        const TreeNode* node = IsValidIndex(index) ? glNode[index] : nullptr;
        return node == nullptr ? std::string_view() : tree_.Extras(node);
    }
    // The key a write of the entry's browser store gave it (formats/StoreRoles.h), so that the
    // next write finds the node again. Not an edit of the collection: no step records it.
    void SetStoreKey(int index, std::string_view key);
    bool UrlExists(std::string_view url);
    // Makes room in the URL index for `count` more URLs (a hint for large reads).
    void ExpectUrls(std::size_t count);
    int UrlImageIndex(int index) const;
    void SetFolderImages(int index, TreeNode* node);

    // The root that holds the selection: the only root, or the nearest root at or above
    // the current entry; -1 when there is none.
    int SelectedRoot() const;

    // The encoding a root was read in ("UTF-8", "CP932", ...); empty when unknown.
    std::string RootCharset(int rootIndex) const;
    // A root whose read stopped early (capacity or depth) holds only part of its source:
    // saving it over that source would lose the rest.
    bool IsRootPartial(int rootIndex) const;
    // What the table knows of a root's source; nullptr when nothing.
    const RootInfo* RootInfoOf(int rootIndex) const;
    // The roots' source was saved over (its time and size now `now`): the next save over it
    // compares with this stamp. Roots whose source keeps no stamp are passed over.
    void RestampSources(const std::vector<int>& roots, const FileStamp& now);
    // A browser store's root wrote its store: the next write starts from `text`, and needs no
    // second backup.
    void NoteStoreWritten(int rootIndex, std::string text);
    // The roots one read of a file gave share a number: saved over that file, they go
    // back into it together.
    int NewReadNumber();
    void SetRootRead(int rootIndex, int read);
    // A root just read from a copy (an earlier version, a scratch file) stands for no source:
    // it takes `name`, and a save of it asks where to go.
    void DetachFromSource(int rootIndex, std::string_view name);
    // The roots of the read that gave root `rootIndex`, in table order (itself alone when it
    // came from no numbered read).
    std::vector<int> RootsOfSameRead(int rootIndex) const;
    // --- unsaved changes per root (model/RootHashes.cpp). A hash of the root's entries (and
    // its name and source).
    std::uint64_t RootHash(int root) const;
    // The roots read from a source whose entries changed since they were read or saved.
    std::vector<int> ChangedRoots() const;
    // These roots were saved; the collection is saved when no root has changes left.
    void MarkRootsSaved(const std::vector<int>& roots);

    // Lists in the check-log window every URL entry that has an earlier entry whose URL
    // matches (model/Duplicates.h), naming that earliest entry, and beyond the exact level the
    // rule that matched; returns how many were found.
    int CheckDuplicateUrls(const UrlMatch& match = {});

    // Removes every folder without a URL below it from the subtree of the last root (with
    // `fromRow`, from every row from it on: the roots one read added); returns how many were
    // removed.
    int DeleteEmptyFolders(bool showLog, int fromRow = -1);

    // Compares the table with the tree and reports into the memo window.
    void CheckConsistency(const std::string& callerText, bool run);
    bool ParentCheck();

    // Memo echo bounded to kMemoEchoLimit lines between two clears.
    void ClearMemo();
    void EchoMemo(const std::string& line);
    // Whether EchoMemo still shows lines (or the note that it stops).
    bool EchoingMemo() const { return memoLines_ <= kMemoEchoLimit; }

    // --- stable identities: entries held across edits are held by their node.
    NodeRef RefOf(int index) const;
    // The entry index of a held node; -1 once it no longer exists.
    int IndexOf(const NodeRef& ref) const;
    int IndexOf(const TreeNode* node) const;
    bool IsValidIndex(int index) const { return index >= 0 && index < glCT; }

    // --- editing (model/Editing.cpp). Every operation either does all it says or, refused,
    // changes nothing; refusals for capacity and depth are shown as messages.

    // A new folder or URL placed right after `reference` as the tree shows it (see
    // NextPlace). `shownOrder` false places it by the full tree order instead (no window).
    // The index of the new entry, or -1 when nothing was created.
    int NewFolder(TreeNode* reference, const std::string& name, bool shownOrder = true);
    int NewUrl(TreeNode* reference, const EntryTexts& fields, bool shownOrder = true);
    // Stores the URL dialog's fields into URL entry i; false (nothing stored) for a folder or
    // a URL text that would make the entry a folder.
    bool EditUrlEntry(int index, const EntryTexts& fields);
    // Replaces what the entry's source held beyond the columns (its tags and description among
    // them): one step named "編集"; false when the entry is missing or nothing changes.
    bool EditExtras(int index, const EntryExtras& extras);
    // Stores the folder dialog's fields into folder or root i.
    bool EditFolderEntry(int index, const std::string& name, const std::string& saveUrl);

    // The tool button's delete: asks "%s (%s) を削除します" first.
    bool DeleteSelected();
    // Deletes the node's entry (with its subtree). Interactive: a folder or root with contents
    // is deleted only after the folder question, and the consistency check runs.
    bool DeleteNode(TreeNode* node, bool interactive);

    int SubtreeWidth(int folder) const;
    // What the list shows for a folder: its children, or with `expanded` every entry below it,
    // in table order.
    std::vector<int> ListedEntries(int folder, bool expanded) const;
    // Whether the source entry may land on the target: both exist, they differ, and a folder
    // is not dropped on itself or inside itself.
    bool CanDrop(const TreeNode* source, const TreeNode* target) const;
    // Moves (or with `keep`, copies) the source entry onto the target: into a folder as its
    // first child, after a URL. The index of the entry that landed, or -1 when a node is
    // missing or the move is refused (onto itself, into its own subtree, capacity, depth).
    int DropMove(TreeNode* source, TreeNode* target, bool keep);
    // Moves entry i one place up or down as the tree shows it; false when it cannot move.
    bool MoveUpDown(int index, bool up);

    // --- clean-up of many entries at once (model/Cleanup.cpp): each is one step named `step`
    // and leaves every entry it was not given as it was. Entries that no longer exist are
    // passed over, and so are roots: a root is a whole loaded source.

    // Deletes the entries (with their subtrees; one inside another goes with it). The outcome
    // counts every entry that went, the subtrees' too.
    CleanupOutcome DeleteEntries(const std::vector<NodeRef>& entries, const char* step);
    // How many entries DeleteEntries would take away: each with its subtree, one inside another
    // counted once.
    int CountWithSubtrees(const std::vector<NodeRef>& entries) const;
    // Moves the bookmarks to the end of the folder named `folder` directly under their root
    // (the first such folder, else one made at the root's end); folders given are passed over.
    CleanupOutcome MoveIntoRootFolders(const std::vector<NodeRef>& entries,
                                       const std::string& folder, const char* step);
    // Replaces the URL of each bookmark that still holds the URL it was found with.
    CleanupOutcome ReplaceUrls(const std::vector<UrlChange>& changes, const char* step);
    // Merges the folders of the same name directly under `parent`: the contents of each later
    // one are appended in order to the first, and the later ones removed. `recursive` does
    // the same at every level below, also for the same-name folders a merge brings together.
    CleanupOutcome MergeSameNameFolders(int parent, bool recursive);
    // Replaces the entries below root `root` with those below root `fromRoot` of `from` (another
    // read of its source: an earlier version put back), one step named `step`. The root keeps
    // its node, name and source. False, with nothing changed, when capacity does not allow it.
    bool ReplaceRootEntries(int root, const BmLogic& from, int fromRoot, const char* step);
    // Puts the entries of root or folder `folder` in the order `options` asks for (with
    // `recursive`, the entries of every folder below it too), one undo step (model/Sorting.cpp).
    // Every entry keeps its node and extras. False, with nothing recorded, when `folder` is no
    // root or folder or its entries already stand in that order.
    bool SortFolder(int folder, const SortOptions& options);

    // --- many entries chosen together (the list's selection; model/Selection.cpp). Each is
    // one undo step named `step`, whatever the number of entries; entries that no longer
    // exist and roots are passed over, and an entry inside another given one goes with it.

    // Moves (or with `keep`, copies) the entries onto the target, in table order: into a
    // folder as its first entries, after a bookmark. The index of the first entry that
    // landed; -1 when there is nothing to move or the whole move is refused (the target is a
    // moved entry or inside one, a folder would be copied into itself, capacity, depth).
    int TransferEntries(const std::vector<NodeRef>& entries, int target, bool keep,
                        const char* step);
    // Moves the entries one place up (or down) among their siblings: each run of given
    // siblings passes the sibling above (below) it, whatever its kind; a run at the folder's
    // edge stays. False when nothing moved.
    bool MoveEntriesUpDown(const std::vector<NodeRef>& entries, bool up);
    // Adds each of `tags` a bookmark lacks to its TAGS list (or, `add` false, takes each it
    // holds out of it), the other tags keeping their order (model/Tags.cpp); folders are passed
    // over. One step named "タグの追加" or "タグの削除"; how many bookmarks changed.
    int ChangeTags(const std::vector<NodeRef>& entries, const std::vector<std::string>& tags,
                   bool add);

    // --- the internal clipboard of cut, copy and paste.
    void MarkClip(int index, bool cut);
    // A cut or copy of many entries, pasted together.
    void MarkClipEntries(const std::vector<NodeRef>& entries, bool cut);
    // Pastes the pending cut or copy below entry `target` (into a folder, after a URL); the
    // index of the (first) pasted entry, or -1. The pending cut or copy ends with the paste.
    int PasteClip(int target);
    void CancelClip() { clip_.clear(); }
    // The first pending source's index, -1 when none (or when all were deleted).
    int ClipIndex() const;
    // The entries of the pending cut or copy, held by their nodes.
    const std::vector<NodeRef>& ClipEntries() const { return clip_; }
    // How many entries a paste of the pending cut or copy places side by side (an entry inside
    // another one goes with it).
    std::size_t ClipTopCount() const { return TopsOf(clip_).size(); }

    // The pending clip is a cut (a paste moves it), not a copy.
    const bool& glClipCut = clipCut_;

    // --- undo and redo (model/Undo.cpp). Every edit above is one step; a load forgets them.
    bool CanUndo() const { return history_.ToUndo() != nullptr; }
    bool CanRedo() const { return history_.ToRedo() != nullptr; }
    // The operation the next undo or redo takes back or does again; empty when none.
    std::string UndoName() const;
    std::string RedoName() const;
    // Undoes or redoes one step; false when there is none. `marks` receives what the window
    // showed before (undo) or after (redo) the step. glChanged is clear exactly when the table
    // is back at the state last loaded or saved.
    bool Undo(SelectionMarks* marks = nullptr);
    bool Redo(SelectionMarks* marks = nullptr);
    // The table was saved: this is the state an undo or redo may come back to unchanged.
    void MarkSaved();
    // The table changed in a way no step records (a link check's result): it is changed, and
    // no undo brings back the state last saved.
    void MarkChangedOutsideHistory();
    // Attaches what the window showed around the newest step, when it was made after
    // `pushCount` (the count read before the operation).
    std::uint64_t HistoryPushCount() const { return history_.PushCount(); }
    void SetStepMarks(std::uint64_t pushCount, const SelectionMarks& before,
                      const SelectionMarks& after);
    const UndoHistory& History() const { return history_; }

private:
    friend struct TableSurgery;  // tests that need a table no operation makes
    friend class EntryBuilder;     // what a load reads beyond the columns
    friend class LoadTransaction;  // a load's own pass over empty folders changes nothing

    // --- the load's own calls (model/LoadTransaction, model/EntryBuilder).
    // Appending, in tree order: each entry goes at the end of the table, under a root or
    // folder on the path to the last entry. The outcome says why nothing was added: the table
    // is full, a folder would be deeper than the limit, or the parent is not open (not a root
    // or folder on that path). Nothing is shown.
    Appended AppendRoot(std::string_view name, SourceKind kind, std::string_view sourcePath);
    Appended AppendFolder(int parent, std::string_view name, std::string_view added,
                          std::string_view saveUrl);
    Appended AppendBookmark(int parent, const EntryViews& texts);
    // Empties the table for a complete load with the capacity of the MaxURL setting.
    bool ResetEntryTable(std::string& errorText);
    // A load: nothing before it can be undone.
    void ForgetHistory();
    // Roots just read are as their sources hold them.
    void RememberRootsAsRead();
    void SetRootCharset(int rootIndex, const std::string& charset);
    void MarkRootPartial(int rootIndex);
    RootInfo* MutableRootInfo(int rootIndex);

    // Sets what the entry's source held beyond the columns, packed; readers set it through the
    // builder, edits through ChangeExtras (which undo knows).
    void SetExtras(int index, std::string_view packed) {
        TreeNode* node = IsValidIndex(index) ? glNode[index] : nullptr;
        if (node == nullptr) return;
        if (hashingRead_) ReplaceReadExtras(index, tree_.Extras(node), packed);
        tree_.SetExtras(node, packed);
    }

    // --- the as-read hash of the roots a load adds, summed row by row as they are appended,
    // so that the load's end needs no second pass over them (model/RootHashes.cpp).
    void BeginReadHashes();
    // `rowsKept`: no row was removed since the load began. Roots the sums cannot stand for
    // are hashed whole.
    void EndReadHashes(bool rowsKept);
    void AddReadRow(int index);
    void ReplaceReadExtras(int index, std::string_view before, std::string_view after);
    // A row's term of its root's hash: its place and its texts; and its extras' term.
    std::uint64_t RowHash(int index, int root) const;
    static std::uint64_t ExtrasHash(int offset, std::string_view extras);
    struct ReadHash {
        int root;
        std::uint64_t sum;
    };
    std::vector<ReadHash> readHashes_;  // the roots of the load, in table order
    bool hashingRead_ = false;
    bool readHashesValid_ = true;

    // Groups what one operation records into one step; nested scopes join the outermost.
    class StepScope {
    public:
        StepScope(BmLogic& logic, const char* name);
        ~StepScope();
        StepScope(const StepScope&) = delete;
        StepScope& operator=(const StepScope&) = delete;

    private:
        BmLogic& logic_;
    };
    void Record(UndoAction action);
    void ReleaseStep(UndoStep& step);
    std::size_t StepBytes(const UndoStep& step) const;
    void Apply(UndoAction& action, bool forward);
    // Takes whole subtrees (tops ascending, none inside another) out of the table and the tree,
    // keeping their rows and nodes; one pass over the table. `joinSiblings`: subtrees side by
    // side under one parent are held as one block.
    std::vector<HeldBlock> TakeOutBlocks(const std::vector<int>& tops, bool joinSiblings = false);
    // Takes out blocks whose first rows, widths and sibling counts are given.
    std::vector<HeldBlock> TakeOutShaped(std::vector<HeldBlock> blocks);
    // Puts blocks taken out back where they stood; one pass over the table.
    void PutBackBlocks(std::vector<HeldBlock>& blocks);
    // Moves whole subtrees from their `from` spots to their `to` spots (or back); one pass
    // over the table each way.
    void MoveBlocks(std::vector<ScatteredMove>& moves, bool forward);
    // The moves that take whole subtrees (tops ascending, none a root, none inside another,
    // none holding a destination) each to the end of its destination folder, in table order.
    std::vector<ScatteredMove> MovesToEnd(const std::vector<int>& tops,
                                          const std::vector<int>& folders) const;
    // Passes each later folder's extras to the first folder of its name (model/Cleanup.cpp).
    void KeepExtrasOfMerged(const std::vector<std::pair<int, int>>& merges);
    // A new folder as the last child of `parent`, recorded for undo; its index.
    int AppendFolderAtEnd(int parent, const std::string& name);
    // Puts the rows [first, first + order.size()), the whole contents of the folder at
    // first - 1, in the order where the row at offset i is the one that stood at offset
    // order[i]; the tree's children follow (model/Sorting.cpp).
    void ApplyRowOrder(int first, const std::vector<int>& order);
    BlockPlace PlaceOf(int first) const;
    void MoveBlockTo(int first, int width, const BlockPlace& place);
    void StoreTexts(int index, EntryTexts texts);
    // The texts of row k moved out, or in; the row's other columns stay.
    void PutTexts(std::size_t k, EntryTexts&& texts);
    // A held row's texts (HeldTexts' order) into row k.
    void PutTexts(std::size_t k, const HeldTexts::Row& texts);
    // Row `from`'s texts and node moved to row `to`; the parent index is the caller's.
    void MoveRowContents(std::size_t from, std::size_t to);
    // Sets an entry's packed extras and records the change for undo.
    void ChangeExtras(int index, std::string packed);
    // Stores the texts and shows them: the node's label and images, the URL index.
    void ShowTexts(int index, const EntryTexts& texts);
    // The bytes of row `index`'s texts, without copying them.
    std::size_t RowTextBytes(int index) const;
    void RefreshImages(int index);

    void RebuildUrlIndex();
    void InvalidateUrlIndex() { urlIndexValid_ = false; }
    // Appends a row and its node under `parent` (-1: a root).
    Appended AppendRow(int parent, bool isUrl, const EntryViews& texts);
    // The memo's line for a root or folder appended at `level`.
    void EchoLevel(int level, int index);
    // Whether `parent` is a root or folder on the path to the last row.
    bool IsOpen(int parent) const;
    // Drops what replaced and taken texts left behind, when that is most of the texts' bytes.
    void CompactTexts();
    template <typename Visit>
    void ForEachSourceRoot(Visit visit) const;

    // --- row primitives (model/RowBlocks.cpp): each one pass over the rows it shifts.
    // The five text columns, for what is done to each of them alike.
    std::array<TextColumn*, 5> TextColumns() {
        return {&url_, &name_, &added_, &visited_, &modified_};
    }
    std::array<const TextColumn*, 5> TextColumns() const {
        return {&url_, &name_, &added_, &visited_, &modified_};
    }
    template <typename Visit>
    void ForEachColumn(Visit visit);
    // Opens `count` empty rows at `at`; later rows and parents follow.
    void OpenRows(int at, int count);
    // Moves the subtree rows [first, first + count) so that they stand before the row that is
    // now at `before` (outside the block); returns the block's new first index.
    int MoveRowBlock(int first, int count, int before);

    // --- helpers of the editing operations (model/Editing.cpp)
    struct Destination {
        int parent = -1;  // entry index of the new parent, -1 for the top level
        int row = 0;      // row among the parent's children
        int tableAt = 0;  // the table row the entry is inserted before
    };
    bool PlaceFor(Placement placement, int target, Destination& destination) const;
    // The rows of the entries that exist and are no roots, ascending, without those inside
    // another one: the tops of whole subtrees.
    std::vector<int> TopsOf(const std::vector<NodeRef>& entries) const;
    // The tops moved or copied together to one place, in order; the index of the first.
    int MoveTopsTo(const std::vector<int>& tops, const Destination& to);
    int CopyTopsTo(const std::vector<int>& tops, const Destination& to);
    int LevelOf(int index) const;
    // False (with a message) when the block's folders would end deeper than the limit.
    bool FitsDepth(int first, int width, int newParent);
    bool FitsCapacity(int added);
    void BecomeChildEntry(int index);
    int MoveSubtree(int source, Placement placement, int target);
    int CopySubtree(int source, Placement placement, int target);
    TreeNode* NextPlace(TreeNode* reference, bool shownOrder) const;
    // Where a new entry made next to `reference` goes: its row, its parent and the node it is
    // inserted before (nullptr: as the parent's last child).
    struct NewPlace {
        int at = -1;
        int parent = -1;
        TreeNode* before = nullptr;
    };
    bool NewEntryPlace(TreeNode* reference, bool shownOrder, NewPlace& place) const;
    TreeNode* InsertNewNode(const NewPlace& place, const std::string& name);
    void RememberCopiedUrl(int index);
    // A copy is a new entry: the rows just copied keep no sync id (model/SyncId.h).
    void ForgetCopiedSyncIds(int first, int width);
    void SetUrlImages(int index);

    TextColumn url_;
    TextColumn name_;
    Column<int> parents_;
    Column<TreeNode*> nodes_;
    TextColumn added_;
    TextColumn visited_;
    TextColumn modified_;
    int count_ = 0;
    int maxUrl_ = 0;
    bool changed_ = false;
    bool clipCut_ = false;

    Ports ports_;
    TreeNodes tree_;
    NodeRef current_;
    UrlIndex urlIndex_{url_};
    bool urlIndexValid_ = false;  // built on first use, then kept by AddEntry
    std::unordered_map<std::uint64_t, RootInfo> roots_;  // by node serial
    int reads_ = 0;
    int memoLines_ = 0;
    UndoHistory history_{[this](UndoStep& step) { ReleaseStep(step); }};
    int stepDepth_ = 0;
    UndoStep openStep_;
    std::vector<NodeRef> clip_;  // the pending cut or copy
};

template <typename Visit>
void BmLogic::ForEachColumn(Visit visit) {
    for (TextColumn* texts : TextColumns()) visit(texts->Cells());
    visit(parents_);
    visit(nodes_);
}

}  // namespace pernard
