#pragma once
// The link-check engine window ("ＨＴＴＰ 取得"): what a run fetches and how (target, parallel
// requests, pacing, time-out, the request headers), the run's log, its results to act on and
// its status panels.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <array>

#include "ui/widgets/PersistentWindow.h"

namespace pernard::ui {

inline constexpr int kHttpPanels = 9;

class CheckResultList;

class TFormHTTP : public PersistentWindow {
    Q_OBJECT
public:
    explicit TFormHTTP(QWidget* parent = nullptr);

    void SetPanel(int panel, const QString& text);
    QString Panel(int panel) const;
    void Log(const QString& line);

    QComboBox* ComboTarget;  // 0 "Header", 1 "Body"
    QLineEdit *EditThread, *EditPriority, *EditInterval, *EditTimeOut;
    QLineEdit *EditCookie, *EditEMail, *EditLocalProgram, *EditReferer, *EditUserID, *EditPassword;
    QPlainTextEdit* MemoLog;
    CheckResultList* Results;  // the results of the last run, to act on
    QStatusBar* StatusBar;
    QAction* ArBody1;  // opens the runner window

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::array<QLabel*, kHttpPanels> panels_{};
};

}  // namespace pernard::ui
