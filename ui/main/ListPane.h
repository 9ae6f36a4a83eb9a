#pragma once
// The list side of the main window: which entry the list shows (a folder's children, or
// everything below it when expanded; a bookmark on its own), its caption, the rows it fills the
// list model with, the order a column's header gives the view, the rule the move buttons follow
// for the tree's entry, and the list's highlighted rows. The window keeps the commands; it tells
// the pane when to fill or follow, and the pane asks it through `Window` for what it does not own.

#include <QLabel>
#include <QModelIndex>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <string>
#include <vector>

#include "model/BmLogic.h"
#include "ui/tools/FiUrlList.h"
#include "ui/main/ListModel.h"

namespace pernard::ui {

struct CheckInfo;

class ListPane {
public:
    // What the pane needs of the main window.
    struct Window {
        std::function<bool()> clipPending;  // the list is frozen while a clip is
        std::function<bool()> treeShown;    // the tree is visible (the window is set up)
        std::function<int()> treeEntry;     // the tree's selected entry (-1: none)
        std::function<void(const QString&)> showPanel1;
        std::function<void(const QModelIndex&)> rowTaken;    // a row's highlight moved there
        std::function<void(const QModelIndex&)> rowPressed;  // as if the row were clicked
        std::function<const CheckInfo*(std::uint64_t serial)> checkInfo;
    };
    struct Controls {
        QTreeView* list;
        QLabel* caption;
        QStackedWidget* book;
        QToolButton* up;
        QToolButton* down;
        QToolButton* expand;  // ﾌｫﾙﾀﾞｰ展開: the list shows everything below its folder
    };

    ListPane(BmLogic& model, Window window);
    // The controls, once built; `rows` is the list's model, filled with RowOf.
    void SetControls(const Controls& controls, ListModel* rows);

    // --- what the list shows
    // Shows the tree's selected entry (nothing while a cut or copy is pending). The list is
    // filled only when it shows another entry, or when the tree changed what it lists since
    // it was filled; else it keeps its rows (and its view order), without a highlight.
    // `keepExpansion`: a list that shows everything below its folder goes on doing so while
    // the tree shows that folder (after an edit); otherwise only 展開 expands it.
    void Refresh(bool keepExpansion = false);
    // After a change of the table, while the window holds its handlers off: the rows whose
    // entries left what the list shows are dropped; when entries arrived in it, the next
    // Refresh fills it; when it was not touched, its rows are only repainted (their texts may
    // have changed).
    void Follow();
    // The row of an entry as the list shows it.
    ListRow RowOf(int entry) const;
    // The entry the list shows, and whether it lists everything below it.
    NodeRef Shown() const { return shown_; }
    bool ShowsExpanded() const { return expanded_; }
    // The folder the list shows (-1: none) and whether it lists everything below it.
    ListedFolder Listed() const;
    // The list's 備考 of an entry.
    std::string RemarkOf(int entry) const;
    // The shown entry is gone: the list and its caption are emptied.
    void ForgetShown();
    // Shows these rows, without the ones whose entries are gone, with the row of `above`
    // pressed (the list the user looked at before a delete); rows the delete dropped already
    // are not set again.
    void ShowAfterDelete(std::vector<NodeRef> shown, const NodeRef& above);
    // Disables the move buttons that cannot move the tree's entry `entry`.
    void ApplyMoveButtonRule(int entry);

    // --- the view's order (a column's header)
    // The rows in that column's order, again reversed; the collection is not changed.
    void HeaderClick(int column);
    // After the list was filled again: the same list keeps its view order, another drops it.
    void FollowOrder(bool sameList);
    // Whether `rows` are the rows listed before in another order.
    bool Reordered(const std::vector<NodeRef>& rows) const;

    // --- the highlighted rows
    // Their entries, in the list's order.
    std::vector<NodeRef> Selection() const;
    int SelectionCount() const;
    // Highlights the rows of these entries; `focus` becomes the current row when it is one of
    // them, else the first does.
    void SelectEntries(const std::vector<NodeRef>& entries, const NodeRef& focus = {});
    // The row that has the focus, when it is highlighted, and its entry; none otherwise (a row
    // that only has the focus is not what the list's commands act on).
    QModelIndex HighlightedIndex() const;
    NodeRef HighlightedRow() const;
    int HighlightedEntry() const;
    // No row stays highlighted.
    void ClearHighlight();
    // Ctrl or Shift is held: a press or a key extends the list's selection.
    static bool Extending();

private:
    // Takes what the tree touched since the pane last looked; true when entries arrived in
    // what the list shows (the list must be filled again). Rows that only left are dropped.
    bool TakeTouch();
    void DropRows(const std::function<bool(int entry)>& kept);
    // Whether the changes of these parents' children reach what the list shows.
    bool Reaches(const std::vector<NodeRef>& parents) const;
    void SortView(int column, bool descending);
    // The header's sort indicator as the list's view order is.
    void ShowOrder();

    BmLogic& model_;
    Window window_;
    Controls controls_{};
    ListModel* rows_ = nullptr;
    NodeRef shown_;          // the entry the list shows, by its node
    bool expanded_ = false;  // the list shows everything below its folder
    // The rows are what the shown entry lists now (its children, or everything below it).
    bool listed_ = false;
    std::vector<NodeRef> listedOrder_;  // the rows last listed, in the table's order
};

}  // namespace pernard::ui
