#include "ui/sync/SyncRunner.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QThread>
#include <memory>

#include "sync/LiveRootReplica.h"
#include "sync/SyncState.h"
#include "ui/tools/PopMessage.h"
#include "webdav/CurlWebDav.h"

namespace pernard::ui {

namespace {

// Whether the window is between a user's actions: no dialog, menu or drag open, and no edit
// halfway (a long one shows its note, which lets events through while the edit holds rows).
bool QuietMoment() {
    if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr ||
        QGuiApplication::mouseButtons() != Qt::NoButton) {
        return false;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<TFormMessage*>(window) != nullptr && window->isVisible()) return false;
    }
    return true;
}

// How long a stopped run waits for a quiet moment before it leaves the local write undone (the
// next run brings the server's result in).
constexpr int kStoppedWaitMs = 5000;

// The live root, read and written on the user-interface thread while the run's thread waits.
class ThreadedReplica : public sync::LocalReplica {
public:
    ThreadedReplica(sync::LiveRootReplica& live, QObject* uiObject,
                    const std::function<void(const std::function<void()>&)>& asTableChange,
                    const std::atomic<bool>& stop)
        : live_(live), uiObject_(uiObject), asTableChange_(asTableChange), stop_(stop) {}

    bool KnownUnchanged() override {
        bool unchanged = false;
        OnUiThread([&] { unchanged = live_.KnownUnchanged(); });
        return unchanged;
    }

    bool Read(sync::LocalTree& tree, std::string& error) override {
        bool ok = false;
        OnUiThread([&] { ok = live_.Read(tree, error); });
        return ok;
    }

    bool Write(const sync::LocalTree& before, const sync::MergeResult& result,
               std::string& error) override {
        bool ok = false;
        // Never while a dialog, a question, a menu or a drag is open: the window's code there
        // holds rows and nodes across it, which a changed root would turn into other entries.
        // The server holds the result already: the write waits as long as the run goes on. A run
        // stopped (the window closing) gives it up after a while: the server's file then holds
        // the result, and the next run brings it in.
        int stoppedFor = 0;
        for (bool written = false; !written;) {
            OnUiThread([&] {
                if (!QuietMoment()) return;
                asTableChange_([&] { ok = live_.Write(before, result, error); });
                written = true;
            });
            if (written) break;
            if (stop_.load() && (stoppedFor += 200) > kStoppedWaitMs) {
                error = "同期を中止したため、サーバーの内容は次の同期で取り込みます";
                return false;
            }
            QThread::msleep(200);
        }
        return ok;
    }

private:
    void OnUiThread(const std::function<void()>& call) {
        if (QThread::currentThread() == uiObject_->thread()) {
            call();
            return;
        }
        QMetaObject::invokeMethod(uiObject_, call, Qt::BlockingQueuedConnection);
    }

    sync::LiveRootReplica& live_;
    QObject* uiObject_;
    const std::function<void(const std::function<void()>&)>& asTableChange_;
    const std::atomic<bool>& stop_;
};

}  // namespace

SyncRunner::SyncRunner(BmLogic& model,
                       std::function<void(const std::function<void()>&)> asTableChange,
                       QObject* parent)
    : QObject(parent), model_(model), asTableChange_(std::move(asTableChange)) {}

SyncRunner::~SyncRunner() {
    Stop();
    Wait();
}

bool SyncRunner::Start(NodeRef root, const sync::SyncLink& link, const std::string& password,
                       std::optional<sync::EditMark> agreed, SyncWork work,
                       std::function<void(const SyncOutcome&)> done) {
    if (running_) return false;
    if (thread_.joinable()) thread_.join();
    running_ = true;
    stop_.store(false);
    root_ = root;
    done_ = std::move(done);
    WebDavSettings settings;
    settings.folderUrl = link.folderUrl;
    settings.user = link.user;
    settings.password = password;
    const std::string stateDirectory =
        sync::SyncStateStore::DefaultDirectory(link.localPath, link.SharedUrl());
    auto live = std::make_shared<sync::LiveRootReplica>(model_, root, agreed);
    thread_ = std::thread([this, settings, stateDirectory, live, work = std::move(work)] {
        SyncOutcome outcome;
        {
            CurlWebDav server(settings);
            sync::SyncStateStore store(stateDirectory);
            ThreadedReplica replica(*live, this, asTableChange_, stop_);
            outcome.reports = work(server, store, replica, stop_);
        }
        outcome.editedMeanwhile = live->EditedMeanwhile();
        outcome.meanwhileConflicts = live->MeanwhileConflicts();
        outcome.leftAt = live->LeftAt();
        QMetaObject::invokeMethod(this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
    });
    return true;
}

void SyncRunner::Finish(const SyncOutcome& outcome) {
    if (thread_.joinable()) thread_.join();
    running_ = false;
    root_ = {};
    auto done = std::move(done_);
    done_ = nullptr;
    if (done) done(outcome);
}

void SyncRunner::Wait() {
    while (running_) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    if (thread_.joinable()) thread_.join();
}

void RunResponsive(const std::function<void()>& work) {
    std::atomic<bool> finished{false};
    std::thread thread([&] {
        work();
        finished.store(true);
    });
    while (!finished.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    thread.join();
}

}  // namespace pernard::ui
