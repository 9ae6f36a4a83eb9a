#pragma once
// Runs syncs off the user-interface thread. The server's requests, the merge and the waiting
// happen on a thread of the run's own; the root is read and the merged collection put in place
// on the user-interface thread (as one table change of the window), so that the user goes on
// editing while a run talks to the server. One run at a time; a run can be stopped, and the
// runner waits for its run before it goes.

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "model/BmLogic.h"
#include "sync/LiveRootReplica.h"
#include "sync/LocalReplica.h"
#include "sync/SyncLink.h"
#include "sync/SyncRun.h"

namespace pernard::ui {

// What one job of the runner came to: the reports of its runs (dry runs first, when it made
// some), and whether the user's edits made meanwhile were merged over the result.
struct SyncOutcome {
    std::vector<sync::SyncReport> reports;
    bool editedMeanwhile = false;
    std::vector<sync::Conflict> meanwhileConflicts;
    // Where the table's edits stood when the run last read or wrote the root as it left it.
    std::optional<sync::EditMark> leftAt;
};

// The work of a job, on the run's thread: the runs it makes against the server, the state and
// the local root it is given.
using SyncWork = std::function<std::vector<sync::SyncReport>(
    sync::SyncServer&, sync::SyncStateStore&, sync::LocalReplica&, const std::atomic<bool>& stop)>;

class SyncRunner : public QObject {
    Q_OBJECT
public:
    // `asTableChange` runs a change of the table as the window runs its edits (its views follow).
    SyncRunner(BmLogic& model, std::function<void(const std::function<void()>&)> asTableChange,
               QObject* parent = nullptr);
    ~SyncRunner() override;

    // Starts `work` for `root` with the server and state of `link`; `done` gets its outcome on
    // the user-interface thread. False when a run is going.
    // `agreed`: where the edits stood when the root was last as both sides agreed.
    bool Start(NodeRef root, const sync::SyncLink& link, const std::string& password,
               std::optional<sync::EditMark> agreed, SyncWork work,
               std::function<void(const SyncOutcome&)> done);
    bool Running() const { return running_; }
    NodeRef RunningRoot() const { return root_; }
    // Asks the run to stop at its next step (the server's file and lock stay whole).
    void Stop() { stop_.store(true); }
    // Waits for the run to end (and its `done`), the window still answering.
    void Wait();

private:
    void Finish(const SyncOutcome& outcome);

    BmLogic& model_;
    std::function<void(const std::function<void()>&)> asTableChange_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    bool running_ = false;
    NodeRef root_;
    std::function<void(const SyncOutcome&)> done_;
};

// Runs `work` on a thread of its own while the window goes on answering; returns when it ended.
void RunResponsive(const std::function<void()>& work);

}  // namespace pernard::ui
