#include "ui/main/BoardMain.h"
#include "ui/sync/SyncController.h"
#include "ui/widgets/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <algorithm>

#include "commands/SaveCommands.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "ui/dialogs/BmDirectory.h"
#include "ui/dialogs/Bookmark.h"
#include "ui/widgets/EntryView.h"
#include "ui/app/Fonts.h"
#include "ui/app/HelpPage.h"
#include "ui/app/Icons.h"
#include "ui/main/LinkChecking.h"
#include "ui/widgets/PersistentWindow.h"
#include "ui/widgets/SplitterGrip.h"
#include "util/Dates.h"
#include "util/Paths.h"

namespace pernard::ui {

namespace {

// The current moment as a seconds text, through the date text the program shows (UTC+9).
std::string NowSecondsText() {
    const QDateTime now = QDateTime::currentDateTimeUtc().toOffsetFromUtc(9 * 3600);
    return DateTextToSeconds(now.toString("yyyy/MM/dd HH:mm:ss").toStdString());
}

}  // namespace

TFormMain::TFormMain(BmLogic& model, QWidget* parent) : QMainWindow(parent), model_(model) {
    checks_ = new LinkChecking(
        model_,
        LinkChecking::Window{[this] { return pane_->Listed(); },
                             [this](const NodeRef& entry) { ListItems->RefreshEntry(entry); },
                             [this](const QString& text) { Panel0->setText(text); },
                             [this] { UpdateStopButton(); }},
        this);
    pane_ = std::make_unique<ListPane>(
        model_, ListPane::Window{[this] { return ClipPending(); },
                                 [this] { return TreeV->isVisibleTo(this); },
                                 [this] { return SelectedEntry(); },
                                 [this](const QString& text) { Panel1->setText(text); },
                                 [this](const QModelIndex& row) { LViewChange(row); },
                                 [this](const QModelIndex& row) { LViewClick(row); },
                                 [this](std::uint64_t serial) { return checks_->InfoOf(serial); }});
    setObjectName("TFormMain");
    setWindowTitle("スカイラーク   Ver １．０");
    setWindowIcon(ProgramIcon());
    setFont(DesignFont(kPMincho, 12));
    setGeometry(329, 131, 657, 465);
    BuildMenus();
    BuildToolBars();
    BuildBody();
    BuildContextMenus();
    pane_->SetControls({LView, ListViewCaption, Notebook, BtUp, BtDown, BtTenkai}, ListItems);
    SetupSorting();
    SetupVersions();
    sync_ = new SyncController(*this, model_);
    sync_->Build(Item("miFile")->menu(), Item("N3"), statusBar());
    TreeItems->SetSyncAccount([this](int root) { return sync_->AccountOf(root); });
    ListItems->SetStaysLocal([this](int entry) { return sync_->StaysLocal(entry); });
    SetupTagCommands();
    GiveContextMenusAccessKeys();
    SetupListSelection();
    status_ = std::make_unique<StatusPanels>(Panel0, Panel1);
    RestoreWindowState();
    Notebook->setCurrentIndex(0);
    Notebook->setFocusProxy(LView);  // the page book hands its focus to the list
    // The keys act on the tree from the start, as the user sees it selected.
    TreeV->setFocus();
    model_.CancelClip();
}

TFormMain::~TFormMain() {
    // The views ask their models, and the models ask this window, while they are taken down:
    // they go first, while the window is still whole.
    delete LView;
    delete TreeV;
    delete ListItems;
    delete TreeItems;
}

void TFormMain::SetLinks(const MainWindowLinks& links) {
    links_ = links;
    checks_->SetWindows({links.engine, links.runner, links.settings, links.urlList});
}

void TFormMain::SetupDragAndDrop() {
    drags_ = new DragAndDrop(
        model_, {TreeV, TreeItems, LView, ListItems},
        DragAndDrop::Window{[this](const std::function<NodeRef()>& change) { ChangeTable(change); },
                            [this] {
                                return links_.settings != nullptr &&
                                       links_.settings->CheckNoDelete->isChecked();
                            },
                            [this] { return pane_->Shown(); },
                            [this](const NodeRef& shown) {
                                SelectNode(model_.IndexOf(shown));
                                pane_->Refresh();
                            },
                            [this] { BtPaste->setEnabled(false); }},
        this);
    new SplitterGrip(Splitter);
}

void TFormMain::SelectNode(int absoluteIndex) {
    const TreeNode* node = model_.Tree().NodeAt(absoluteIndex);
    if (node == nullptr) return;
    // A selection made by a command keeps the command's result in panel 0.
    const QString result = Panel0->text();
    const QModelIndex index = TreeItems->IndexOf(node);
    // The folders above it open, also during a drop (when the view's scrolling would not).
    for (const TreeNode* folder = node->Parent(); folder != nullptr; folder = folder->Parent()) {
        TreeV->expand(TreeItems->IndexOf(folder));
    }
    TreeV->scrollTo(index);
    TreeV->setCurrentIndex(index);
    TreeVChange();
    Panel0->setText(result);
}

void TFormMain::SelectFirstEntry() {
    if (model_.Tree().Count() < 2) return;
    SelectNode(1);
    // Selected before the window has a size, the first entry would be scrolled to the top of
    // the tree, with its root above it out of sight: the tree starts at its top instead.
    scrollToTopWhenShown_ = true;
}

void TFormMain::TreeVPress() {
    // A press on the node already selected is no change of selection: the result in panel 0
    // stays; the list follows only when it shows another entry.
    const int entry = SelectedEntry();
    if (entry < 0) return;
    model_.SetCurrent(entry);
    pane_->ClearHighlight();
    BtSakujo->setEnabled(true);
    if (entry != model_.IndexOf(pane_->Shown())) {
        pane_->Refresh();
    } else if (!ClipPending()) {
        // The list stays; the move buttons follow the tree's entry again, as after a refresh.
        BtUp->setEnabled(true);
        BtDown->setEnabled(true);
        pane_->ApplyMoveButtonRule(entry);
    }
    if (!ClipPending()) ShowCurrentInPanel1();
    UpdateEntryButtons();
}

void TFormMain::ShowCurrentInPanel1() {
    const int current = model_.glIndex();
    if (!model_.IsValidIndex(current)) return;
    if (model_.IsRoot(current)) {
        Panel1->setText(Text(model_.glVisit[current]));
    } else {
        Panel1->setText(model_.IsFolder(current) ? QString() : Text(model_.glUrl[current]));
    }
}

QMenu* TFormMain::createPopupMenu() {
    // No menu that would show the tool bars this edition hides.
    return nullptr;
}

int TFormMain::SelectedEntry() const {
    const TreeNode* node = TreeModel::NodeOf(TreeV->currentIndex());
    return node == nullptr ? -1 : model_.Tree().AbsoluteIndex(node);
}

void TFormMain::TreeVChange() {
    // During a table change the table and the tree may disagree; the change re-syncs after.
    if (tableChanging_) return;
    // A press on a list row leaves the tree's selection alone, so the tree's next change is
    // the user's own and is followed.
    drags_->glListClick = false;
    const int entry = SelectedEntry();
    if (entry < 0) return;
    model_.SetCurrent(entry);
    // A frozen list (a cut or copy pending) is not refreshed: its row would stay highlighted.
    pane_->ClearHighlight();
    Panel0->clear();
    // Panel 1 follows the current entry: the list refresh shows a bookmark's URL or a root's
    // source; a folder has none.
    if (model_.IsFolder(entry) && model_.gloya[entry] >= 0) {
        Panel1->clear();
    }
    UpdateEntryButtons();
    pane_->Refresh();
}

namespace {

const QString kEmptyCollectionHint =
    "ブックマークはまだ読み込まれていません。\n\n"
    "ファイル › ブックマークの読込 › ブックマーク(NetScape) でブックマークファイル "
    "(bookmark.htm など、ブラウザーの「ブックマークのエクスポート」で作った HTML ファイル) を、"
    "お気に入り(I.E.) でお気に入りのディレクトリを開きます。"
    "Chrome / Edge など と Firefox は、ブラウザーが持っているブックマークを直接読み込みます。\n\n"
    "起動時に読み込むものは 表示 › 設定 で選べます。";

}  // namespace

void TFormMain::UpdateEntryButtons() {
    const int current = model_.glIndex();
    const bool valid = model_.IsValidIndex(current);
    BtBrowser->setEnabled(valid && !model_.IsFolder(current));
    BtFolder->setEnabled(valid && model_.IsFolder(current));
    // Commands on an entry wait for one; with nothing loaded the list says how to begin.
    for (QWidget* button : {BtHenshuu, BtCut, BtCopy, BtSakujo}) button->setEnabled(valid);
    // Nothing to paste until a cut or copy is pending, nothing to move without an entry.
    if (!ClipPending()) BtPaste->setEnabled(false);
    if (!valid) {
        BtUp->setEnabled(false);
        BtDown->setEnabled(false);
    }
    const bool empty = model_.glCT == 0;
    static_cast<EntryView*>(LView)->SetEmptyHint(empty ? kEmptyCollectionHint : QString());
    if (empty) {
        for (QWidget* button : {BtUp, BtDown, BtPaste}) button->setEnabled(false);
        Notebook->setCurrentIndex(1);  // the list, where the hint is
    }
}

void TFormMain::OpenInBrowser(const QString& address) {
    QString target = address;
    if (target.isEmpty()) {
        const int selected = SelectedEntry();
        if (selected < 0 || model_.IsFolder(selected)) return;
        target = Text(model_.glUrl[selected]);
    }
    if (links_.browser != nullptr && !links_.browser->Open(target)) {
        // Nothing opened: say so, and record no visit.
        model_.GetPorts().prompts->ShowMessage("ブラウザを起動できませんでした : " +
                                               target.toStdString());
        return;
    }
    // The visit is recorded on the current entry when it is a bookmark.
    const int current = model_.glIndex();
    if (!model_.IsValidIndex(current) || model_.IsFolder(current)) return;
    model_.RecordVisit(current, NowSecondsText());
    // Only that row changes: the list keeps what it shows (an expanded list too), its
    // selection and what panel 1 follows.
    ListItems->RefreshEntry(model_.RefOf(current));
}

QString TFormMain::ReferenceAddress() const {
    return "file:" + QDir::toNativeSeparators(HelpPagePath());
}

void TFormMain::R2Click() {
    const QString address = ReferenceAddress();
    Panel1->setText(address);
    if (links_.browser != nullptr && links_.browser->Open(address)) return;
    const QString fallback = Text(PathToFileUrl(address.mid(5).toStdString()));
    Panel0->setText(fallback);
    if (links_.browser != nullptr) links_.browser->Open(fallback);
}

void TFormMain::miFileExitClick() { close(); }

void TFormMain::C2Click() {
    model_.DiscardChanges();
    close();
}

void TFormMain::T1Click() {
    ToolBar1->setVisible(!ToolBar1->isVisible());
    Item("T1")->setChecked(ToolBar1->isVisible());
}

void TFormMain::S1Click() {
    statusBar()->setVisible(!statusBar()->isVisible());
    Item("S1")->setChecked(statusBar()->isVisible());
}

void TFormMain::R1Click() {
    if (pane_->SelectionCount() > 1) {
        OpenListSelection();
        return;
    }
    const int current = model_.glIndex();
    if (!model_.IsValidIndex(current) || model_.IsFolder(current)) return;
    OpenInBrowser(Text(model_.glUrl[current]));
}

void TFormMain::BtBrowserClick() { R1Click(); }
void TFormMain::N19Click() { OpenInBrowser(); }

void TFormMain::O1Click() {
    if (links_.settings != nullptr) ShowInFront(links_.settings);
}

void TFormMain::B2Click() {
    if (links_.search != nullptr) ShowInFront(links_.search);
}

void TFormMain::B1Click() {
    if (links_.memo != nullptr) ShowInFront(links_.memo);
}

void TFormMain::Show1Click() {
    if (links_.settings == nullptr) return;
    QTabWidget* pages = links_.settings->PageControl;
    pages->setTabVisible(pages->indexOf(links_.settings->TabDebug), true);
    pages->setTabVisible(pages->indexOf(links_.settings->TabList), true);
    ShowInFront(links_.settings);
}

void TFormMain::URL1Click() { model_.CheckDuplicateUrls(); }

void TFormMain::D1Click() {
    LView->setVisible(false);
    int removed = 0;
    ChangeTable([&] {
        removed = model_.DeleteEmptyFolders(true);
        return NodeRef{};
    });
    // The list's refresh after the change wrote panel 1 anew: the command's result stays.
    Panel1->setText(QString("削除フォルダー ： %1 件").arg(removed));
    LView->setVisible(true);
    BtPaste->setEnabled(false);
}

void TFormMain::miHelpAboutClick() {
    if (links_.version != nullptr) ShowInFront(links_.version);
}

void TFormMain::BtFolderClick() {
    BtTenkai->setChecked(true);
    pane_->Refresh();
    BtTenkai->setChecked(false);
}

void TFormMain::BtStopClick() {
    if (checks_->Running()) checks_->Stop();
    if (ClipPending()) EndPendingClip();
    Panel1->setText("中止しました");
}

bool TFormMain::SaveChangedRoots() {
    const std::vector<int> changed = model_.ChangedRoots();
    // Changes no root's source can take (a folder made at the top level): the selection's.
    if (changed.empty()) return SaveBM(model_);
    std::vector<NodeRef> roots;
    for (int root : changed) roots.push_back(model_.RefOf(root));
    for (const NodeRef& root : roots) {
        // A root saved with another one of its file has no changes left.
        const int index = model_.IndexOf(root);
        const std::vector<int> left = model_.ChangedRoots();
        if (std::find(left.begin(), left.end(), index) == left.end()) continue;
        if (!SaveRoot(model_, index)) return false;
    }
    return true;
}

bool TFormMain::SettleUnsavedChanges() {
    if (!model_.glChanged) return true;
    const Answer answer =
        model_.GetPorts().prompts->Confirm("変更内容を保存しますか？ ", Buttons::YesNoCancel);
    if (answer == Answer::Cancel) return false;
    // Yes saves every root with changes, each over its own source; a save that failed keeps
    // the collection: going on now would lose the edits.
    return answer == Answer::No || SaveChangedRoots();
}

bool TFormMain::FormCloseQuery() {
    if (!SettleUnsavedChanges()) return false;
    SaveWindowState();
    // Tool windows still open when the program ends keep where they were.
    for (PersistentWindow* window : findChildren<PersistentWindow*>()) {
        if (window->isVisible()) window->StoreGeometry();
    }
    // A file or directory chosen from the menus is read at the next start even when the
    // settings window was never closed in this run.
    if (links_.settings != nullptr) links_.settings->SaveSettings();
    return true;
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // A run in progress ends first (what it already sent it keeps in the file), so that the
    // question below is about the edits no run took.
    sync_->FinishRun();
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // What was not sent yet goes at the next start.
    sync_->Shutdown();
    event->accept();
    QApplication::quit();
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    UpdateEntryButtons();
    if (scrollToTopWhenShown_) {
        scrollToTopWhenShown_ = false;
        TreeV->scrollToTop();
    }
}

}  // namespace pernard::ui
