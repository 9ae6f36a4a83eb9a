#include "ui/dialogs/Bookmark.h"

#include <climits>

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include "history/VersionHistory.h"
#include "ui/app/Fonts.h"
#include "ui/widgets/PersistentWindow.h"
#include "ui/app/Registry.h"
#include "util/UserFolders.h"

namespace pernard::ui {

namespace {

constexpr const char* kHighlight = "background-color: #aaeecc;";  // 13430442 as red, green, blue

QCheckBox* NewCheck(const QString& name, const QString& caption, bool on, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(on);
    return box;
}

QLineEdit* NewEdit(const QString& name, QWidget* parent, const QString& text = {}) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

QPushButton* NewButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

// A value of another program's registry key (only Windows has them).
QString OtherProgramValue(const QString& key, const QString& name) {
#ifdef _WIN32
    QSettings settings("HKEY_CURRENT_USER\\SoftWare\\" + key, QSettings::NativeFormat);
    return settings.value(name).toString();
#else
    (void)key;
    (void)name;
    return {};
#endif
}

}  // namespace

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
    auto* layout = new QVBoxLayout(this);
    for (int k = 0; k < items.size(); ++k) {
        auto* button = new QRadioButton(items[k], this);
        buttons_->addButton(button, k);
        layout->addWidget(button);
    }
    connect(buttons_, &QButtonGroup::idClicked, this, &RadioGroup::Clicked);
}

int RadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void RadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    // No item: lift the exclusivity for a moment to clear the choice.
    buttons_->setExclusive(false);
    for (QAbstractButton* button : buttons_->buttons()) button->setChecked(false);
    buttons_->setExclusive(true);
}

TFormBookmark::TFormBookmark(std::optional<StartupOverride> startupOverride,
                             std::function<void(TFormBookmark*)> setupEdition, QWidget* parent)
    : QWidget(parent, Qt::Window), startupOverride_(std::move(startupOverride)) {
    setObjectName("TFormBookmark");
    setWindowTitle("設定");
    setFont(DesignFont(kPGothic, 12));
    auto* layout = new QVBoxLayout(this);
    auto* menu = new QMenuBar(this);
    menu->addAction("閉じる(&C)", this, &QWidget::close);
    layout->setMenuBar(menu);
    CloseWithEscape(this);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    TabBookmark = BuildBookmarkPage();
    TabOther = BuildOtherPage();
    TabNetwork = BuildNetworkPage();
    TabBrowser = BuildBrowserPage();
    TabDebug = BuildDebugPage();
    TabList = new QWidget(this);
    TabList->setObjectName("TabList");
    PageControl->addTab(TabBookmark, "ﾌﾞｯｸﾏｰｸ、お気に入りの設定");
    PageControl->addTab(TabOther, "その他の設定");
    PageControl->addTab(TabNetwork, "ネットワーク");
    PageControl->addTab(TabBrowser, "ブラウザ");
    PageControl->addTab(TabDebug, "ブックマーク");
    PageControl->addTab(TabList, "リスト");
    layout->addWidget(PageControl);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    layout->addWidget(StatusBar);
    resize(520, 430);

    LoadSettings();
    if (setupEdition) setupEdition(this);
}

QPushButton* TFormBookmark::AddChooserRow(QGridLayout* grid, int row, const QString& buttonName,
                                          const QString& caption, QLineEdit*& edit,
                                          const QString& editName) {
    QWidget* owner = grid->parentWidget();
    auto* button = NewButton(buttonName, caption, owner);
    edit = NewEdit(editName, owner);
    // Named after its button, as a screen reader says it.
    edit->setAccessibleName(QString(caption).remove(QRegularExpression("\\(&.\\)")).remove('&'));
    grid->addWidget(button, row, 0);
    grid->addWidget(edit, row, 1);
    return button;
}

