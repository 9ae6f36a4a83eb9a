#pragma once
// A read-only log of lines that takes hundreds of thousands of lines at once: a list of
// strings rather than a text document, which would lay out every line as a paragraph.
// Lines can be selected and copied with Ctrl+C.

#include <QListView>
#include <QStringListModel>

namespace pernard::ui {

class LineLog : public QListView {
    Q_OBJECT
public:
    explicit LineLog(QWidget* parent = nullptr);
    void clear();
    void AppendLine(const QString& line);
    void AppendLines(const QStringList& lines);
    QStringList Lines() const { return lines_->stringList(); }
    // The lines joined by line breaks.
    QString toPlainText() const { return Lines().join('\n'); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringListModel* lines_;
};

}  // namespace pernard::ui
