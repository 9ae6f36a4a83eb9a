#pragma once
// The dialogs of tags and descriptions: an entry's tags and description (タグと説明), and the
// tags to add to or remove from many bookmarks at once.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <utility>
#include <vector>
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

    // A tag the bookmarks carry, and how many of them carry it.
    using CarriedTag = std::pair<QString, int>;

    // Asks for tags to add to `count` bookmarks, typed; or to remove from them, ticked in a
    // list of the tags they carry.
    void Ask(bool add, int count, const std::vector<CarriedTag>& carried = {});
    // The tags typed (to add).
    QString TypedTags() const { return EditTags->text(); }
    // The places in `carried` of the tags ticked (to remove).
    std::vector<std::size_t> TickedTags() const;

    QLabel* LabelPrompt;
    QLineEdit* EditTags;
    QListWidget* ListTags;
    QPushButton *ButtonOk, *ButtonCancel;
};

}  // namespace pernard::ui
