#include "ui/dialogs/BmDirectory.h"

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStorageInfo>
#include <algorithm>

#include "ui/widgets/PersistentWindow.h"
#include "ui/app/Registry.h"

namespace pernard::ui {

TFormDirectory::TFormDirectory(std::function<bool(const QString&)> confirm, QWidget* parent)
    : QDialog(parent), confirm_(std::move(confirm)) {
    setObjectName("TFormDirectory");
    setWindowTitle("ディレクトリ選択");

    auto* menu = new QMenuBar(this);
    menu->addAction("閉じる(&C)", this, &QDialog::accept);
    menu->addAction("キャンセル(&E)", this, &QDialog::reject);

    directories_ = new QFileSystemModel(this);
    directories_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    directories_->setRootPath(QDir::rootPath());
    files_ = new QFileSystemModel(this);
    files_->setFilter(QDir::Files | QDir::Hidden | QDir::System);
    files_->setNameFilterDisables(false);

    DirListBox = new QTreeView(this);
    DirListBox->setObjectName("DirListBox");
    DirListBox->setAccessibleName("フォルダー");
    DirListBox->setModel(directories_);
    for (int column = 1; column < directories_->columnCount(); ++column)
        DirListBox->hideColumn(column);
    DirListBox->setHeaderHidden(true);
    DirListBox->installEventFilter(this);
    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName("DriveComboBox1");
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) DriveComboBox1->addItem(volume.rootPath());
    }
    FileListBox1 = new QListView(this);
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->setAccessibleName("ファイル");
    FileListBox1->setModel(files_);
    FileListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    FileEdit = new QLineEdit("*.*", this);
    FileEdit->setObjectName("FileEdit");
    FilterComboBox1 = new QComboBox(this);
    FilterComboBox1->setObjectName("FilterComboBox1");
    FilterComboBox1->addItem("すべてのファイル (*)", "*");
    EditFavor = new QLineEdit(this);
    EditFavor->setObjectName("EditFavor");
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");

    auto* grid = new QGridLayout(this);
    grid->setMenuBar(menu);
    grid->addWidget(new QLabel("＜対象ディレクトリ＞", this), 0, 0);
    grid->addWidget(new QLabel("＜対象ファイル＞", this), 0, 1);
    grid->addWidget(DirListBox, 1, 0, 2, 1);
    grid->addWidget(FileListBox1, 1, 1);
    grid->addWidget(FileEdit, 2, 1);
    grid->addWidget(DriveComboBox1, 3, 0);
    grid->addWidget(FilterComboBox1, 3, 1);
    grid->addWidget(EditFavor, 4, 0, 1, 2);
    grid->addWidget(StatusBar, 5, 0, 1, 2);
    grid->setRowStretch(1, 1);

    connect(
        DirListBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current) { DirectoryChanged(directories_->filePath(current)); });
    connect(DirListBox, &QTreeView::clicked, this,
            [this] { StatusBar->showMessage(QDir::toNativeSeparators(directory_)); });
    connect(DriveComboBox1, &QComboBox::textActivated, this,
            [this](const QString& root) { SetDirectory(root); });
    connect(FileListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { FileEdit->setText(files_->fileName(current)); });
    connect(FileEdit, &QLineEdit::returnPressed, this, [this] { FileEditEnter(); });
    connect(FileListBox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction("削除", this, [this] { DeleteSelectedFile(); });
        menu.exec(FileListBox1->viewport()->mapToGlobal(at));
    });
    // The directory list's "リフレッシュ" reads the file list again.
    DirListBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DirListBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction("リフレッシュ", this, [this] { RefreshFiles(); })->setObjectName("Refresh");
        menu.exec(DirListBox->viewport()->mapToGlobal(at));
    });

    // The directory it opens at is listed when the chooser is first shown: listed here, a large
    // directory held up the program's start.
    const QString saved =
        Registry::ReadText(kWindowSection, "fmDirect.Directory", QDir::currentPath());
    startDirectory_ = QFileInfo(saved).isDir() ? saved : QDir::currentPath();
    // Resizable, at its designed size (grown only as far as the fonts need) until the user
    // gives it another, which is kept.
    for (QComboBox* box : {DriveComboBox1, FilterComboBox1}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(8);
    }
    setSizeGripEnabled(true);
    resize(QSize(324, 354).expandedTo(minimumSizeHint()));
    RestoreGeometry(this, "fmDirect", true, parent);
}

