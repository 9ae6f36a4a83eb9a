#include "ui/app/QtPorts.h"
#include "ui/widgets/QtText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QUrl>
#include <algorithm>

#include "ui/tools/BmCheckLog.h"
#include "ui/dialogs/BmDirectory.h"
#include "ui/dialogs/Bookmark.h"
#include "ui/app/Icons.h"
#include "ui/tools/Memo.h"

namespace pernard::ui {

namespace {
const QString kHtmlFilter = "HTML ファイル (*.htm *.html)";
// A browser's store: Chromium's Bookmarks file has no extension.
const QString kStoreFilter = "Bookmarks / places.sqlite (Bookmarks *.sqlite);;すべてのファイル (*)";
// The settings window's: bookmark files, and the editor program.
const QString kSettingsFilter = "HTML(*.htm *.html);;EXE (*.exe)";

}  // namespace

namespace {
QString& TitleStore() {
    static QString title;
    return title;
}
}  // namespace

QString ApplicationTitle() { return TitleStore(); }
void SetApplicationTitle(const QString& title) { TitleStore() = title; }

bool DesktopBrowser::Open(const QString& address) {
    QUrl url(address);
    if (url.scheme().isEmpty()) url = QUrl::fromUserInput(address);
    return QDesktopServices::openUrl(url);
}

namespace {

// A question mark drawn for the screen's pixel ratio: the style's own is a 32-pixel image,
// scaled and blurred on a screen of 200 %.
void SetCrispQuestionIcon(QMessageBox& box) {
    const int size = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    box.setIconPixmap(QuestionImage().pixmap(QSize(size, size), box.devicePixelRatioF()));
    // A screen reader says what the picture says.
    if (auto* icon = box.findChild<QLabel*>("qt_msgboxex_icon_label")) {
        icon->setAccessibleName("質問");
    }
}

}  // namespace

void MessageBoxPrompts::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), Text(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    // Messages hold names and paths: shown as they stand, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

Answer MessageBoxPrompts::Confirm(const std::string& text, Buttons buttons) {
    QMessageBox box(QMessageBox::Question, "確認", Text(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    SetCrispQuestionIcon(box);
    QPushButton* yes = box.addButton("はい(&Y)", QMessageBox::YesRole);
    QPushButton* no =
        buttons == Buttons::YesCancel ? nullptr : box.addButton("いいえ(&N)", QMessageBox::NoRole);
    const bool twoButtons = buttons == Buttons::YesNo || buttons == Buttons::YesNoDefaultNo;
    if (!twoButtons) box.addButton("キャンセル", QMessageBox::RejectRole);
    box.setDefaultButton(buttons == Buttons::YesNoDefaultNo ? no : yes);
    box.exec();
    if (box.clickedButton() == yes) return Answer::Yes;
    if (no != nullptr && box.clickedButton() == no) return Answer::No;
    // キャンセル, or closing the box, counts as the last button.
    return twoButtons ? Answer::No : Answer::Cancel;
}

void StatusPanels::SetPanel(int panel, const std::string& text) {
    if (panel == 0 || panel == 1) panels_[panel]->setText(Text(text));
}

QString StatusPanels::Panel(int panel) const {
    return (panel == 0 || panel == 1) ? panels_[panel]->text() : QString();
}

void WindowDiagnostics::ClearMemo() { memo_->ClearLines(); }
void WindowDiagnostics::AppendMemo(const std::string& line) {
    memo_->AppendLine(Text(line));
}
void WindowDiagnostics::ShowMemo() { memo_->show(); }
void WindowDiagnostics::ClearReadingLog() { settings_->MemoLog->clear(); }
void WindowDiagnostics::AppendReadingLog(const std::string& line) {
    settings_->MemoLog->appendPlainText(Text(line));
}
void WindowDiagnostics::ClearBookmarkList() { settings_->ListBookMark->clear(); }
void WindowDiagnostics::AppendBookmarkList(const std::string& line) {
    settings_->ListBookMark->addItem(Text(line));
}
void WindowDiagnostics::SetFileComment(const std::string& text) {
    settings_->EditComment->setText(Text(text));
}
void WindowDiagnostics::SetFileTitle(const std::string& text) {
    settings_->EditTitle->setText(Text(text));
}
void WindowDiagnostics::SetFileHeading(const std::string& text) {
    settings_->EditH1->setText(Text(text));
}
void WindowDiagnostics::ClearCheckLog() { log_->MemoLog->clear(); }
void WindowDiagnostics::ReportSaveWarning(const std::string& line) {
    AppendCheckLog(line);
    ShowCheckLog();
}

void WindowDiagnostics::AppendCheckLog(const std::string& line) {
    log_->MemoLog->AppendLine(Text(line));
}
void WindowDiagnostics::AppendCheckLogLines(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) shown << Text(line);
    log_->MemoLog->AppendLines(shown);
}
void WindowDiagnostics::SetCheckLogStatus(const std::string& text) {
    log_->StatusBar->showMessage(Text(text));
}
void WindowDiagnostics::ShowCheckLog() {
    log_->show();
    log_->raise();
}

namespace {

// Qt's own file dialog dates a file in the system's locale, which is English where the system
// names none: the dates are shown as the program shows dates, whatever the system.
class JapaneseFileDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        constexpr int kDateColumn = 3;
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || index.column() != kDateColumn || files == nullptr) {
            return QIdentityProxyModel::data(index, role);
        }
        return files->lastModified(mapToSource(index)).toString("yyyy/MM/dd HH:mm");
    }
};

