// The main window's layout: its menus, tool bars, body and context menus under their design
// names, the window state kept in the registry, and the edition's hidden commands.
#include "ui/main/BoardMain.h"
#include "ui/main/StatusPanel.h"

#include <QHeaderView>
#include <QMenuBar>
#include <QVBoxLayout>

#include "ui/widgets/EntryView.h"
#include "ui/app/Icons.h"
#include "ui/app/Registry.h"

namespace pernard::ui {

namespace {

// The design widths; 登録日 gets room for "yy/mm/dd" in the fonts found on this system.
const int kDesignColumnWidths[kFileColumn] = {150, 100, 100, 72, 15, 60, 50, 0, 60, 50};

}  // namespace

QAction* TFormMain::Item(const QString& name) const {
    const auto found = items_.find(name);
    return found == items_.end() ? nullptr : found->second;
}

QAction* TFormMain::AddItem(QMenu* menu, const QString& name, const QString& caption,
                            void (TFormMain::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    items_[name] = action;
    if (handler != nullptr)
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
}

QMenu* TFormMain::AddMenu(QMenu* parentMenu, const QString& name, const QString& caption) {
    QMenu* menu = parentMenu != nullptr ? parentMenu->addMenu(caption) : MainMenu->addMenu(caption);
    menu->setObjectName(name + "Menu");
    menu->menuAction()->setObjectName(name);
    items_[name] = menu->menuAction();
    return menu;
}

void TFormMain::AddSeparator(QMenu* menu, const QString& name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(name);
    items_[name] = separator;
}

void TFormMain::BuildMenus() {
    MainMenu = menuBar();
    MainMenu->setObjectName("MainMenu");
    QMenu* file = AddMenu(nullptr, "miFile", "ファイル(&F)");
    QMenu* open = AddMenu(file, "miFileOpen", "ブックマークの読込(&R)");
    AddItem(open, "NetScapeB1", "ブックマーク(&NetScape)", &TFormMain::NetScapeB1Click);
    AddItem(open, "IE1", "お気に入り(&I.E.) ", &TFormMain::IE1Click);
    AddItem(open, "ChromiumB1", "Chrome / Edge など(&C)", &TFormMain::ChromiumOpenClick);
    AddItem(open, "FirefoxB1", "Firefox(&F)", &TFormMain::FirefoxOpenClick);
    QMenu* more = AddMenu(file, "T2", "追加読込(&T)");
    AddItem(more, "NetScape1", "ブックマーク(&NetScape)", &TFormMain::NetScape1Click);
    AddItem(more, "IE2", "お気に入り(&I.E.)", &TFormMain::IE2Click);
    AddItem(more, "Chromium1", "Chrome / Edge など(&C)", &TFormMain::ChromiumAddClick);
    AddItem(more, "Firefox1", "Firefox(&F)", &TFormMain::FirefoxAddClick);
    AddSeparator(file, "N4");
    AddItem(file, "miFileSave", "上書保存(&S)", &TFormMain::miFileSaveClick);
    QMenu* saveAs = AddMenu(file, "SaveAs1", "名前を付けて保存(&A)");
    AddItem(saveAs, "NetScape2", "ブックマーク(&NetScape)", &TFormMain::NetScape2Click);
    AddItem(saveAs, "IE3", "お気に入り(&I.E.)", &TFormMain::IE3Click);
    AddSeparator(file, "N3");
    AddItem(file, "miFileExit", "終了(&X)", &TFormMain::miFileExitClick);
    AddItem(file, "C2", "変更を保存しないで終了(&C)", &TFormMain::C2Click);

    QMenu* view = AddMenu(nullptr, "miView", "表示(&V)");
    QAction* toolbar = AddItem(view, "T1", "ツールバー(&T)", &TFormMain::T1Click);
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    // S is 設定's: Alt+V then S reaches it.
    QAction* statusBar = AddItem(view, "S1", "ステータス・バー(&A)", &TFormMain::S1Click);
    statusBar->setCheckable(true);
    statusBar->setChecked(true);
    AddSeparator(view, "N5");
    AddItem(view, "R1", "ブラウザ(&B)", &TFormMain::R1Click);
    AddSeparator(view, "N6");
    AddItem(view, "O1", "設定(&S)", &TFormMain::O1Click);

    QMenu* find = AddMenu(nullptr, "Find1", "検索(&S)");
    AddItem(find, "B2", "ブックマーク(&B)", &TFormMain::B2Click);

    QMenu* debug = AddMenu(nullptr, "MenuDebug", "デバッグ(&G)");
    debug->menuAction()->setShortcut(QKeySequence("Ctrl+Alt+G"));
    AddItem(debug, "B1", "メモ(&M)", &TFormMain::B1Click);
    AddItem(debug, "H1", "ＨＴＴＰ(&H)", &TFormMain::H1Click);
    AddItem(debug, "Show1", "表示(&H)", &TFormMain::Show1Click);

    QMenu* check = AddMenu(nullptr, "C1", "チェック(&E)");
    AddItem(check, "URL1", "URL重複チェック(&U)", &TFormMain::URL1Click);
    AddItem(check, "D1", "空のフォルダーの削除(&E)", &TFormMain::D1Click);

    QAction* closeItem = MainMenu->addAction("閉じる(&C)");
    closeItem->setObjectName("MenuClose");
    items_["MenuClose"] = closeItem;
    connect(closeItem, &QAction::triggered, this, &QWidget::close);

    QMenu* option = AddMenu(nullptr, "MenuOption", "オプション(&O)");
    AddItem(option, "URL2", "保存(URL一覧)(&L)", &TFormMain::URL2Click);
    AddItem(option, "K1", "更新順データ出力(&K)", &TFormMain::K1Click);
    AddItem(option, "O3", "チェック＆データ出力(&O)", &TFormMain::O3Click);

    QMenu* help = AddMenu(nullptr, "miHelp", "ヘルプ(&H)");
    AddItem(help, "R2", "リファレンス(&R)", &TFormMain::R2Click);
    AddSeparator(help, "N25");
    AddItem(help, "miHelpAbout", "サポート・バージョン情報(&A)", &TFormMain::miHelpAboutClick);
}

QToolButton* TFormMain::AddTool(const QString& name, const QString& caption, const QString& hint,
                                int image, void (TFormMain::*handler)()) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    // The hint is a tool tip only: as a status tip it would blank the status bar on hover.
    button->setIcon(ToolImage(image));
    button->setIconSize(QSize(20, 20));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumSize(51, 35);
    // As on a Windows toolbar, a click acts and leaves the keyboard where it was.
    button->setFocusPolicy(Qt::NoFocus);
    if (handler != nullptr)
        connect(button, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    return button;
}

void TFormMain::BuildToolBars() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    BtFolder = AddTool("BtFolder", "展開", "フォルダーの中のＵＲＬを全て展開する", 0,
                       &TFormMain::BtFolderClick);
    BtHenshuu = AddTool("BtHenshuu", "編集", "フォルダー又はＵＲＬを編集する", 9,
                        &TFormMain::BtHenshuuClick);
    BtUp = AddTool("BtUp", "移動(上)", "フォルダーを上に移動", 2, &TFormMain::BtUpClick);
    BtDown = AddTool("BtDown", "移動(下)", "フォルダーを下に移動", 3, &TFormMain::BtDownClick);
    BtCut = AddTool("BtCut", "切取り", "URL, フォルダーの切取り", 4, &TFormMain::BtCutClick);
    BtCopy = AddTool("BtCopy", "コピー", "URL, フォルダーをコピーする", 5, &TFormMain::BtCopyClick);
    BtPaste = AddTool("BtPaste", "貼付け", "URL, フォルダーの貼付け", 6, &TFormMain::BtPasteClick);
    BtSakujo = AddTool("BtSakujo", "削除", "URL, フォルダーの削除", 7, &TFormMain::BtSakujoClick);
    BtStop = AddTool("BtStop", "中止", "収集を中止", 8, &TFormMain::BtStopClick);
    BtStop->setEnabled(false);
    BtKensaku = AddTool("BtKensaku", "検索", "ブックマークの検索", 1, &TFormMain::B2Click);
    BtRecentAdded = AddTool("BtRecentAdded", "最近追加", "最近追加したブックマーク", 16,
                            &TFormMain::RecentAddedClick);
    BtRecentVisited = AddTool("BtRecentVisited", "最近訪問", "最近訪問したブックマーク", 10,
                              &TFormMain::RecentVisitedClick);
    BtBrowser =
        AddTool("BtBrowser", "ﾌﾞﾗｳｻﾞ", "ブラウザを表示する", 13, &TFormMain::BtBrowserClick);
    BtReload = AddTool("BtReload", "再読込", "ブラウザをリロード", 11);
    BtHTTP =
        AddTool("BtHTTP", "ﾁｪｯｸ", "右側リストの最終更新時刻を取得", 12, &TFormMain::BtHTTPClick);
    BtKoushin = AddTool("BtKoushin", "更新順", "", 10);
    BtBack = AddTool("BtBack", "戻る", "選択されているページの前のページを表示", 14);
    BtForward = AddTool("BtForward", "進む", "選択されているページの次のページを表示", 15);
    Animate1 = new QLabel(this);
    Animate1->setObjectName("Animate1");
    Animate1->setFixedSize(41, 35);

    // Two rows: the first ends with 削除.
    auto* rows = new QWidget(ToolBar1);
    auto* layout = new QVBoxLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto addRow = [&](std::initializer_list<QWidget*> widgets) {
        auto* row = new QHBoxLayout;
        row->setSpacing(1);
        for (QWidget* widget : widgets) {
            if (widget == nullptr) {
                row->addSpacing(8);
            } else {
                row->addWidget(widget);
            }
        }
        row->addStretch();
        layout->addLayout(row);
    };
    addRow({BtFolder, BtHenshuu, BtUp, BtDown, BtCut, BtCopy, BtPaste, BtSakujo});
    addRow({BtStop, BtKensaku, BtRecentAdded, BtRecentVisited, nullptr, BtBrowser, BtReload,
            nullptr, BtHTTP, BtKoushin, Animate1, BtBack, BtForward});
    ToolBar1->addWidget(rows);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->setMovable(false);
    BtTenkai = new QToolButton(ToolBar2);
    BtTenkai->setObjectName("BtTenkai");
    BtTenkai->setText("ﾌｫﾙﾀﾞｰ展開");
    BtTenkai->setCheckable(true);
    connect(BtTenkai, &QToolButton::clicked, this, [this] { pane_->Refresh(); });
    ToolBar2->addWidget(BtTenkai);
    ToolBar2->addWidget(new QLabel("  URL：  ", ToolBar2));
    ComboURL = new QComboBox(ToolBar2);
    ComboURL->setObjectName("ComboURL");
    ComboURL->setEditable(true);
    ComboURL->setMinimumWidth(501);
    connect(ComboURL->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { OpenInBrowser(ComboURL->currentText()); });
    ToolBar2->addWidget(ComboURL);
    addToolBarBreak();
    addToolBar(Qt::TopToolBarArea, ToolBar2);
}

void TFormMain::BuildBody() {
    auto headerLabel = [this](const QString& name, const QString& caption) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(name);
        label->setFixedHeight(21);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    };
    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName("Splitter");
    Splitter->setOpaqueResize(false);
    Splitter->setHandleWidth(2);
    Splitter->setChildrenCollapsible(false);