QWidget* TFormBookmark::BuildBookmarkPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabBookmark");
    auto* layout = new QVBoxLayout(page);

    auto* netscape = new QGroupBox("Ｎｅｔｓｃａｐｅ (Bookmark ファイル)", page);
    auto* netscapeGrid = new QGridLayout(netscape);
    Button1 =
        AddChooserRow(netscapeGrid, 0, "Button1", "ファイル名(&F)", EditBookmark1, "EditBookmark1");
    Button4 =
        AddChooserRow(netscapeGrid, 1, "Button4", "追加読込用(&T)", EditBookmark2, "EditBookmark2");
    layout->addWidget(netscape);
    auto* favorites = new QGroupBox("Internet Explorer (お気に入り)", page);
    auto* favoritesGrid = new QGridLayout(favorites);
    Button5 = AddChooserRow(favoritesGrid, 0, "Button5", "ﾃﾞｨﾚｸﾄﾘ名(&D)", EditIE1, "EditIE1");
    Button6 = AddChooserRow(favoritesGrid, 1, "Button6", "追加読込用(&S)", EditIE2, "EditIE2");
    layout->addWidget(favorites);

    auto* lower = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    CheckChoufuku = NewCheck("CheckChoufuku", "読込時、重複したＵＲＬは読み込まない", false, page);
    CheckEmpty = NewCheck("CheckEmpty", "中身が空のフォルダーは作成しない", false, page);
    CheckUwagaki =
        NewCheck("CheckUwagaki", "上書保存する時、確認メッセージを表示しない", false, page);
    checks->addWidget(CheckChoufuku);
    checks->addWidget(CheckEmpty);
    checks->addWidget(CheckUwagaki);
    CheckUtf8 = NewCheck("CheckUtf8", "ブックマークファイルは UTF-8 で保存する", false, page);
    checks->addWidget(CheckUtf8);
    auto* maxRow = new QHBoxLayout;
    EditMaxURL = NewEdit("EditMaxURL", page, "1000");
    EditMaxURL->setMaximumWidth(90);
    auto* maxLabel = new QLabel("扱う ＵＲＬ のＭＡＸ数", page);
    maxLabel->setBuddy(EditMaxURL);  // the field's name for a screen reader
    maxRow->addWidget(maxLabel);
    maxRow->addWidget(EditMaxURL);
    maxRow->addWidget(new QLabel("件", page));
    maxRow->addStretch();
    checks->addLayout(maxRow);
    // What the earlier versions of overwritten files may take in all; 0 keeps none.
    auto* historyRow = new QHBoxLayout;
    EditHistoryLimit = NewEdit("EditHistoryLimit", page, "500");
    EditHistoryLimit->setMaximumWidth(90);
    auto* historyLabel = new QLabel("以前の版に使う容量", page);
    historyLabel->setBuddy(EditHistoryLimit);
    historyRow->addWidget(historyLabel);
    historyRow->addWidget(EditHistoryLimit);
    historyRow->addWidget(new QLabel("MB まで", page));
    historyRow->addStretch();
    checks->addLayout(historyRow);
    // 文字コード: for files that neither start with a byte order mark nor declare a charset.
    auto* encodingRow = new QHBoxLayout;
    ComboEncoding = new QComboBox(page);
    ComboEncoding->setObjectName("ComboEncoding");
    ComboEncoding->addItems(
        {"自動", "Shift_JIS", "UTF-8", "EUC-JP", "GBK", "Big5", "EUC-KR", "Windows-1252"});
    auto* encodingLabel = new QLabel("文字コード", page);
    encodingLabel->setBuddy(ComboEncoding);
    encodingRow->addWidget(encodingLabel);
    encodingRow->addWidget(ComboEncoding);
    encodingRow->addStretch();
    checks->addLayout(encodingRow);
    lower->addLayout(checks, 1);
    RadioBrowser = new RadioGroup("起動時に読み込む", {"NetScape", "Internet Explorer"}, page);
    RadioBrowser->setObjectName("RadioBrowser");
    lower->addWidget(RadioBrowser);
    layout->addLayout(lower);
    layout->addStretch();

    connect(Button1, &QPushButton::clicked, this, [this] { ChooseFile(EditBookmark1); });
    connect(Button4, &QPushButton::clicked, this, [this] { ChooseFile(EditBookmark2); });
    connect(Button5, &QPushButton::clicked, this, [this] { ChooseDirectory(EditIE1); });
    connect(Button6, &QPushButton::clicked, this, [this] { ChooseDirectory(EditIE2); });
    connect(RadioBrowser, &RadioGroup::Clicked, this, [this] { RadioBrowserClick(); });
    // Checked every time the field is left (editingFinished comes only after a change).
    EditMaxURL->installEventFilter(this);
    return page;
}

