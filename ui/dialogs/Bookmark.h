#pragma once
// The settings window. Its controls hold the program's settings; the core reads them through
// the SettingsPort this window implements. Creating it loads the settings and runs the
// start-up set-up; closing it stores them.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <optional>

#include "model/Ports.h"

namespace pernard::ui {

// A group of radio buttons with an item index, -1 when no item is chosen.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent);
    int ItemIndex() const;
    void SetItemIndex(int index);
    QButtonGroup* Buttons() const { return buttons_; }

signals:
    void Clicked(int index);

private:
    QButtonGroup* buttons_;
};

// A source given on the command line, read at start-up instead of the configured one.
struct StartupOverride {
    SourceKind kind = SourceKind::BookmarkFile;
    std::string path;
};

class TFormBookmark : public QWidget, public SettingsPort {
    Q_OBJECT
protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // `setupEdition` runs at the end of the creation, after the settings were loaded.
    TFormBookmark(std::optional<StartupOverride> startupOverride,
                  std::function<void(TFormBookmark*)> setupEdition, QWidget* parent = nullptr);

    // --- SettingsPort
    std::string MaxUrlText() const override;
    bool SkipDuplicateUrls() const override;
    bool NoEmptyFolders() const override;
    std::string FallbackEncoding() const override;
    bool SaveInUtf8() const override;
    std::string HistoryDirectory() const override;
    std::uint64_t HistoryLimitBytes() const override;
    bool DebugCheck() const override;
    void SetDebugCheck(bool on) override;
    bool NoOverwriteQuestion() const override;
    SourceKind StartupSourceKind() const override;
    std::string StartupBookmarkFile() const override;
    std::string StartupFavoritesDirectory() const override;
    void SetStartupBookmarkFile(const std::string& path) override;
    void SetStartupFavoritesDirectory(const std::string& path) override;
    std::string AdditionalBookmarkFile() const override;
    void SetAdditionalBookmarkFile(const std::string& path) override;
    std::string AdditionalFavoritesDirectory() const override;

    void LoadSettings();
    void SaveSettings();
    // The settings window's part of the start-up set-up: defaults from other programs, the
    // pages of this edition, the fixed list order.
    void SetupEditionPages();
    // The directory for saved URL lists below the system directory; false (with the message
    // "システムディレクトリが設定されていません") when it cannot be made.
    bool CheckSystemDirectory(const std::function<void(const QString&)>& showMessage);
    QString glSysDir;
    QString glSysUrlDir;

    void RadioBrowserClick();
    void RadioBrowser2Click();
    void Button2Click();
    void SetChooser(DialogPort* dialogs) { dialogs_ = dialogs; }

    QTabWidget* PageControl;
    QWidget* TabBookmark;  // ﾌﾞｯｸﾏｰｸ、お気に入りの設定
    QWidget* TabOther;     // その他の設定
    QWidget* TabNetwork;   // ネットワーク
    QWidget* TabBrowser;   // ブラウザ
    QWidget* TabDebug;     // BookMark
    QWidget* TabList;      // List
    QPushButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6, *Button7, *Button8,
        *Button9;
    QLineEdit *EditBookmark1, *EditBookmark2, *EditIE1, *EditIE2, *EditMaxURL;
    QLineEdit* EditHistoryLimit;  // MB the earlier versions may take; 0 keeps none
    QComboBox* ComboEncoding;  // 文字コード
    QCheckBox* CheckUtf8;      // ブックマークファイルは UTF-8 で保存する
    QLineEdit *EditIPAddress, *EditPort, *EditSysDir, *EditEditor, *EditLinkDir;
    QLineEdit *EditComment, *EditTitle, *EditH1, *EditURL, *EditAdd, *EditVisit, *EditLast;
    QCheckBox *CheckChoufuku, *CheckUwagaki, *CheckShoujun, *CheckProxy, *CheckControl, *CheckEmpty,
        *CheckDebug, *CheckNoDelete;
    QCheckBox *CheckImage, *CheckVideo, *CheckBGM, *CheckScript, *CheckJava, *CheckActiveX,
        *CheckCashFile, *CheckCashNew, *CheckNoFrame, *CheckNoDialog;
    RadioGroup *RadioBrowser, *RadioBrowser2, *RadioNavigate, *RadioHonbun, *RadioList;
    QGroupBox* GroupSettei;
    QListWidget* ListBookMark;
    QPlainTextEdit* MemoLog;
    QStatusBar* StatusBar;
    QString InitialDir;  // the settings window's file dialog starts here

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A button that chooses a file or directory and, beside it, the field it fills.
    QPushButton* AddChooserRow(QGridLayout* grid, int row, const QString& buttonName,
                               const QString& caption, QLineEdit*& edit, const QString& editName);
    QWidget* BuildBookmarkPage();
    QWidget* BuildOtherPage();
    QWidget* BuildNetworkPage();
    QWidget* BuildBrowserPage();
    QWidget* BuildDebugPage();
    void ChooseFile(QLineEdit* target);
    void ChooseDirectory(QLineEdit* target);
    void CheckMaxUrlOnLeave();

    std::optional<StartupOverride> startupOverride_;
    DialogPort* dialogs_ = nullptr;
};

}  // namespace pernard::ui