    TreeViewPanel = new QWidget(Splitter);
    TreeViewPanel->setObjectName("TreeViewPanel");
    auto* treeLayout = new QVBoxLayout(TreeViewPanel);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->setSpacing(0);
    treeLayout->addWidget(headerLabel("TreeViewCaption", " ブックマーク"));
    TreeItems = new TreeModel(model_, this);
    TreeV = new EntryView(TreeViewPanel);
    TreeV->setAccessibleName("ブックマークのツリー");
    TreeV->setObjectName("TreeV");
    TreeV->setModel(TreeItems);
    TreeV->setHeaderHidden(true);
    TreeV->setIndentation(19);
    TreeV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeV->setUniformRowHeights(true);
    // Names are never cut: the column is as wide as the names shown, and scrolls.
    TreeV->header()->setStretchLastSection(false);
    TreeV->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    TreeV->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    TreeV->setContextMenuPolicy(Qt::CustomContextMenu);
    TreeV->installEventFilter(this);
    treeLayout->addWidget(TreeV);

    ListViewPanel = new QWidget(Splitter);
    ListViewPanel->setObjectName("ListViewPanel");
    auto* listLayout = new QVBoxLayout(ListViewPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    ListViewCaption = headerLabel("ListViewCaption", "URL リスト");
    listLayout->addWidget(ListViewCaption);
    Notebook = new QStackedWidget(ListViewPanel);
    Notebook->setObjectName("Notebook");
    auto* listPage = new QWidget(Notebook);
    listPage->setObjectName("ListViewPage");
    auto* imagePage = new QWidget(Notebook);
    imagePage->setObjectName("ImageViewPage");
    auto* browserPage = new QWidget(Notebook);
    browserPage->setObjectName("BrowserViewPage");
    Notebook->addWidget(listPage);
    Notebook->addWidget(imagePage);
    Notebook->addWidget(browserPage);
    auto* imageLayout = new QVBoxLayout(imagePage);
    imageLayout->setContentsMargins(0, 0, 0, 0);
    ListItems = new ListModel([this](int entry) { return pane_->RowOf(entry); },
                              [this](const NodeRef& node) { return model_.IndexOf(node); }, this);
    LView = new EntryView(imagePage);
    LView->setAccessibleName("選択したフォルダーの一覧");
    LView->setObjectName("LView");
    LView->setModel(ListItems);
    LView->setRootIsDecorated(false);
    LView->setItemsExpandable(false);
    LView->setUniformRowHeights(true);
    LView->setSortingEnabled(false);
    LView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LView->setSelectionBehavior(QAbstractItemView::SelectRows);
    LView->setContextMenuPolicy(Qt::CustomContextMenu);
    LView->installEventFilter(this);
    LView->header()->setStretchLastSection(false);
    LView->header()->setSectionsMovable(false);
    for (int column = 0; column < kFileColumn; ++column)
        LView->setColumnWidth(column, kDesignColumnWidths[column]);
    // The name takes the width the other columns leave.
    LView->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    LView->setColumnHidden(kFileColumn, true);
    imageLayout->addWidget(LView);
    listLayout->addWidget(Notebook);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({185, 470});
    setCentralWidget(Splitter);
    SetupDragAndDrop();

    auto* bar = new QStatusBar(this);
    bar->setObjectName("StatusBar");
    // Panel 0 holds results and errors: as wide as its text needs, never cut at a fixed width.
    Panel0 = new StatusPanel(150, bar);
    Panel0->setObjectName("Panel0");
    Panel1 = new StatusPanel(100, bar);
    Panel1->setObjectName("Panel1");
    bar->addWidget(Panel0);
    bar->addWidget(Panel1, 1);
    setStatusBar(bar);

    connect(TreeV->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { TreeVChange(); });
    connect(TreeV, &QTreeView::pressed, this, [this] { TreeVPress(); });
    connect(TreeV, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        const TreeNode* node = TreeModel::NodeOf(index);
        if (node != nullptr && !node->HasChildren()) OpenInBrowser();
    });
    // A change announced as a reset (removing many empty folders at once) would collapse
    // every folder: the folders the user had open are opened again.
    // Only open folders are walked into: after a load, where nothing is open yet, that is the
    // top level alone.
    connect(TreeItems, &QAbstractItemModel::modelReset, this, [this] { ReopenFolders(); });
    connect(TreeV, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (TreeNode* node = TreeModel::NodeOf(index)) model_.SetExpanded(node, true);
    });
    connect(TreeV, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (TreeNode* node = TreeModel::NodeOf(index)) model_.SetExpanded(node, false);
    });
    connect(LView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { LViewChange(index); });
    connect(LView, &QTreeView::pressed, this,
            [this](const QModelIndex& index) { LViewClick(index); });
    connect(LView, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { LViewDblClick(index); });
}

