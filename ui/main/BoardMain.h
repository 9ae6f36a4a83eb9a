#pragma once
// The main window: the folder tree beside the list of the selected folder's entries, the
// menus, the tool bars and the status bar, and the commands behind them.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>

#include "commands/HistoryCommands.h"
#include "commands/LoadCommands.h"
#include "model/BmLogic.h"
#include "model/LinkCheck.h"
#include "model/Recent.h"
#include "ui/main/DragDrop.h"
#include "ui/tools/FiUrlList.h"
#include "ui/main/LinkChecking.h"
#include "ui/main/ListModel.h"
#include "ui/main/ListPane.h"
#include "ui/app/QtPorts.h"
#include "ui/main/TreeModel.h"

namespace pernard::ui {

class TFormBookmark;
class TFormURL;
class TFormFolder;
class TFormHTTP;
class TFormArHTTP;
class TFormDuplicates;
class TFormRecent;
class SyncController;

// Shows a modal dialog and returns its result; tests answer without an event loop.
using DialogRunner = std::function<int(QDialog&)>;

// What the main window needs of the other windows, set once they all exist.
struct MainWindowLinks {
    TFormBookmark* settings = nullptr;
    QWidget* search = nullptr;
    QWidget* memo = nullptr;
    QWidget* version = nullptr;
    BrowserPort* browser = nullptr;
    TFormURL* urlDialog = nullptr;
    TFormFolder* folderDialog = nullptr;
    DialogRunner runDialog;
    TFormURLLIST* urlList = nullptr;
    TFormHTTP* engine = nullptr;
    TFormArHTTP* runner = nullptr;
};

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(BmLogic& model, QWidget* parent = nullptr);
    ~TFormMain() override;
    void SetLinks(const MainWindowLinks& links);
    StatusPort& Status() { return *status_; }
    QString Panel(int index) const { return status_->Panel(index); }

    // The edition set-up of this window: captions, hidden commands, hidden list columns.
    void SetupEdition();
    // Selects the node with absolute index 1 when there is one (after the start-up read).
    void SelectFirstEntry();

    // --- the list: what it shows and highlights (ui/ListPane)
    ListPane& Pane() { return *pane_; }

    // --- opening addresses
    void OpenInBrowser(const QString& address = QString());
    // Reads a store of Firefox or of the Chromium family as a complete or an additional load.
    void ReadBrowserStore(bool firefox, bool complete);
    QString ReferenceAddress() const;

    // --- handlers
    void NetScapeB1Click();
    void NetScape1Click();
    void IE1Click();
    void IE2Click();
    // A browser's own store, picked from those found (or any file): ui/main/BrowserCommands.cpp.
    void ChromiumOpenClick();
    void ChromiumAddClick();
    void FirefoxOpenClick();
    void FirefoxAddClick();
    void miFileSaveClick();
    void NetScape2Click();
    void IE3Click();
    void miFileExitClick();
    void C2Click();
    void T1Click();
    void S1Click();
    void R1Click();
    void O1Click();
    void B2Click();
    void B1Click();
    void Show1Click();
    void URL1Click();
    void D1Click();
    void R2Click();
    void miHelpAboutClick();
    void BtFolderClick();
    void BtStopClick();
    void BtBrowserClick();
    void N19Click();
    // The current entry is the one highlighted in the view that last took it: the tree's
    // selection when its highlight moved or it was pressed, the list's row when its highlight
    // moved (a click, a key, a search hit, a command's selection). What the tree takes, the
    // list no longer shows highlighted.
    void TreeVChange();
    // A press in the tree (a click on a node, selected or not).
    void TreeVPress();
    // No menu that toggles the tool bars (this edition hides some of them).
    QMenu* createPopupMenu() override;
    // The list's highlight moved to `index`: its entry becomes the current entry.
    void LViewChange(const QModelIndex& index);
    // A press on a list row: it is highlighted and becomes the current entry.
    void LViewClick(const QModelIndex& index);
    void LViewDblClick(const QModelIndex& index);
    // Takes the window to a search hit: its folder selected (a top-level hit itself), its row
    // selected in the list, the list focused.
    void ShowSearchHit(const NodeRef& hit);
    void URL2Click();
    // The close sequence; false when the user chose to stay.
    bool FormCloseQuery();
    // Enables the commands that act on an entry when there is one, and shows the list's hint
    // for an empty collection.
    void UpdateEntryButtons();
    // The overwrite save of every root with unsaved changes; false when one failed.
    bool SaveChangedRoots();
    // Before the collection is closed or replaced: asks "変更内容を保存しますか？ " when it
    // holds unsaved changes. False when the user cancelled or a save failed: the collection
    // must stay.
    bool SettleUnsavedChanges();