QString TFormDirectory::Directory() const {
    return directory_.isEmpty() ? startDirectory_ : directory_;
}

void TFormDirectory::showEvent(QShowEvent* event) {
    if (directory_.isEmpty()) SetDirectory(startDirectory_);
    QDialog::showEvent(event);
}

void TFormDirectory::RefreshFiles() {
    // A model made anew lists the directory as it is now.
    auto* fresh = new QFileSystemModel(this);
    fresh->setFilter(files_->filter());
    fresh->setNameFilterDisables(false);
    fresh->setNameFilters(files_->nameFilters());
    FileListBox1->setModel(fresh);
    connect(FileListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { FileEdit->setText(files_->fileName(current)); });
    files_->deleteLater();
    files_ = fresh;
    FileListBox1->setRootIndex(files_->setRootPath(directory_));
}

void TFormDirectory::SetDirectory(const QString& path) {
    const QModelIndex index = directories_->index(path);
    if (!index.isValid()) return;
    DirListBox->setCurrentIndex(index);
    DirListBox->scrollTo(index);
    DirectoryChanged(directories_->filePath(index));
}

void TFormDirectory::DirectoryChanged(const QString& path) {
    if (path.isEmpty()) return;
    directory_ = path;
    EditFavor->setText(QDir::toNativeSeparators(path));
    FileListBox1->setRootIndex(files_->setRootPath(path));
    files_->setNameFilters({FileEdit->text().isEmpty() ? "*" : FileEdit->text()});
}

void TFormDirectory::FileEditEnter() {
    // A typed path: its directory part changes the directory, the rest becomes the mask.
    const QString typed = FileEdit->text();
    const QFileInfo info(QDir(directory_).filePath(typed));
    if (typed.contains('/') || typed.contains(QDir::separator())) SetDirectory(info.path());
    FileEdit->setText(info.fileName().isEmpty() ? "*.*" : info.fileName());
    files_->setNameFilters({FileEdit->text()});
}

void TFormDirectory::DeleteSelectedFile() {
    const QModelIndex current = FileListBox1->currentIndex();
    if (!current.isValid()) return;
    const QString path = files_->filePath(current);
    // Deleting a file cannot be undone: ask first.
    if (confirm_ && !confirm_(QDir::toNativeSeparators(path) + " を削除します")) return;
    const int row = current.row();
    const int top = FileListBox1->indexAt(QPoint(1, 1)).row();
    // Removed through the list's model, which drops the file from the list at once.
    if (!files_->remove(current)) return;
    // The top row is one further down than before, and the row number that was selected is
    // selected again when it still exists.
    const QModelIndex root = FileListBox1->rootIndex();
    const QModelIndex first = files_->index(std::max(top, 0) + 1, 0, root);
    if (first.isValid()) FileListBox1->scrollTo(first, QAbstractItemView::PositionAtTop);
    const QModelIndex again = files_->index(row, 0, root);
    if (again.isValid()) FileListBox1->setCurrentIndex(again);
}

bool TFormDirectory::Choose(const QString& start) {
    if (!start.isEmpty() && QFileInfo(start).isDir()) SetDirectory(start);
    return exec() == QDialog::Accepted;
}

bool TFormDirectory::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DirListBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormDirectory::SaveState() {
    SaveGeometry(this, "fmDirect", true);
    Registry::WriteText(kWindowSection, "fmDirect.Directory", Directory());
}

void TFormDirectory::done(int result) {
    SaveState();
    QDialog::done(result);
}

void TFormDirectory::closeEvent(QCloseEvent* event) {
    SaveState();
    QDialog::closeEvent(event);
}

}  // namespace pernard::ui
