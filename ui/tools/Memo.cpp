#include "ui/tools/Memo.h"

#include <QMenuBar>
#include <QTextDocument>
#include <algorithm>
#include <QVBoxLayout>

#include "ui/widgets/PersistentWindow.h"
#include "ui/app/Registry.h"

namespace pernard::ui {

namespace {
// The memo keeps at most this many lines, however much is written into it.
constexpr int kMemoLineLimit = 5000;
}  // namespace

TFormMemo::TFormMemo(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("TFormMemo");
    setWindowTitle("Memo");
    resize(452, 335);
    RestoreGeometry(this, "fmMemo", true);  // read here, never written back
    CloseWithEscape(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* menu = new QMenuBar(this);
    menu->addAction("閉じる(&C)", this, &QWidget::close);
    layout->setMenuBar(menu);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setPlainText("Memo1");
    Memo1->setMaximumBlockCount(kMemoLineLimit);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(Memo1);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    layout->addWidget(StatusBar);
}

void TFormMemo::AppendLine(const QString& line) {
    if (isVisible()) {
        Memo1->appendPlainText(line);
        return;
    }
    waiting_.append(line);
    // Only the last lines would stay in the memo.
    if (waiting_.size() > kMemoLineLimit) waiting_.removeFirst();
}

void TFormMemo::ClearLines() {
    waiting_.clear();
    Memo1->clear();
}

int TFormMemo::LineCount() const {
    const int shown = Memo1->document()->isEmpty() ? 0 : Memo1->blockCount();
    return std::min(kMemoLineLimit, shown + static_cast<int>(waiting_.size()));
}

void TFormMemo::showEvent(QShowEvent* event) {
    ShowWaitingLines();
    QWidget::showEvent(event);
}

void TFormMemo::ShowWaitingLines() {
    if (waiting_.isEmpty()) return;
    Memo1->appendPlainText(waiting_.join('\n'));
    waiting_.clear();
}

}  // namespace pernard::ui
