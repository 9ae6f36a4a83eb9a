#pragma once
// The entry table: parallel arrays indexed by the entry index, kept in lock-step with the
// folder tree (entry i is the tree node whose absolute index is i), and the operations on it.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/Column.h"
#include "model/Ports.h"
#include "model/TreeNodes.h"
#include "model/UrlIndex.h"

namespace pernard {

inline constexpr const char* kFolderMarker = "---";
inline constexpr const char* kSourceNetscape = "Netscape Navigator";
inline constexpr const char* kSourceFavorites = "Internet Explorer";
inline constexpr int kLevelSlots = 21;
// glDepth at which no further root or folder may open a level.
inline constexpr int kDepthLimit = 19;
// Lines that one operation echoes into the memo window before it says the rest was left out.
inline constexpr int kMemoEchoLimit = 2000;

// A line of the check-log window: the URL padded with blanks to 60 characters, a blank, the
// name ("%-60s %-s", counted in characters).
std::string CheckLogLine(const std::string& url, const std::string& name);

struct Ports {
    PromptPort* prompts = nullptr;
    ProgressPort* progress = nullptr;
    StatusPort* status = nullptr;
    DiagnosticsPort* diagnostics = nullptr;
    SettingsPort* settings = nullptr;
    DialogPort* dialogs = nullptr;
};

class BmLogic {
public:
    explicit BmLogic(const Ports& ports);
    BmLogic(const BmLogic&) = delete;
    BmLogic& operator=(const BmLogic&) = delete;

    // --- the table. Slots 0..glCT-1 are in use; storage grows with use, never to glMaxURL.
    // Columns: appending never moves the rows already there.
    using TextColumn = Column<std::string>;
    TextColumn glUrl;
    TextColumn glName;
    Column<int> gloya;
    Column<TreeNode*> glNode;
    TextColumn glAdd;
    TextColumn glVisit;
    TextColumn glLast;

    int glCT = 0;
    int glMaxURL = 0;
    std::array<int, kLevelSlots> glLevel{};
    int glDepth = 0;
    int glIndex = -1;
    bool glChanged = false;
    std::string glSource;

    TreeNodes& Tree() { return tree_; }
    const TreeNodes& Tree() const { return tree_; }
    const Ports& GetPorts() const { return ports_; }
    // For a program whose windows (and so its ports) exist only after the model.
    void SetPorts(const Ports& ports) { ports_ = ports; }

    // Empties the table for a complete load with the capacity of the MaxURL setting.
    bool ResetEntryTable(std::string& errorText);

    // Empties the table and the tree without touching the capacity.
    void ClearTable();

    // Makes slot glCT ready to be filled: false when the table has no free slot. The slot's
    // texts are emptied, so nothing of an earlier, abandoned use of the slot is carried over.
    bool PrepareSlot();

    // Appends slot glCT (filled by the caller) and its tree node. The caller increments glCT
    // when true comes back. False without a message when the table is full; false with
    // "階層 ＭＡＸ " when a root or folder would open a level beyond the limit.
    bool AddEntry(bool isTop, bool isUrl, std::string_view name, std::string_view sourcePath);

    bool IsFolder(int index) const {
        return glUrl[static_cast<std::size_t>(index)] == kFolderMarker;
    }
    bool UrlExists(std::string_view url);
    // Makes room in the URL index for `count` more URLs (a hint for large reads).
    void ExpectUrls(std::size_t count);
    int UrlImageIndex(int index) const;
    void SetFolderImages(int index, TreeNode* node);

    // The encoding a root was read in ("UTF-8", "CP932", ...); empty when unknown.
    std::string RootCharset(int rootIndex) const;
    void SetRootCharset(int rootIndex, const std::string& charset);

    // Lists in the check-log window every URL entry that has an earlier entry with the same
    // URL, naming that earliest entry; returns how many were found.
    int CheckDuplicateUrls();

    // Removes every folder without a URL below it from the subtree of the last root.
    void DeleteEmptyFolders(bool showLog);

    // Compares the table with the tree and reports into the memo window.
    void CheckConsistency(const std::string& callerText, bool run);
    bool ParentCheck();

    // Memo echo bounded to kMemoEchoLimit lines between two clears.
    void ClearMemo();
    void EchoMemo(const std::string& line);

    // Must be called by any code that changes glUrl other than through AddEntry.
    void InvalidateUrlIndex() { urlIndexValid_ = false; }

    // The clipboard source of a pending paste, -1 when none.
    int glClipIndex = -1;
    bool glClipCut = false;

private:
    void RebuildUrlIndex();
    void RemoveRows(const std::vector<char>& remove);

    Ports ports_;
    TreeNodes tree_;
    UrlIndex urlIndex_{glUrl};
    bool urlIndexValid_ = false;  // built on first use, then kept by AddEntry
    std::unordered_map<const TreeNode*, std::string> rootCharsets_;
    int memoLines_ = 0;
};

}  // namespace pernard
