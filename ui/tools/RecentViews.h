#pragma once
// 最近追加 and 最近訪問: a window listing the hundred bookmarks most recently added or visited
// across every root, newest first, with the date and the folder each is in. A click takes the
// main window to the entry, as a search hit does; Enter or a double click opens it in the
// browser.

#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <vector>

#include "model/BmLogic.h"
#include "model/Recent.h"
#include "ui/widgets/EntryRowsModel.h"
#include "ui/widgets/PersistentWindow.h"

namespace pernard::ui {

// The window's lines: one bookmark each (ui/widgets/EntryRowsModel.h), with its date and its
// folder.
class RecentModel : public EntryRowsModel {
    Q_OBJECT
public:
    RecentModel(const BmLogic& model, QObject* parent = nullptr);

    void SetEntries(std::vector<NodeRef> entries, RecentBy by);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    RecentBy by_ = RecentBy::Added;
};

class TFormRecent : public PersistentWindow {
    Q_OBJECT
public:
    // `showEntry` takes the main window to an entry; `openEntry` opens it in the browser.
    TFormRecent(const BmLogic& model, std::function<void(const NodeRef&)> showEntry,
                std::function<void(const NodeRef&)> openEntry, QWidget* parent = nullptr);

    // Lists the bookmarks of that kind afresh and shows the window in front.
    void ShowView(RecentBy by);
    // Lists them afresh (after the collection changed), when the window is open.
    void Relist();
    // Relist once the events waiting now are handled: many changes in a row relist once.
    void RelistSoon();
    RecentBy By() const { return by_; }

    QTreeView* ListRecent;
    RecentModel* Lines;
    QStatusBar* StatusBar;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowLine(const QModelIndex& line);
    void OpenLine(const QModelIndex& line);

    const BmLogic& model_;
    std::function<void(const NodeRef&)> showEntry_;
    std::function<void(const NodeRef&)> openEntry_;
    RecentBy by_ = RecentBy::Added;
    QTimer relistTimer_;
};

}  // namespace pernard::ui
