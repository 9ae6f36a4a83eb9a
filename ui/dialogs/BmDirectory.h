#pragma once
// The directory chooser: a directory tree, the files of the chosen directory with a mask, and
// the chosen directory as text (EditFavor), which may be typed over.

#include <QComboBox>
#include <QDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QStatusBar>
#include <QTreeView>
#include <functional>

namespace pernard::ui {

class TFormDirectory : public QDialog {
    Q_OBJECT
public:
    // `confirm` asks the user a yes/no question (used before deleting a file).
    explicit TFormDirectory(std::function<bool(const QString&)> confirm, QWidget* parent = nullptr);

    // Shows the chooser modally, starting at `start` when it is an existing directory.
    bool Choose(const QString& start);
    // The directory selected in the directory tree.
    QString Directory() const;
    void SetDirectory(const QString& path);

    QTreeView* DirListBox;
    QComboBox* DriveComboBox1;
    QListView* FileListBox1;
    QLineEdit* FileEdit;
    QComboBox* FilterComboBox1;
    QLineEdit* EditFavor;
    QStatusBar* StatusBar;

    void FileEditEnter();
    void DeleteSelectedFile();
    // リフレッシュ: lists the current directory's files again.
    void RefreshFiles();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DirectoryChanged(const QString& path);
    void SaveState();

    QFileSystemModel* directories_;
    QFileSystemModel* files_;
    QString directory_;       // the directory shown; empty until the chooser was first shown
    QString startDirectory_;  // where it opens
    std::function<bool(const QString&)> confirm_;
};

}  // namespace pernard::ui