// Runs a file dialog; the chosen file, or an empty text. Qt's own dialog (where the system
// has none) is made wide enough for its columns, which follow what they show.
QString RunFileDialog(QFileDialog& dialog) {
    if (dialog.findChild<QTreeView*>("treeView") != nullptr) {
        dialog.setProxyModel(new JapaneseFileDates(&dialog));
    }
    if (auto* view = dialog.findChild<QTreeView*>("treeView")) {
        dialog.resize(std::max(dialog.width(), 680), std::max(dialog.height(), 420));
        QHeaderView* header = view->header();
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column) {
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

bool WindowDialogs::ChooseFile(const std::string& initial, const QString& filter, bool save,
                               std::string& chosen) {
    QFileDialog dialog(owner_, QString(), Text(initial), filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save) dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("htm");
    const QString file = RunFileDialog(dialog);
    chosen = file.toStdString();
    return !file.isEmpty();
}

bool WindowDialogs::OpenBookmarkFile(const std::string& initialFile, std::string& chosen) {
    return ChooseFile(initialFile, kHtmlFilter, false, chosen);
}

bool WindowDialogs::OpenStoreFile(const std::string& initialFile, std::string& chosen) {
    return ChooseFile(initialFile, kStoreFilter, false, chosen);
}

int WindowDialogs::ChooseFromList(const std::string& title, const std::vector<std::string>& items) {
    QStringList texts;
    for (const std::string& item : items) texts << Text(item);
    bool picked = false;
    const QString choice =
        QInputDialog::getItem(owner_, Text(title), Text(title), texts, 0, false, &picked);
    return picked ? static_cast<int>(texts.indexOf(choice)) : -1;
}

bool WindowDialogs::OpenSettingsFile(const std::string& initialFile, std::string& chosen) {
    return ChooseFile(initialFile, kSettingsFilter, false, chosen);
}

bool WindowDialogs::SaveBookmarkFile(const std::string& initialDirectory, std::string& chosen) {
    return ChooseFile(initialDirectory, kHtmlFilter, true, chosen);
}

bool WindowDialogs::ChooseDirectory(const std::string& initialDirectory, std::string& chosen) {
    if (!chooser_->Choose(Text(initialDirectory))) return false;
    chosen = QDir::fromNativeSeparators(chooser_->EditFavor->text()).toStdString();
    return !chosen.empty();
}

}  // namespace pernard::ui