void TFormMain::GiveContextMenusAccessKeys() {
    // As a Japanese Windows menu gives them: a letter after the caption, before its "...".
    const std::pair<const char*, char> keys[] = {
        {"MenuBrowser", 'V'}, {"N19", 'B'},        {"N24", 'X'},        {"New1", 'W'},
        {"N1", 'F'},          {"N2", 'U'},         {"PMenuEdit", 'E'},  {"PMenuSort", 'O'},
        {"PMenuNotes", 'N'},  {"Delete1", 'D'},    {"MergeFolders1", 'M'}, {"Copy2", 'C'},
        {"N16", 'T'},         {"N15", 'P'},        {"N11", 'B'},        {"New2", 'W'},
        {"N7", 'F'},          {"N8", 'U'},         {"Edit2", 'E'},      {"PLViewNotes", 'N'},
        {"PLViewAddTags", 'A'}, {"PLViewRemoveTags", 'K'}, {"Delete2", 'D'}, {"Copy1", 'C'},
        {"Cut1", 'T'},        {"PMenuText", 'X'},
    };
    for (const auto& [name, key] : keys) {
        QAction* item = Item(name);
        QString caption = item->text();
        const bool more = caption.endsWith("...");
        if (more) caption.chop(3);
        item->setText(caption + QString("(&%1)").arg(QChar(key)) + (more ? "..." : ""));
    }
}