    // --- editing commands (ui/main/EditCommands.cpp)
    void BtHenshuuClick();
    void BtUpClick();
    void BtDownClick();
    void BtCutClick();
    void BtCopyClick();
    void BtPasteClick();
    void BtSakujoClick();
    void N1Click();
    void N2Click();
    void N7Click();
    void N8Click();
    void Delete1Click();
    void Delete2Click();
    void Copy1Click();
    void Cut1Click();
    // Edits entry i through the URL or the folder dialog.
    void EditEntry(int index);
    // A cut or copy is pending: the list is frozen and 中止 is enabled.
    bool ClipPending() const { return clipPending_; }

    // --- 最近追加 and 最近訪問 (ui/tools/RecentViews.cpp): the window of the bookmarks most recently
    // added or visited
    void RecentAddedClick();
    void RecentVisitedClick();
    TFormRecent* RecentWindow() const { return recent_; }

    // --- sorting (ui/main/SortCommands.cpp)
    // 並べ替え: the tree's selected folder (a bookmark's folder) through the sort dialog.
    void SortClick();
    // ファイル › 以前の版… (ui/main/VersionCommands.cpp)
    void miFileVersionsClick();
    // The entries a sort of `folder` puts in order: its children, or with `recursive` every
    // entry below it.
    int SortedCount(int folder, bool recursive) const;

    // --- tags and descriptions (ui/main/TagCommands.cpp)
    // タグと説明: the current entry's tags (a bookmark's) and description in their dialog.
    void NotesClick();
    // タグを追加 / タグを削除: the tags asked for, on every highlighted bookmark (else the
    // current one).
    void AddTagsClick();
    void RemoveTagsClick();

    // --- undo and redo (ui/main/UndoCommands.cpp)
    void UndoClick();
    void RedoClick();

    // --- drag and drop and its pointer state (ui/main/DragDrop.cpp)
    DragAndDrop& Drags() { return *drags_; }

    // --- sync with the user's server (ui/sync/SyncController.cpp): ファイル › 同期
    SyncController& Sync() { return *sync_; }

    // --- link checking (ui/main/CheckCommands.cpp; the runs are LinkChecking's)
    void BtHTTPClick();  // ﾁｪｯｸ: the headers of the list's URLs
    void H1Click();      // ＨＴＴＰ: shows the engine window
    void K1Click();      // 更新順データ出力
    void O3Click();      // チェック＆データ出力: the bodies, then the update-order output
    // Starts a check of the list's URLs: target 0 headers, 1 bodies.
    void StartCheck(int target);
    LinkChecking& Checks() { return *checks_; }

