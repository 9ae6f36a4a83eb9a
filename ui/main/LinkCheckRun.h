#pragma once
// One run of the link check in the desktop program: the engine works on a thread of its own,
// and every result, and the end of the run, is handed to the window on the user-interface
// thread. Destroying the run stops it; results still queued are then dropped.

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "model/LinkCheck.h"

namespace pernard::ui {

class LinkCheckRun : public QObject {
    Q_OBJECT
public:
    LinkCheckRun(std::vector<LinkRequest> requests, LinkCheckOptions options,
                 std::function<void(LinkResult&&)> onResult, std::function<void()> onFinished,
                 QObject* parent = nullptr);
    ~LinkCheckRun() override;
    // Aborts the requests in flight and starts no new one; returns once the engine stopped.
    void Stop();

private:
    std::function<void(LinkResult&&)> onResult_;
    std::function<void()> onFinished_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

}  // namespace pernard::ui
