#include "ui/tools/RecentViews.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "ui/main/BoardMain.h"
#include "ui/app/Icons.h"
#include "model/Search.h"
#include "ui/widgets/QtText.h"
#include "util/Dates.h"

namespace pernard::ui {

namespace {

const char* Caption(RecentBy by) {
    return by == RecentBy::Added ? "最近追加したブックマーク" : "最近訪問したブックマーク";
}

}  // namespace

RecentModel::RecentModel(const BmLogic& model, QObject* parent) : EntryRowsModel(model, parent) {}

void RecentModel::SetEntries(std::vector<NodeRef> entries, RecentBy by) {
    ResetRows(std::move(entries), [&] { by_ = by; });
}

int RecentModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant RecentModel::data(const QModelIndex& index, int role) const {
    const int entry = EntryIndexAt(index);
    if (entry < 0) return {};
    const BmLogic& model = Model();
    if (role == Qt::DecorationRole && index.column() == 0) {
        const QIcon carried = CarriedIcon(model.ExtrasOf(entry));
        return carried.isNull() ? SmallImage(model.UrlImageIndex(entry)) : carried;
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    QString text;
    switch (index.column()) {
        case 0:
            text = Text(model.glName[entry]);
            break;
        case 1:
            text = Text(ShownDateTimeText(by_ == RecentBy::Added ? model.glAdd[entry]
                                                                 : model.glVisit[entry]));
            break;
        default:
            text = Text(FolderPathOf(model, entry));
            break;
    }
    if (role == Qt::ToolTipRole && index.column() == 0) {
        text += QLatin1Char('\n') + Text(model.glUrl[entry]);
    }
    return role == Qt::ToolTipRole ? QVariant(PlainToolTip(text)) : QVariant(text);
}

QVariant RecentModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0:
            return QString("名称");
        case 1:
            return QString(by_ == RecentBy::Added ? "登録日" : "訪問日");
        case 2:
            return QString("フォルダー");
    }
    return {};
}

TFormRecent::TFormRecent(const BmLogic& model, std::function<void(const NodeRef&)> showEntry,
                         std::function<void(const NodeRef&)> openEntry, QWidget* parent)
    : PersistentWindow("TFormRecent", Caption(RecentBy::Added), "fmRecent", parent,
                       QSize(560, 360)),
      model_(model),
      showEntry_(std::move(showEntry)),
      openEntry_(std::move(openEntry)) {
    QVBoxLayout* layout = FrameWithCloseMenu(4);
    Lines = new RecentModel(model_, this);
    ListRecent = new QTreeView(this);
    ListRecent->setObjectName("ListRecent");
    ListRecent->setAccessibleName("ブックマーク一覧");
    ShowAsRowList(ListRecent, Lines);
    ListRecent->setColumnWidth(0, 220);
    ListRecent->setColumnWidth(1, 130);
    ListRecent->installEventFilter(this);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    layout->addWidget(ListRecent, 1);
    layout->addWidget(StatusBar);

    connect(ListRecent, &QTreeView::clicked, this,
            [this](const QModelIndex& line) { ShowLine(line); });
    connect(ListRecent, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& line) { OpenLine(line); });
    relistTimer_.setSingleShot(true);
    relistTimer_.setInterval(0);
    connect(&relistTimer_, &QTimer::timeout, this, [this] { Relist(); });
}

void TFormRecent::RelistSoon() {
    if (isVisible() && !relistTimer_.isActive()) relistTimer_.start();
}

void TFormRecent::ShowView(RecentBy by) {
    by_ = by;
    setWindowTitle(Caption(by));
    ShowInFront(this);
    Relist();
    ListRecent->setFocus();
}

void TFormRecent::Relist() {
    if (!isVisible()) return;
    // The line that was current stays current when it is still listed.
    const NodeRef current = Lines->Entry(ListRecent->currentIndex().row());
    std::vector<NodeRef> entries;
    for (int entry : RecentEntries(model_, by_)) entries.push_back(model_.RefOf(entry));
    Lines->SetEntries(entries, by_);
    for (std::size_t line = 0; line < entries.size(); ++line) {
        if (entries[line] == current && current.node != nullptr) {
            ListRecent->setCurrentIndex(Lines->index(static_cast<int>(line), 0));
            break;
        }
    }
    StatusBar->showMessage(entries.empty() ? QString("該当なし ")
                                           : QString("%1 件").arg(entries.size()));
}

void TFormRecent::ShowLine(const QModelIndex& line) {
    const NodeRef entry = Lines->Entry(line.row());
    if (model_.IndexOf(entry) >= 0 && showEntry_) showEntry_(entry);
}

void TFormRecent::OpenLine(const QModelIndex& line) {
    const NodeRef entry = Lines->Entry(line.row());
    if (model_.IndexOf(entry) >= 0 && openEntry_) openEntry_(entry);
    // An opening is a visit: the visited list takes it in.
    if (by_ == RecentBy::Visited) Relist();
}

bool TFormRecent::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListRecent && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OpenLine(ListRecent->currentIndex());
            return true;
        }
    }
    return PersistentWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- the main window's side

void TFormMain::BuildRecentItems() {
    QMenu* view = findChild<QMenu*>("miViewMenu");
    auto addItem = [&](const QString& name, const QString& caption, void (TFormMain::*handler)()) {
        auto* item = new QAction(caption, view);
        item->setObjectName(name);
        items_[name] = item;
        connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        view->insertAction(Item("N6"), item);
    };
    addItem("RecentAdded1", "最近追加(&N)", &TFormMain::RecentAddedClick);
    addItem("RecentVisited1", "最近訪問(&I)", &TFormMain::RecentVisitedClick);
}

void TFormMain::RecentAddedClick() { ShowRecent(RecentBy::Added); }
void TFormMain::RecentVisitedClick() { ShowRecent(RecentBy::Visited); }

void TFormMain::ShowRecent(RecentBy by) {
    if (recent_ == nullptr) {
        recent_ = new TFormRecent(
            model_, [this](const NodeRef& entry) { ShowSearchHit(entry); },
            [this](const NodeRef& entry) {
                ShowSearchHit(entry);
                const int index = model_.IndexOf(entry);
                if (index >= 0) OpenInBrowser(Text(model_.glUrl[index]));
            },
            this);
        // The lists follow the collection once each change is complete.
        const auto relist = [recent = recent_] { recent->RelistSoon(); };
        connect(TreeItems, &QAbstractItemModel::rowsRemoved, recent_, relist);
        connect(TreeItems, &QAbstractItemModel::rowsInserted, recent_, relist);
        connect(TreeItems, &QAbstractItemModel::rowsMoved, recent_, relist);
        connect(TreeItems, &QAbstractItemModel::layoutChanged, recent_, relist);
        connect(TreeItems, &QAbstractItemModel::modelReset, recent_, relist);
        connect(TreeItems, &QAbstractItemModel::dataChanged, recent_, relist);
    }
    recent_->ShowView(by);
}

}  // namespace pernard::ui