    // --- clean-up in bulk (ui/main/CleanupCommands.cpp)
    void DuplicatesClick();  // 重複の整理: the duplicate clean-up window
    void MergeFoldersClick();  // 同じ名前のフォルダーを統合, for the tree's selected folder
    // Runs one clean-up step as a table change of this window (the views follow, an undo
    // shows the window as it was) and shows its summary in panel 1.
    CleanupOutcome RunCleanup(const std::function<CleanupOutcome()>& step);
    // Opens an address that is no bookmark of the collection (an archived copy): no visit is
    // recorded. False, after saying so, when the system could not open it.
    bool OpenAddress(const QString& address);
    // Checks the links of these entries again; their results replace the old ones in the
    // check window's result list. False when a check runs already.
    bool RecheckEntries(const std::vector<NodeRef>& entries);
    // Gives the check window's result list what it acts through; once all windows exist.
    void ConnectCheckResults();
    TFormDuplicates* DuplicatesWindow() const { return duplicates_; }

    // --- controls, under their own names
    QMenuBar* MainMenu;
    QToolBar* ToolBar1;
    QToolBar* ToolBar2;
    QToolButton *BtFolder, *BtHenshuu, *BtUp, *BtDown, *BtCut, *BtCopy, *BtPaste, *BtSakujo,
        *BtStop, *BtKensaku, *BtRecentAdded, *BtRecentVisited, *BtBrowser, *BtReload, *BtHTTP,
        *BtKoushin, *BtBack, *BtForward, *BtTenkai;
    QLabel* Animate1;
    QComboBox* ComboURL;
    QSplitter* Splitter;
    QWidget* TreeViewPanel;
    QTreeView* TreeV;
    QWidget* ListViewPanel;
    QLabel* ListViewCaption;
    QStackedWidget* Notebook;
    QTreeView* LView;
    QMenu* PMenu;
    QMenu* PLViewMenu;
    QLabel* Panel0;
    QLabel* Panel1;
    TreeModel* TreeItems;
    ListModel* ListItems;

