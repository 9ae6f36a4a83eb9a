#pragma once
// The main window's link checking: one run at a time over entries held by their nodes, each
// result shown in the list's row of its entry, the runner window and the engine's log, and the
// update-order output (the URL list report of the listed folder) written once a run that asks
// for it is over. The window starts and stops runs and says what they act on through `Window`.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "model/BmLogic.h"
#include "model/LinkCheck.h"
#include "ui/tools/FiUrlList.h"

namespace pernard::ui {

class TFormArHTTP;
class TFormBookmark;
class TFormHTTP;
class LinkCheckRun;

// What the last check learnt of an entry: the list's columns 状況 to 備考.
struct CheckInfo {
    QString status, size, slot, server, remark;
};

class LinkChecking : public QObject {
    Q_OBJECT
public:
    // What a check needs of the main window.
    struct Window {
        std::function<ListedFolder()> listed;              // the folder the list shows
        std::function<void(const NodeRef&)> entryChecked;  // a row's check columns changed
        std::function<void(const QString&)> showResult;    // panel 0
        std::function<void()> runningChanged;              // a run began or ended
    };
    // The other windows a check uses; any may be missing.
    struct Windows {
        TFormHTTP* engine = nullptr;
        TFormArHTTP* runner = nullptr;
        TFormBookmark* settings = nullptr;
        TFormURLLIST* urlList = nullptr;
    };

    LinkChecking(BmLogic& model, Window window, QObject* parent = nullptr);
    void SetWindows(const Windows& windows) { windows_ = windows; }

    // Starts a check of these entries (target 0 headers, 1 bodies); `fresh` clears the check
    // window's result list first. Nothing starts while a run is going.
    void Start(int target, const std::vector<NodeRef>& entries, bool fresh);
    bool Running() const { return run_ != nullptr; }
    // Ends the run; its queued results never arrive.
    void Stop();

    // An output command (更新順データ出力, チェック＆データ出力) waits for its output.
    bool OutputPending() const { return outputPending_; }
    void SetOutputPending(bool pending) { outputPending_ = pending; }
    // The running check writes the update-order output when it ends.
    void WriteWhenDone() { writeAfterRun_ = Running(); }
    // Writes the update-order output of the listed folder now.
    void WriteUpdateOrder();

    // What the last check learnt of the entry with this node serial; null when nothing.
    const CheckInfo* InfoOf(std::uint64_t serial) const;

private:
    void OnResult(LinkResult&& result);
    void OnFinished();

    BmLogic& model_;
    Window window_;
    Windows windows_;
    LinkCheckRun* run_ = nullptr;
    std::vector<NodeRef> entries_;  // the entries of the running check, by request token
    bool writeAfterRun_ = false;    // the run was started by チェック＆データ出力
    bool outputPending_ = false;
    std::unordered_map<std::uint64_t, CheckInfo> info_;  // by node serial
};

}  // namespace pernard::ui
