#pragma once
// The dialogs of tags and descriptions: an entry's tags and description (タグと説明), and the
// tags to add to or remove from many bookmarks at once.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace pernard::ui {

class TFormNotes : public QDialog {
    Q_OBJECT
public:
    explicit TFormNotes(QWidget* parent = nullptr);

    // Shows an entry's name, tags and description; `tagged` false (a folder or a root) leaves
    // the tags alone.
    void ShowEntry(const QString& name, const QString& tags, const QString& description,
                   bool tagged);

    QLabel* LabelEntry;
    QLineEdit* EditTags;
    QPlainTextEdit* MemoDescription;
    QPushButton *ButtonOk, *ButtonCancel;
};

class TFormTagInput : public QDialog {
    Q_OBJECT
public:
    explicit TFormTagInput(QWidget* parent = nullptr);

    // Asks for tags to add (or remove) on `count` bookmarks.
    void Ask(bool add, int count);

    QLabel* LabelPrompt;
    QLineEdit* EditTags;
    QPushButton *ButtonOk, *ButtonCancel;
};

}  // namespace pernard::ui