    // The named menu items and separators ("miFile", "NetScapeB1", ...).
    QAction* Item(const QString& name) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Ctrl+C, Ctrl+X, Ctrl+V, F2 in the tree and the list, and Enter in the list; false for
    // any other key.
    bool HandleEditKeys(QObject* watched, QKeyEvent* event);

private:
    friend class SyncController;  // its runs put their results in place as table changes
    void BuildMenus();
    void BuildToolBars();
    void BuildBody();
    void BuildContextMenus();
    // The context menus' items get their access keys, once every item is in.
    void GiveContextMenusAccessKeys();
    // 重複の整理 in the check menu, 同じ名前のフォルダーを統合 in the tree's menu.
    void BuildCleanupItems();
    void RestoreWindowState();
    void SaveWindowState();
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption,
                     void (TFormMain::*handler)() = nullptr);
    QMenu* AddMenu(QMenu* parentMenu, const QString& name, const QString& caption);
    void AddSeparator(QMenu* menu, const QString& name);
    QToolButton* AddTool(const QString& name, const QString& caption, const QString& hint,
                         int image, void (TFormMain::*handler)() = nullptr);
    void SelectNode(int absoluteIndex);
    int SelectedEntry() const;
    // Panel 1 follows the current entry: a bookmark's URL, a root's source, nothing for a
    // folder.
    void ShowCurrentInPanel1();
    // Loads `path` and says what came of it; the tree shows the collection (or the new root).
    void LoadReporting(bool complete, const std::string& path, std::optional<SourceKind> as,
                       const ReadOutcomeWords& words);

    // --- editing support (ui/main/EditCommands.cpp)
    // Runs a table change with the tree's selection handler held off, then takes the current
    // entry, the shown entry, the list and the pending cut or copy again from their nodes and
    // selects `select` when it still exists.
    void ChangeTable(const std::function<NodeRef()>& change);
    // `listRow`: the list's highlighted row before the change, highlighted again when it is
    // still listed.
    void AfterTableChange(const NodeRef& select, const NodeRef& listRow);
    void EndPendingClip();
    int RunDialog(QDialog& dialog);
    TreeNode* SelectedNode() const;
    void NewFolderAfter(TreeNode* reference);
    void NewUrlAfter(TreeNode* reference);
    void MarkClipFromList(bool cut);
    void MarkClipFromTree(bool cut);
    void MoveSelected(bool up);

    // Drag and drop between the tree and the list, run as table changes of this window.
    void SetupDragAndDrop();

    // --- link checking support (ui/main/CheckCommands.cpp)
    // The list shows everything below the selected folder; an output waits for its output.
    void PrepareUpdateOrder();
    // 中止 is enabled while a cut or copy is pending or a check runs.
    void UpdateStopButton();

    // --- recent views support (ui/tools/RecentViews.cpp)
    void BuildRecentItems();
    void ShowRecent(RecentBy by);

    // --- many rows support (ui/main/SelectionCommands.cpp)
    void SetupListSelection();
    // The current entry and panel 1 follow the highlighted rows; the move buttons move a block.
    void ListSelectionChanged();
    // 削除 of the highlighted rows: one question naming the count, the folder question once.
    void DeleteListSelection();
    void MarkClipOfSelection(bool cut);
    void MoveListSelection(bool up);
    // Opens the highlighted bookmarks, asking first when there are more than ten.
    void OpenListSelection();

    // --- sorting support (ui/main/SortCommands.cpp)
    // The 編集 menu's and the tree's 並べ替え, the list's clickable headers.
    void SetupSorting();
    // --- earlier versions (ui/main/VersionCommands.cpp): ファイル › 以前の版…
    void SetupVersions();
    // A version of a synced root's shared file, against the root as it is now.
    std::optional<VersionDifference> CompareServerVersion(const KeptVersion& version,
                                                          const NodeRef& root,
                                                          std::string& error) const;
    // 開く (another root) or 元に戻す (an edit of the root, sent at the next run).
    void OpenOrRestoreServerVersion(const KeptVersion& version, bool open, const NodeRef& root);

    // --- tags support (ui/main/TagCommands.cpp)
    // The 編集 menu's and the context menus' items of tags and descriptions.
    void SetupTagCommands();
    void ChangeTagsOfSelection(bool add);
    // The tags the bookmarks among `entries` carry, each with how many carry it.
    std::vector<std::pair<std::string, int>> TagsCarried(const std::vector<NodeRef>& entries) const;

    // --- undo and redo support (ui/main/UndoCommands.cpp)
    void BuildUndoItems();
    // 元に戻す and やり直し at the top of `menu`, named with `suffix` ("Undo3").
    void AddUndoItems(QMenu* menu, const QString& suffix);
    // Undoes (or redoes) one step and shows the window as it was around it.
    void StepHistory(bool undo);
    void UpdateUndoItems();
    // What the window shows, held by node, so that an undo can show it again.
    SelectionMarks CurrentMarks() const;
    // `expandedFolder`: the folder whose list showed everything below it before the step.
    void RestoreMarks(const SelectionMarks& marks, const NodeRef& expandedFolder);
    // Opens in the view the folders the tree records as open (after a reset or a put-back).
    void ReopenFolders();

    BmLogic& model_;
    MainWindowLinks links_;
    std::unique_ptr<StatusPanels> status_;
    std::map<QString, QAction*> items_;
    std::vector<QString> undoMenus_;  // the suffixes of the menus that hold 元に戻す
    std::vector<QToolButton*> toolRow1_, toolRow2_;
    std::unique_ptr<ListPane> pane_;
    bool tableChanging_ = false;
    // Rows the list highlights once a change has selected the folder that lists them.
    std::vector<NodeRef> highlightAfterChange_;
    bool clipPending_ = false;  // 中止 also ends a running link check: the two are kept apart
    LinkChecking* checks_ = nullptr;
    DragAndDrop* drags_ = nullptr;
    bool scrollToTopWhenShown_ = false;
    TFormDuplicates* duplicates_ = nullptr;  // made when first opened
    TFormRecent* recent_ = nullptr;          // made when first opened
    SyncController* sync_ = nullptr;
};

}  // namespace pernard::ui