QWidget* TFormBookmark::BuildOtherPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabOther");
    auto* grid = new QGridLayout(page);
    Button7 = NewButton("Button7", "ｼｽﾃﾑ･ﾃﾞｨﾚｸﾄﾘ(&S)", page);
    EditSysDir = NewEdit("EditSysDir", page);
    Button8 = NewButton("Button8", "エディター(&E)", page);
    EditEditor = NewEdit("EditEditor", page);
    Button9 = NewButton("Button9", "URL保存用", page);
    EditLinkDir = NewEdit("EditLinkDir", page);
    grid->addWidget(Button7, 0, 0);
    grid->addWidget(EditSysDir, 0, 1);
    grid->addWidget(Button8, 1, 0);
    grid->addWidget(EditEditor, 1, 1);
    grid->addWidget(Button9, 2, 0);
    grid->addWidget(EditLinkDir, 2, 1);
    RadioList = new RadioGroup("リストの表示順",
                               {"名称", "訪問日", "最終更新時刻", "登録日", "Index"}, page);
    RadioList->setObjectName("RadioList");
    RadioList->SetItemIndex(4);
    CheckShoujun = NewCheck("CheckShoujun", "昇順", true, page);
    RadioHonbun = new RadioGroup("本文の保存", {"毎回", "最終更新時刻変更時"}, page);
    RadioHonbun->setObjectName("RadioHonbun");
    RadioHonbun->SetItemIndex(0);
    CheckControl = NewCheck("CheckControl", "Control 処理", false, page);
    CheckControl->setVisible(false);
    grid->addWidget(RadioList, 3, 0);
    grid->addWidget(CheckShoujun, 3, 1);
    grid->addWidget(RadioHonbun, 4, 0);
    grid->addWidget(CheckControl, 4, 1);
    connect(Button7, &QPushButton::clicked, this, [this] {
        ChooseDirectory(EditSysDir);
        glSysDir = EditSysDir->text();
        glSysUrlDir = QDir(glSysDir).filePath("URL");
    });
    connect(Button8, &QPushButton::clicked, this, [this] { ChooseFile(EditEditor); });
    connect(Button9, &QPushButton::clicked, this, [this] { ChooseDirectory(EditLinkDir); });
    return page;
}

QWidget* TFormBookmark::BuildNetworkPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabNetwork");
    auto* form = new QFormLayout(page);
    CheckProxy = NewCheck("CheckProxy", "利用する", false, page);
    EditIPAddress = NewEdit("EditIPAddress", page);
    EditPort = NewEdit("EditPort", page);
    form->addRow(CheckProxy);
    form->addRow("IP Address", EditIPAddress);
    form->addRow("Port No.", EditPort);
    return page;
}

