#include "ui/tools/ArHttp.h"

#include <QVBoxLayout>

namespace pernard::ui {

TFormArHTTP::TFormArHTTP(QWidget* parent)
    : PersistentWindow("TFormArHTTP", "ArHTTP", "fmArHTTP", parent, QSize(500, 480)) {
    QVBoxLayout* layout = FrameWithCloseMenu(0);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    TabHeader = new QWidget(PageControl1);
    TabHeader->setObjectName("TabHeader");
    TabBody = new QWidget(PageControl1);
    TabBody->setObjectName("TabBody");
    PageControl1->addTab(TabHeader, "Header");
    PageControl1->addTab(TabBody, "Body");
    // Each tab stacks its eight memos from the top, each an eighth of the height.
    auto fill = [](QWidget* tab, const char* prefix, auto& memos) {
        auto* stack = new QVBoxLayout(tab);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(0);
        for (int slot = 0; slot < kRunnerSlots; ++slot) {
            auto* memo = new QPlainTextEdit(tab);
            memo->setObjectName(QString("%1%2").arg(prefix).arg(slot + 1));
            memo->setReadOnly(true);
            memo->setLineWrapMode(QPlainTextEdit::NoWrap);
            memo->setMinimumHeight(0);
            stack->addWidget(memo, 1);
            memos[static_cast<std::size_t>(slot)] = memo;
        }
    };
    fill(TabHeader, "MemoHead", heads_);
    fill(TabBody, "MemoBody", bodies_);
    layout->addWidget(PageControl1);
}

}  // namespace pernard::ui