void TFormMain::BuildContextMenus() {
    PMenu = new QMenu(this);
    PMenu->setObjectName("PMenu");
    AddItem(PMenu, "MenuBrowser", "ブラウザ表示", &TFormMain::N19Click);
    AddItem(PMenu, "N19", "外部ブラウザの表示", &TFormMain::N19Click);
    AddSeparator(PMenu, "N23");
    AddItem(PMenu, "N24", "フォルダー展開", &TFormMain::BtFolderClick);
    AddSeparator(PMenu, "N18");
    QMenu* create = AddMenu(PMenu, "New1", "新規作成");
    AddItem(create, "N1", "フォルダー", &TFormMain::N1Click);
    AddItem(create, "N2", "ＵＲＬ", &TFormMain::N2Click);
    AddItem(PMenu, "PMenuEdit", "編集", &TFormMain::BtHenshuuClick);
    AddSeparator(PMenu, "N14");
    AddItem(PMenu, "Delete1", "削除", &TFormMain::Delete1Click);
    AddSeparator(PMenu, "N17");
    AddItem(PMenu, "Copy2", "コピー", &TFormMain::BtCopyClick);
    AddItem(PMenu, "N16", "切取り", &TFormMain::BtCutClick);
    QAction* pasteHere = AddItem(PMenu, "N15", "張り付け（この下に）", &TFormMain::BtPasteClick);
    // Nothing to paste until a cut or copy is pending.
    connect(PMenu, &QMenu::aboutToShow, this,
            [this, pasteHere] { pasteHere->setEnabled(ClipPending()); });
    connect(TreeV, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // Over empty space the menu would act on a selection the user does not point at.
        if (!TreeV->indexAt(at).isValid()) return;
        PMenu->popup(TreeV->viewport()->mapToGlobal(at));
    });

    PLViewMenu = new QMenu(this);
    PLViewMenu->setObjectName("PLViewMenu");
    QAction* open = AddItem(PLViewMenu, "N11", "外部ブラウザ起動");
    connect(open, &QAction::triggered, this, [this] {
        if (pane_->SelectionCount() > 1) {
            OpenListSelection();
        } else {
            LViewDblClick(pane_->HighlightedIndex());
        }
    });
    AddSeparator(PLViewMenu, "N12");
    QMenu* create2 = AddMenu(PLViewMenu, "New2", "新規作成");
    AddItem(create2, "N7", "フォルダー", &TFormMain::N7Click);
    AddItem(create2, "N8", "ＵＲＬ", &TFormMain::N8Click);
    AddItem(PLViewMenu, "Edit2", "編集", &TFormMain::BtHenshuuClick);
    AddSeparator(PLViewMenu, "N13");
    AddItem(PLViewMenu, "Delete2", "削除", &TFormMain::Delete2Click);
    AddSeparator(PLViewMenu, "N21");
    AddItem(PLViewMenu, "Copy1", "コピー", &TFormMain::Copy1Click);
    AddItem(PLViewMenu, "Cut1", "切り取り", &TFormMain::Cut1Click);
    AddItem(PLViewMenu, "PMenuText", "テキスト表示");
    BuildUndoItems();
    BuildCleanupItems();
    BuildRecentItems();
    // The keys the tree and the list take (see HandleEditKeys), shown beside their commands.
    const std::pair<const char*, QKeySequence> keys[] = {
        {"PMenuEdit", QKeySequence(Qt::Key_F2)},
        {"Copy2", QKeySequence::Copy},
        {"N16", QKeySequence::Cut},
        {"N15", QKeySequence::Paste},
        {"Delete1", QKeySequence(Qt::Key_Delete)},
        {"N11", QKeySequence(Qt::Key_Return)},
        {"Edit2", QKeySequence(Qt::Key_F2)},
        {"Delete2", QKeySequence(Qt::Key_Delete)},
        {"Copy1", QKeySequence::Copy},
        {"Cut1", QKeySequence::Cut},
    };
    for (const auto& [name, key] : keys) {
        QAction* item = Item(name);
        item->setShortcut(key);
        item->setShortcutContext(Qt::WidgetShortcut);  // shown only; the view's key acts
    }
    connect(LView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = LView->indexAt(at);
        // On one of many highlighted rows the menu acts on all of them.
        const bool onSelection = index.isValid() && pane_->SelectionCount() > 1 &&
                                 LView->selectionModel()->isRowSelected(index.row());
        if (index.isValid() && !onSelection) {
            LView->setCurrentIndex(index);
            LViewClick(index);
        }
        PLViewMenu->popup(LView->viewport()->mapToGlobal(at));
    });
}