QWidget* TFormBookmark::BuildBrowserPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabBrowser");
    auto* layout = new QVBoxLayout(page);
    RadioBrowser2 = new RadioGroup("使用するブラウザー", {"外部ブラウザ", "内部ブラウザ"}, page);
    RadioBrowser2->setObjectName("RadioBrowser2");
    RadioBrowser2->SetItemIndex(0);
    RadioNavigate = new RadioGroup("", {"Navigate", "Navigate2"}, page);
    RadioNavigate->setObjectName("RadioNavigate");
    RadioNavigate->SetItemIndex(1);
    RadioNavigate->setVisible(false);
    GroupSettei = new QGroupBox("設定", page);
    GroupSettei->setObjectName("GroupSettei");
    auto* grid = new QGridLayout(GroupSettei);
    CheckImage = NewCheck("CheckImage", "イメージ表示", true, GroupSettei);
    CheckVideo = NewCheck("CheckVideo", "ビデオ表示", true, GroupSettei);
    CheckBGM = NewCheck("CheckBGM", "サウンド", true, GroupSettei);
    CheckScript = NewCheck("CheckScript", "スクリプトの実行禁止", false, GroupSettei);
    CheckJava = NewCheck("CheckJava", "ＪＡＶＡの実行禁止", false, GroupSettei);
    CheckActiveX = NewCheck("CheckActiveX", "ＡｃｔｉｖｅＸの実行禁止", false, GroupSettei);
    CheckCashFile = NewCheck("CheckCashFile", "キャッシュファイルを使用しない", false, GroupSettei);
    CheckCashNew = NewCheck("CheckCashNew", "常にキャッシュを最新にする", false, GroupSettei);
    CheckNoFrame = NewCheck("CheckNoFrame", "フレームの読込禁止", false, GroupSettei);
    CheckNoDialog = NewCheck("CheckNoDialog", "ダイアログを出さない", false, GroupSettei);
    const QList<QCheckBox*> boxes = {CheckImage,   CheckVideo,   CheckBGM,      CheckScript,
                                     CheckJava,    CheckActiveX, CheckCashFile, CheckCashNew,
                                     CheckNoFrame, CheckNoDialog};
    for (int k = 0; k < boxes.size(); ++k) grid->addWidget(boxes[k], k / 2, k % 2);
    GroupSettei->setVisible(false);
    Button2 = NewButton("Button2", "更新(&U)", page);
    Button3 = NewButton("Button3", "glLink...", page);
    layout->addWidget(RadioBrowser2);
    layout->addWidget(RadioNavigate);
    layout->addWidget(GroupSettei);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    connect(RadioBrowser2, &RadioGroup::Clicked, this, [this] { RadioBrowser2Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    return page;
}

QWidget* TFormBookmark::BuildDebugPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabDebug");
    auto* layout = new QGridLayout(page);
    CheckDebug = NewCheck("CheckDebug", "CheckDebug", true, page);
    CheckNoDelete = NewCheck("CheckNoDelete", "DropDown No Delete", false, page);
    EditComment = NewEdit("EditComment", page);
    EditTitle = NewEdit("EditTitle", page);
    EditH1 = NewEdit("EditH1", page);
    EditURL = NewEdit("EditURL", page);
    EditAdd = NewEdit("EditAdd", page);
    EditVisit = NewEdit("EditVisit", page);
    EditLast = NewEdit("EditLast", page);
    ListBookMark = new QListWidget(page);
    ListBookMark->setObjectName("ListBookMark");
    MemoLog = new QPlainTextEdit(page);
    MemoLog->setObjectName("MemoLog");
    layout->addWidget(CheckDebug, 0, 0);
    layout->addWidget(CheckNoDelete, 0, 1);
    int row = 1;
    for (QLineEdit* edit :
         {EditComment, EditTitle, EditH1, EditURL, EditAdd, EditVisit, EditLast}) {
        layout->addWidget(new QLabel(edit->objectName().mid(4), page), row, 0);
        layout->addWidget(edit, row++, 1);
    }
    layout->addWidget(ListBookMark, row, 0);
    layout->addWidget(MemoLog, row, 1);
    return page;
}

void TFormBookmark::ChooseFile(QLineEdit* target) {
    std::string chosen;
    const std::string start =
        target->text().isEmpty() ? InitialDir.toStdString() : target->text().toStdString();
    if (dialogs_ != nullptr && dialogs_->OpenSettingsFile(start, chosen)) {
        target->setText(QString::fromStdString(chosen));
    }
}

void TFormBookmark::ChooseDirectory(QLineEdit* target) {
    std::string chosen;
    if (dialogs_ != nullptr && dialogs_->ChooseDirectory(target->text().toStdString(), chosen)) {
        target->setText(QString::fromStdString(chosen));
    }
}

bool TFormBookmark::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditMaxURL && event->type() == QEvent::FocusOut) CheckMaxUrlOnLeave();
    return QWidget::eventFilter(watched, event);
}

void TFormBookmark::CheckMaxUrlOnLeave() {
    bool ok = false;
    EditMaxURL->text().trimmed().toInt(&ok);
    if (!ok) QTimer::singleShot(0, EditMaxURL, [this] { EditMaxURL->setFocus(); });
}

