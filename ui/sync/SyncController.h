#pragma once
// The window's side of the sync: ファイル › 同期 (同期の設定…, 今すぐ同期, 同期を中止,
// 同期の記録…), the sync's place in the status bar, and the runs it starts by itself (at the
// start, a little after a change, at the link's interval). One run at a time, off the
// user-interface thread; a first sync, and a run the checks stopped, ask before anything is
// written; conflicts never ask, they are listed in the record.

#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QObject>
#include <QTimer>
#include <array>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "history/KeptVersion.h"
#include "model/BmLogic.h"
#include "sync/SyncLink.h"
#include "ui/sync/Credentials.h"
#include "ui/sync/SyncLogDialog.h"
#include "ui/sync/SyncRunner.h"

namespace pernard::ui {

class TFormMain;
class TFormSyncSettings;
class TFormSyncChoice;

class SyncController : public QObject {
    Q_OBJECT
public:
    SyncController(TFormMain& window, BmLogic& model);
    ~SyncController() override;

    // The menu items, put before `before` in the file menu, and the status bar's place.
    void Build(QMenu* file, QAction* before, QStatusBar* bar);
    // Tests keep their secrets in memory.
    void SetCredentials(CredentialStore* credentials) { credentials_ = credentials; }

    void SettingsClick();  // 同期の設定…
    void SyncNowClick();   // 今すぐ同期
    void StopClick();      // 同期を中止
    void LogClick();       // 同期の記録…

    // The start-up syncs of the roots whose links ask for one.
    void SyncAtStart();
    // The run in progress stops at its next step (both sides left whole) and is waited for;
    // automatic runs go on afterwards.
    void FinishRun();
    // Before the window closes: the run in progress stops (both sides left whole) and is waited
    // for; nothing starts any more.
    void Shutdown();

    // Syncs `root` (its link's server); `asked`: the user asked, so a first sync may be chosen.
    void SyncRoot(int root, bool asked);
    bool Running() const { return runner_.Running(); }
    // The account a root is synced with ("user @ https://host/folder/bookmarks.xbel"); empty
    // for a root that is not synced.
    QString AccountOf(int root) const;
    // The shared file's versions kept for a synced root (none for another root), newest first.
    std::vector<KeptVersion> ServerVersionsOf(int root) const;
    // Whether an entry sits in a synced root but cannot travel (mailto:, place:, no URL).
    bool StaysLocal(int entry) const;

    QLabel* StatusLabel = nullptr;
    TFormSyncSettings* SettingsDialog();
    TFormSyncChoice* ChoiceDialog();
    TFormSyncLog* LogDialog();
    std::vector<SyncRecord>& Records() { return records_; }

private:
    struct Secrets {
        std::string password, passphrase;
    };
    // The link of a root read from a bookmark file; none for another root.
    std::optional<sync::SyncLink> LinkOfRoot(int root) const;
    // The password and passphrase of `link`, asked for when the store has none; false when the
    // user gave none.
    bool SecretsOf(const sync::SyncLink& link, bool mayAsk, Secrets& secrets);
    // The dry runs of a first sync, then the question.
    void StartFirstSync(int root, const sync::SyncLink& link, const Secrets& secrets);
    void StartRun(int root, const sync::SyncLink& link, const Secrets& secrets,
                  std::optional<sync::FirstSync> first, bool force);
    void RunEnded(NodeRef root, const sync::SyncLink& link, const Secrets& secrets,
                  const SyncOutcome& outcome);
    // Saves the root's file when the run sent edits the file does not hold yet.
    void KeepSentChanges(int root, const sync::SyncReport& report);
    void Record(NodeRef root, const sync::SyncReport& report, const SyncOutcome& outcome,
                const QString& said);
    void SetStatus(const QString& text);
    // The next root waiting for a run, when none runs.
    void StartQueued();
    void Queue(int root);
    // Every few seconds: a change in a synced root schedules its run and its count of changes
    // not sent; a link's interval schedules its run.
    void Poll();
    void CountPending(NodeRef root, const sync::SyncLink& link);
    void UpdateMarks();
    int RunDialog(QDialog& dialog);
    // The entry that was `selected` (with sync id `id`) before a run put its result in place.
    NodeRef SameEntryAfterSync(const NodeRef& selected, sync::SyncId id) const;

    TFormMain& window_;
    BmLogic& model_;
    SyncRunner runner_;
    SystemCredentials systemCredentials_;
    CredentialStore* credentials_ = &systemCredentials_;
    std::vector<SyncRecord> records_;
    std::deque<NodeRef> queue_;
    QTimer poll_;
    std::uint64_t seenChange_ = 0;
    // When each linked file last synced, and when a change asks it to.
    std::map<std::string, QDateTime> lastRun_, dueAfterChange_;
    // Per linked file: where the table's edits stood when its root was last as both sides agree.
    std::map<std::string, sync::EditMark> agreed_;
    // The links as the settings hold them, read when first needed (this window changes them).
    mutable std::optional<std::vector<sync::SyncLink>> links_;
    std::thread counting_;
    bool shutDown_ = false;
    bool closing_ = false;  // a run is being finished: no questions, nothing new starts
    TFormSyncSettings* settings_ = nullptr;
    TFormSyncChoice* choice_ = nullptr;
    TFormSyncLog* log_ = nullptr;
};

}  // namespace pernard::ui
