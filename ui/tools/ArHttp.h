#pragma once
// The link-check runner window: for each of the eight requests in flight, the headers of its
// last answer (tab Header) and its body (tab Body).

#include <QPlainTextEdit>
#include <QTabWidget>
#include <array>

#include "ui/widgets/PersistentWindow.h"

namespace pernard::ui {

inline constexpr int kRunnerSlots = 8;

class TFormArHTTP : public PersistentWindow {
    Q_OBJECT
public:
    explicit TFormArHTTP(QWidget* parent = nullptr);
    // The memos of slot s (0 .. 7), as MemoHead(s+1) and MemoBody(s+1).
    QPlainTextEdit* MemoHead(int slot) const { return heads_[static_cast<std::size_t>(slot)]; }
    QPlainTextEdit* MemoBody(int slot) const { return bodies_[static_cast<std::size_t>(slot)]; }

    QTabWidget* PageControl1;
    QWidget* TabHeader;
    QWidget* TabBody;

private:
    std::array<QPlainTextEdit*, kRunnerSlots> heads_{};
    std::array<QPlainTextEdit*, kRunnerSlots> bodies_{};
};

}  // namespace pernard::ui