void TFormBookmark::RadioBrowserClick() {
    const bool favorites = RadioBrowser->ItemIndex() != 0;
    QLineEdit* chosen = favorites ? EditIE1 : EditBookmark1;
    QLineEdit* other = favorites ? EditBookmark1 : EditIE1;
    chosen->setStyleSheet(kHighlight);
    other->setStyleSheet(QString());
    const QFileInfo info(chosen->text());
    if (!favorites && !(info.exists() && info.isFile())) {
        StatusBar->showMessage("ファイル該当無し (NetScape)");
    } else if (favorites && !(info.exists() && info.isDir())) {
        StatusBar->showMessage("ディレクトリ該当無し(Internet Explorer)");
    } else {
        StatusBar->clearMessage();
    }
}

void TFormBookmark::RadioBrowser2Click() {
    GroupSettei->setVisible(RadioBrowser2->ItemIndex() == 1);
}

void TFormBookmark::Button2Click() {
    const std::pair<QCheckBox*, const char*> values[] = {
        {CheckImage, "fmBookmark.CkImage"},       {CheckVideo, "fmBookmark.CkVideo"},
        {CheckBGM, "fmBookmark.CkSound"},         {CheckScript, "fmBookmark.CkScript"},
        {CheckJava, "fmBookmark.CkNoJave"},       {CheckActiveX, "fmBookmark.CkActiveX"},
        {CheckCashFile, "fmBookmark.CkCashFile"}, {CheckCashNew, "fmBookmark.CkCashNew"},
        {CheckNoFrame, "fmBookmark.CkNoFrame"},   {CheckNoDialog, "fmBookmark.CkNoDialog"}};
    for (const auto& [box, name] : values)
        Registry::WriteCheck(kSettingSection, name, box->isChecked());
    StatusBar->showMessage("設定更新完了");
}

void TFormBookmark::LoadSettings() {
    const char* w = kWindowSection;
    const char* s = kSettingSection;
    RestoreGeometry(this, "fmBookmark", false);
    EditBookmark1->setText(Registry::ReadText(w, "fmBookmark.Bookmark1", ""));
    EditBookmark2->setText(Registry::ReadText(w, "fmBookmark.Bookmark2", ""));
    EditIE1->setText(Registry::ReadText(w, "fmBookmark.IE1", ""));
    EditIE2->setText(Registry::ReadText(w, "fmBookmark.IE2", ""));
    // A MaxURL that is no positive whole number would leave no room for any entry.
    EditMaxURL->setText(
        QString::number(Registry::ReadInteger(w, "fmBookmark.MaxURL", 1000, 1, INT_MAX)));
    InitialDir = Registry::ReadText(w, "fmBookmark.InitialDir", "");
    RadioBrowser->SetItemIndex(
        Registry::ReadInteger(w, "fmBookmark.RaBrowser", RadioBrowser->ItemIndex()));
    RadioBrowser2->SetItemIndex(Registry::ReadInteger(w, "fmBookmark.RaBrowser2", 0));
    RadioNavigate->SetItemIndex(
        Registry::ReadInteger(w, "fmBookmark.RadioNavigate", RadioNavigate->ItemIndex()));
    RadioHonbun->SetItemIndex(
        Registry::ReadInteger(w, "fmBookmark.RadioHonbun", RadioHonbun->ItemIndex()));
    RadioList->SetItemIndex(
        Registry::ReadInteger(w, "fmBookmark.RadioList", RadioList->ItemIndex()));
    CheckChoufuku->setChecked(Registry::ReadCheck(s, "fmBookmark.CkChoufuku", false));
    CheckUwagaki->setChecked(Registry::ReadCheck(s, "fmBookmark.CkUwagaki", false));
    CheckShoujun->setChecked(Registry::ReadCheck(s, "fmBookmark.CkShoujun", true));
    CheckProxy->setChecked(Registry::ReadCheck(s, "fmBookmark.CkProxy", false));
    CheckControl->setChecked(Registry::ReadCheck(s, "fmBookmark.CkControl", false));
    CheckEmpty->setChecked(Registry::ReadCheck(s, "fmBookmark.CkEmpty", false));
    CheckUtf8->setChecked(Registry::ReadCheck(s, "fmBookmark.CkUtf8", false));
    const int encoding = ComboEncoding->findText(Registry::ReadText(s, "fmBookmark.Encoding", ""));
    ComboEncoding->setCurrentIndex(encoding < 0 ? 0 : encoding);
    EditIPAddress->setText(Registry::ReadText(s, "fmBookmark.IPAddress", ""));
    EditPort->setText(Registry::ReadText(s, "fmBookmark.Port", ""));
    EditSysDir->setText(Registry::ReadText(s, "fmBookmark.SysDir", EditSysDir->text()));
    EditEditor->setText(Registry::ReadText(s, "fmBookmark.Editor", EditEditor->text()));
    EditLinkDir->setText(Registry::ReadText(s, "fmBookmark.LinkDir", EditLinkDir->text()));
    EditHistoryLimit->setText(QString::number(
        Registry::ReadInteger(s, "fmBookmark.HistoryLimit", 500, 0, 1 << 20)));
}