void TFormMain::RestoreWindowState() {
    RestoreGeometry(this, "fmPernard", true);
    const int treeWidth = Registry::ReadInteger(
        kWindowSection, "fmPernard.TreeViewWidth",
        Registry::ReadInteger(kWindowSection, "fmPernard.SplitLeft", 185, 20, 4000), 20, 4000);
    const int total = qMax(width(), treeWidth + 100);
    Splitter->setSizes({treeWidth, total - treeWidth});
    for (int column = 0; column < kFileColumn; ++column) {
        const int width =
            Registry::ReadInteger(kWindowSection, QString("fmPernard.LView%1").arg(column),
                                  kDesignColumnWidths[column], 0, 2000);
        if (width <= 0) {
            LView->setColumnHidden(column, true);
        } else {
            LView->setColumnHidden(column, false);
            LView->setColumnWidth(column, width);
        }
    }
}

void TFormMain::SaveWindowState() {
    SaveGeometry(this, "fmPernard", true);
    const int treeWidth = Splitter->sizes().value(0, TreeViewPanel->width());
    Registry::WriteInteger(kWindowSection, "fmPernard.SplitLeft", treeWidth);
    Registry::WriteInteger(kWindowSection, "fmPernard.SplitTop", 0);
    Registry::WriteInteger(kWindowSection, "fmPernard.TreeViewLeft", 0);
    Registry::WriteInteger(kWindowSection, "fmPernard.TreeViewTop", 0);
    Registry::WriteInteger(kWindowSection, "fmPernard.TreeViewWidth", treeWidth);
    for (int column = 0; column < kFileColumn; ++column) {
        const int width = LView->isColumnHidden(column) ? 0 : LView->columnWidth(column);
        Registry::WriteInteger(kWindowSection, QString("fmPernard.LView%1").arg(column), width);
    }
    Registry::Sync();
}

void TFormMain::SetupEdition() {
    setWindowTitle("ペルナード");
    SetApplicationTitle("ﾍﾟﾙﾅｰﾄﾞ");
    for (QWidget* hidden : std::initializer_list<QWidget*>{Animate1, BtBack, BtForward, BtReload,
                                                           BtKoushin, BtHTTP}) {
        hidden->setVisible(false);
    }
    ToolBar2->setVisible(false);
    for (const char* name : {"MenuBrowser", "PMenuText", "MenuOption", "MenuDebug", "MenuClose"}) {
        Item(name)->setVisible(false);
    }
    BtStop->setEnabled(false);
    for (int column = 4; column <= 9; ++column) LView->setColumnHidden(column, true);
}

}  // namespace pernard::ui
