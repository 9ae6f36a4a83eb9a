#include "ui/main/LinkCheckRun.h"

#include <QMetaObject>

#include "linkcheck/CurlLinkChecker.h"

namespace pernard::ui {

LinkCheckRun::LinkCheckRun(std::vector<LinkRequest> requests, LinkCheckOptions options,
                           std::function<void(LinkResult&&)> onResult,
                           std::function<void()> onFinished, QObject* parent)
    : QObject(parent), onResult_(std::move(onResult)), onFinished_(std::move(onFinished)) {
    worker_ = std::thread([this, requests = std::move(requests), options] {
        CurlLinkChecker checker;
        checker.Run(
            requests, options,
            [this](LinkResult&& result) {
                // Queued to this object: dropped by Qt if the run is gone by then.
                QMetaObject::invokeMethod(
                    this,
                    [this, result = std::move(result)]() mutable {
                        if (onResult_) onResult_(std::move(result));
                    },
                    Qt::QueuedConnection);
            },
            stop_);
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (onFinished_) onFinished_();
            },
            Qt::QueuedConnection);
    });
}

LinkCheckRun::~LinkCheckRun() { Stop(); }

void LinkCheckRun::Stop() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

}  // namespace pernard::ui