void TFormBookmark::SaveSettings() {
    const char* w = kWindowSection;
    const char* s = kSettingSection;
    Registry::WriteInteger(w, "fmBookmark.Left", x());
    Registry::WriteInteger(w, "fmBookmark.Top", y());
    Registry::WriteText(w, "fmBookmark.Bookmark1", EditBookmark1->text());
    Registry::WriteText(w, "fmBookmark.Bookmark2", EditBookmark2->text());
    Registry::WriteText(w, "fmBookmark.IE1", EditIE1->text());
    Registry::WriteText(w, "fmBookmark.IE2", EditIE2->text());
    Registry::WriteText(w, "fmBookmark.MaxURL", EditMaxURL->text());
    Registry::WriteInteger(s, "fmBookmark.HistoryLimit",
                           static_cast<int>(HistoryLimitBytes() >> 20));
    // The command line keeps its versions within the same total.
    StoreHistoryLimit(HistoryDirectory(), HistoryLimitBytes());
    const QString bookmark = EditBookmark1->text();
    Registry::WriteText(
        w, "fmBookmark.InitialDir",
        bookmark.isEmpty() ? QString() : QDir::toNativeSeparators(QFileInfo(bookmark).path()));
    Registry::WriteInteger(w, "fmBookmark.RaBrowser", RadioBrowser->ItemIndex());
    Registry::WriteInteger(w, "fmBookmark.RaBrowser2", RadioBrowser2->ItemIndex());
    Registry::WriteInteger(w, "fmBookmark.RadioNavigate", RadioNavigate->ItemIndex());
    Registry::WriteInteger(w, "fmBookmark.RadioHonbun", RadioHonbun->ItemIndex());
    Registry::WriteInteger(w, "fmBookmark.RadioList", RadioList->ItemIndex());
    Registry::WriteCheck(s, "fmBookmark.CkChoufuku", CheckChoufuku->isChecked());
    Registry::WriteCheck(s, "fmBookmark.CkUwagaki", CheckUwagaki->isChecked());
    Registry::WriteCheck(s, "fmBookmark.CkShoujun", CheckShoujun->isChecked());
    Registry::WriteCheck(s, "fmBookmark.CkEmpty", CheckEmpty->isChecked());
    Registry::WriteCheck(s, "fmBookmark.CkUtf8", CheckUtf8->isChecked());
    Registry::WriteText(
        s, "fmBookmark.Encoding",
        ComboEncoding->currentIndex() <= 0 ? QString() : ComboEncoding->currentText());
    Registry::WriteCheck(s, "fmBookmark.CkProxy", CheckProxy->isChecked());
    Registry::WriteCheck(s, "fmBookmark.CkControl", CheckControl->isChecked());
    Registry::WriteText(s, "fmBookmark.IPAddress", EditIPAddress->text());
    Registry::WriteText(s, "fmBookmark.Port", EditPort->text());
    Registry::WriteText(s, "fmBookmark.SysDir", EditSysDir->text());
    Registry::WriteText(s, "fmBookmark.Editor", EditEditor->text());
    Registry::WriteText(s, "fmBookmark.LinkDir", EditLinkDir->text());
    Registry::Sync();
}

void TFormBookmark::closeEvent(QCloseEvent* event) {
    SaveSettings();
    event->accept();
}

