#pragma once
// 以前の版: the earlier versions of the selected root's source, newest first, with what each
// differs from the source as it is now, and the two things a user does with one: 開く (read it
// as another root, to copy from) and 元に戻す (put it back).

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <vector>

#include "commands/HistoryCommands.h"

namespace pernard::ui {

class TFormVersions : public QDialog {
    Q_OBJECT
public:
    // What the dialog ended with (its result): a version to open or to put back.
    enum Choice { Closed = QDialog::Rejected, Open = 2, Restore = 3 };
    // How a version differs from the target now, computed when the user first selects it.
    using Differ = std::function<std::optional<VersionDifference>(const KeptVersion&, std::string&)>;

    explicit TFormVersions(QWidget* parent = nullptr);

    // Shows the versions of `target`; `skipped` are the history's messages about files it did
    // not trust.
    void Show(const std::string& target, std::vector<KeptVersion> versions,
              const std::vector<std::string>& skipped, Differ differ);
    // The version selected; nullptr when none is.
    const KeptVersion* Selected() const;

    QLabel* LabelTarget;
    QTreeWidget* ListVersions;  // 番号, 日時, サイズ, ブックマーク, フォルダー, 今との違い
    QLabel* LabelDifference;
    QPushButton* BtDifferences;  // 違いの一覧: shows or hides MemoDifferences
    QPlainTextEdit* MemoDifferences;
    QLabel* LabelSkipped;
    QPushButton *BtOpen, *BtRestore, *BtClose;

private:
    void SelectionChanged();
    const VersionDifference* DifferenceOf(int row);

    std::vector<KeptVersion> versions_;
    std::vector<std::optional<VersionDifference>> differences_;
    std::vector<QString> errors_;
    Differ differ_;
};

}  // namespace pernard::ui