void TFormBookmark::SetupEditionPages() {
    if (EditBookmark1->text().isEmpty()) {
        EditBookmark1->setText(
            OtherProgramValue("Netscape\\Netscape Navigator\\Bookmark List", "File Location"));
    }
    if (EditIE1->text().isEmpty()) {
        QString favorites = OtherProgramValue(
            "Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Favorites");
        // A system that keeps no such value still knows the folder.
        if (favorites.isEmpty()) favorites = QString::fromStdString(DefaultFavoritesDirectory());
        EditIE1->setText(favorites);
    }
    for (QWidget* page : {TabBrowser, TabList, TabDebug, TabNetwork, TabOther}) {
        PageControl->setTabVisible(PageControl->indexOf(page), false);
    }
    CheckShoujun->setChecked(true);
    RadioList->SetItemIndex(4);
}

bool TFormBookmark::CheckSystemDirectory(const std::function<void(const QString&)>& showMessage) {
    glSysDir = EditSysDir->text();
    // Without a system directory the URL lists go below the user's data directory, never to
    // the root of the disk.
    const QString base = glSysDir.isEmpty()
                             ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                             : glSysDir;
    glSysUrlDir = QDir(base).filePath("URL");
    if (QFileInfo(glSysUrlDir).isDir()) return true;
    if (glSysDir.isEmpty()) QDir().mkpath(base);
    if (QDir().mkdir(glSysUrlDir)) return true;
    if (showMessage) showMessage("システムディレクトリが設定されていません");
    show();
    return false;
}

std::string TFormBookmark::MaxUrlText() const { return EditMaxURL->text().toStdString(); }
bool TFormBookmark::SkipDuplicateUrls() const { return CheckChoufuku->isChecked(); }
bool TFormBookmark::NoEmptyFolders() const { return CheckEmpty->isChecked(); }

std::string TFormBookmark::FallbackEncoding() const {
    // The first item, 自動, is the automatic rule.
    return ComboEncoding->currentIndex() <= 0 ? std::string()
                                              : ComboEncoding->currentText().toStdString();
}
bool TFormBookmark::DebugCheck() const { return CheckDebug->isChecked(); }
void TFormBookmark::SetDebugCheck(bool on) { CheckDebug->setChecked(on); }
bool TFormBookmark::NoOverwriteQuestion() const { return CheckUwagaki->isChecked(); }
bool TFormBookmark::SaveInUtf8() const { return CheckUtf8->isChecked(); }

std::string TFormBookmark::HistoryDirectory() const { return VersionHistory::DefaultRoot(); }

std::uint64_t TFormBookmark::HistoryLimitBytes() const {
    bool ok = false;
    const qlonglong megabytes = EditHistoryLimit->text().trimmed().toLongLong(&ok);
    if (!ok || megabytes < 0 || megabytes > (1 << 20)) return kDefaultHistoryLimit;
    return static_cast<std::uint64_t>(megabytes) << 20;
}

SourceKind TFormBookmark::StartupSourceKind() const {
    if (startupOverride_) return startupOverride_->kind;
    return RadioBrowser->ItemIndex() == 0 ? SourceKind::BookmarkFile
                                          : SourceKind::Favorites;
}

std::string TFormBookmark::StartupBookmarkFile() const {
    if (startupOverride_) return startupOverride_->path;
    return EditBookmark1->text().toStdString();
}

std::string TFormBookmark::StartupFavoritesDirectory() const {
    if (startupOverride_) return startupOverride_->path;
    return EditIE1->text().toStdString();
}

void TFormBookmark::SetStartupBookmarkFile(const std::string& path) {
    EditBookmark1->setText(QString::fromStdString(path));
}

void TFormBookmark::SetStartupFavoritesDirectory(const std::string& path) {
    EditIE1->setText(QString::fromStdString(path));
}

std::string TFormBookmark::AdditionalBookmarkFile() const {
    return EditBookmark2->text().toStdString();
}

void TFormBookmark::SetAdditionalBookmarkFile(const std::string& path) {
    EditBookmark2->setText(QString::fromStdString(path));
}

std::string TFormBookmark::AdditionalFavoritesDirectory() const {
    return EditIE2->text().toStdString();
}

}  // namespace pernard::ui
