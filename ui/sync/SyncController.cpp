#include "ui/sync/SyncController.h"

#include <QInputDialog>
#include <algorithm>
#include <QMenu>
#include <QStatusBar>

#include "commands/SelectedRoot.h"
#include "model/SyncId.h"
#include "sync/ConflictChoice.h"
#include "sync/LocalReplica.h"
#include "sync/LocalTree.h"
#include "sync/PendingChanges.h"
#include "sync/ServerVersions.h"
#include "sync/SyncState.h"
#include "ui/main/BoardMain.h"
#include "ui/sync/SyncChoiceDialog.h"
#include "ui/sync/SyncLinks.h"
#include "ui/sync/SyncSettingsDialog.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

namespace {

constexpr int kPollMs = 2000;
constexpr int kAfterChangeSeconds = 5;

std::string StateDirectory(const sync::SyncLink& link) {
    return sync::SyncStateStore::DefaultDirectory(link.localPath, link.SharedUrl());
}

sync::SyncOptions OptionsOf(const sync::SyncLink& link, const std::string& passphrase) {
    sync::SyncOptions options;
    options.fileName = link.fileName;
    options.format = link.Format();
    options.passphrase = passphrase;
    return options;
}

// What the status bar says of a run that ended.
QString Said(const sync::SyncReport& report, std::size_t conflicts) {
    if (report.result == sync::SyncResult::Synced) {
        if (conflicts > 0) return QString("同期しました（競合 %1 件）").arg(conflicts);
        return "同期済み " + QTime::currentTime().toString("HH:mm");
    }
    if (report.unreachable) return "オフライン";
    // Stopped by the user: both sides as they were.
    if (report.error.rfind("同期を中止しました", 0) == 0) return "同期を中止しました";
    if (report.heldElsewhere) return "他の端末が同期中";
    return "同期できません: " + Text(report.error);
}

}  // namespace

SyncController::SyncController(TFormMain& window, BmLogic& model)
    : QObject(&window),
      window_(window),
      model_(model),
      runner_(model, [this](const std::function<void()>& change) {
          // The window is going: the run's local write is refused (the next run brings the
          // server's result in).
          if (shutDown_) return;
          const NodeRef selected = model_.Tree().Ref(window_.SelectedNode());
          const int row = model_.IndexOf(selected);
          const sync::SyncId id = row >= 0 ? SyncIdOf(model_.ExtrasOf(row)) : sync::kNoId;
          window_.ChangeTable([&] {
              change();
              return SameEntryAfterSync(selected, id);
          });
      }) {
    connect(&poll_, &QTimer::timeout, this, &SyncController::Poll);
}

SyncController::~SyncController() { Shutdown(); }

void SyncController::Build(QMenu* file, QAction* before, QStatusBar* bar) {
    QMenu* menu = new QMenu("同期(&Y)", file);
    menu->menuAction()->setObjectName("miFileSync");
    file->insertMenu(before, menu);
    const auto add = [&](const char* name, const QString& caption, void (SyncController::*handler)()) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(name);
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    add("miSyncSettings", "同期の設定(&S)...", &SyncController::SettingsClick);
    add("miSyncNow", "今すぐ同期(&N)", &SyncController::SyncNowClick);
    QAction* stop = add("miSyncStop", "同期を中止(&T)", &SyncController::StopClick);
    add("miSyncLog", "同期の記録(&L)...", &SyncController::LogClick);
    connect(menu, &QMenu::aboutToShow, stop, [this, stop] { stop->setEnabled(runner_.Running()); });
    StatusLabel = new QLabel(bar);
    StatusLabel->setObjectName("PanelSync");
    bar->addPermanentWidget(StatusLabel);
    seenChange_ = model_.HistoryPushCount();
    poll_.start(kPollMs);
}

TFormSyncSettings* SyncController::SettingsDialog() {
    if (settings_ == nullptr) settings_ = new TFormSyncSettings(&window_);
    return settings_;
}

TFormSyncChoice* SyncController::ChoiceDialog() {
    if (choice_ == nullptr) choice_ = new TFormSyncChoice(&window_);
    return choice_;
}

TFormSyncLog* SyncController::LogDialog() {
    if (log_ == nullptr) {
        log_ = new TFormSyncLog(
            [this](const SyncRecord& record, const sync::Conflict& conflict, QString& said) {
                const int root = model_.IndexOf(record.root);
                if (root < 0) {
                    said = "同期したルートがもうありません";
                    return false;
                }
                std::string error;
                bool taken = false;
                window_.ChangeTable([&] {
                    taken = sync::TakeOtherSide(model_, root, conflict, error);
                    return model_.Tree().Ref(window_.SelectedNode());
                });
                window_.UpdateUndoItems();
                said = taken ? "もう一方にしました（次の同期でサーバーに送ります）" : Text(error);
                return taken;
            },
            &window_);
    }
    return log_;
}

int SyncController::RunDialog(QDialog& dialog) { return window_.RunDialog(dialog); }

std::optional<sync::SyncLink> SyncController::LinkOfRoot(int root) const {
    if (!model_.IsValidIndex(root) || !model_.IsRoot(root) ||
        model_.SourceKindOf(root) != SourceKind::BookmarkFile || model_.SourcePath(root).empty()) {
        return std::nullopt;
    }
    // One root per file syncs: the first one read from it. Another root of the same file (a
    // second read of it) would take the first one's edits for its own differences.
    for (int row = 0; row < model_.Tree().TopLevelCount(); ++row) {
        const int other = model_.IndexOf(model_.Tree().TopLevel(row));
        if (other == root) break;
        if (model_.SourceKindOf(other) == SourceKind::BookmarkFile &&
            model_.SourcePath(other) == model_.SourcePath(root)) {
            return std::nullopt;
        }
    }
    // The links are read from the settings once: a list's rows ask for every entry they paint.
    if (!links_) links_ = ReadSyncLinks();
    for (const sync::SyncLink& link : *links_) {
        if (link.localPath == model_.SourcePath(root)) return link;
    }
    return std::nullopt;
}

QString SyncController::AccountOf(int root) const {
    const std::optional<sync::SyncLink> link = LinkOfRoot(root);
    if (!link) return {};
    return Text(link->user.empty() ? link->SharedUrl() : link->user + " @ " + link->SharedUrl());
}

std::vector<KeptVersion> SyncController::ServerVersionsOf(int root) const {
    const std::optional<sync::SyncLink> link = LinkOfRoot(root);
    if (!link) return {};
    return sync::ServerVersionsOf(sync::SyncStateStore(StateDirectory(*link)), link->SharedUrl());
}

bool SyncController::StaysLocal(int entry) const {
    if (!model_.IsValidIndex(entry) || model_.IsFolder(entry) || model_.IsRoot(entry)) return false;
    int root = entry;
    while (!model_.IsRoot(root)) root = model_.ParentOf(root);
    return LinkOfRoot(root).has_value() && !sync::BrowserCanHold(model_.glUrl[entry]);
}

NodeRef SyncController::SameEntryAfterSync(const NodeRef& selected, sync::SyncId id) const {
    if (model_.IndexOf(selected) >= 0) return selected;
    // An entry new to the sync had no id: the synced root is selected instead.
    const int root = model_.IndexOf(runner_.RunningRoot());
    if (id == sync::kNoId || root < 0) return runner_.RunningRoot();
    // The merged collection's entries are new rows: the one selected is found by its id.
    const sync::LocalTree local = sync::ReadLocalRoot(model_, root);
    for (int k = 1; k < local.tree.Size(); ++k) {
        if (local.tree[k].id == id) return model_.RefOf(local.rowOf[static_cast<std::size_t>(k)]);
    }
    return runner_.RunningRoot();
}

void SyncController::SettingsClick() {
    int root = -1;
    if (!CheckRootNode(model_, root)) return;
    PromptPort& prompts = *model_.GetPorts().prompts;
    if (model_.SourceKindOf(root) != SourceKind::BookmarkFile || model_.SourcePath(root).empty()) {
        prompts.ShowMessage("同期できるのはブックマークファイルから読み込んだルートだけです");
        return;
    }
    const std::optional<sync::SyncLink> linked = LinkOfRoot(root);
    sync::SyncLink link = linked.value_or(sync::SyncLink{});
    link.localPath = std::string(model_.SourcePath(root));
    QString password, passphrase;
    if (linked) {
        credentials_->Read(PasswordKey(link.SharedUrl(), link.user), password);
        if (link.encrypted) credentials_->Read(PassphraseKey(link.SharedUrl()), passphrase);
    }
    TFormSyncSettings* dialog = SettingsDialog();
    dialog->Show(link, linked.has_value(), password, passphrase);
    const int answer = RunDialog(*dialog);
    if (answer == TFormSyncSettings::Unlink) {
        DropLink(link.localPath);
        links_.reset();
        SetStatus("同期を解除しました");
        UpdateMarks();
        return;
    }
    if (answer != QDialog::Accepted) return;
    const sync::SyncLink chosen = dialog->Link();
    KeepLink(chosen);
    links_.reset();
    if (!chosen.user.empty()) {
        credentials_->Write(PasswordKey(chosen.SharedUrl(), chosen.user), dialog->Password());
    }
    if (chosen.encrypted) {
        credentials_->Write(PassphraseKey(chosen.SharedUrl()), dialog->Passphrase());
    } else {
        credentials_->Remove(PassphraseKey(chosen.SharedUrl()));
    }
    UpdateMarks();
    SyncRoot(root, true);
}

void SyncController::SyncNowClick() {
    int root = -1;
    if (!CheckRootNode(model_, root)) return;
    if (!LinkOfRoot(root)) {
        SettingsClick();
        return;
    }
    SyncRoot(root, true);
}

void SyncController::StopClick() {
    if (!runner_.Running()) return;
    runner_.Stop();
    queue_.clear();
    SetStatus("同期を中止しています…");
}

void SyncController::LogClick() {
    TFormSyncLog* dialog = LogDialog();
    dialog->Show(&records_);
    RunDialog(*dialog);
}

void SyncController::SyncAtStart() {
    for (int row = 0; row < model_.Tree().TopLevelCount(); ++row) {
        const int root = model_.IndexOf(model_.Tree().TopLevel(row));
        const std::optional<sync::SyncLink> link = LinkOfRoot(root);
        if (link && link->onStart) SyncRoot(root, false);
    }
}

void SyncController::FinishRun() {
    queue_.clear();
    if (!runner_.Running()) return;
    closing_ = true;
    runner_.Stop();
    runner_.Wait();
    closing_ = false;
}

void SyncController::Shutdown() {
    shutDown_ = true;
    poll_.stop();
    queue_.clear();
    runner_.Stop();
    runner_.Wait();
    if (counting_.joinable()) counting_.join();
}

bool SyncController::SecretsOf(const sync::SyncLink& link, bool mayAsk, Secrets& secrets) {
    const auto secret = [&](const QString& key, const QString& question, std::string& into) {
        QString value;
        if (!credentials_->Read(key, value)) {
            if (!mayAsk) return false;
            bool given = false;
            value = QInputDialog::getText(&window_, "同期", question, QLineEdit::Password, {}, &given);
            if (!given) return false;
            credentials_->Write(key, value);
        }
        into = Bytes(value);
        return true;
    };
    if (!link.user.empty() &&
        !secret(PasswordKey(link.SharedUrl(), link.user),
                "サーバーのパスワード（" + Text(link.user) + "）:", secrets.password)) {
        return false;
    }
    return !link.encrypted ||
           secret(PassphraseKey(link.SharedUrl()), "暗号化のパスフレーズ:", secrets.passphrase);
}

void SyncController::SyncRoot(int root, bool asked) {
    if (shutDown_) return;
    const std::optional<sync::SyncLink> link = LinkOfRoot(root);
    if (!link) return;
    if (runner_.Running()) {
        Queue(root);
        return;
    }
    if (StateDirectory(*link).empty()) {
        SetStatus("同期できません: 同期の状態を置くフォルダーがありません（HOME が設定されていません）");
        return;
    }
    // A missing password is asked for when the user asks for a run, and at the first run of a
    // start; an automatic run never asks again.
    const bool firstOfStart = lastRun_.count(link->localPath) == 0;
    lastRun_[link->localPath] = QDateTime::currentDateTime();
    Secrets secrets;
    if (!SecretsOf(*link, asked || firstOfStart, secrets)) {
        SetStatus("同期: パスワードが必要です（ファイル › 同期 › 今すぐ同期）");
        return;
    }
    if (!sync::SyncStateStore(StateDirectory(*link)).HasBase()) {
        if (!asked) {
            SetStatus("初めての同期を待っています（ファイル › 同期 › 今すぐ同期）");
            return;
        }
        StartFirstSync(root, *link, secrets);
        return;
    }
    if (const std::string problem = sync::RelinkProblem(link->localPath, link->SharedUrl(), true, false);
        !problem.empty()) {
        SetStatus("同期できません: " + Text(problem));
        return;
    }
    StartRun(root, *link, secrets, std::nullopt, false);
}

void SyncController::StartFirstSync(int root, const sync::SyncLink& link, const Secrets& secrets) {
    if (const std::string problem = sync::RelinkProblem(link.localPath, link.SharedUrl(), false, true);
        !problem.empty()) {
        SetStatus("同期できません: " + Text(problem));
        return;
    }
    const sync::SyncOptions options = OptionsOf(link, secrets.passphrase);
    SetStatus("同期の内容を調べています…");
    const NodeRef held = model_.RefOf(root);
    runner_.Start(
        held, link, secrets.password, std::nullopt,
        [options](sync::SyncServer& server, sync::SyncStateStore& store,
                  sync::LocalReplica& replica, const std::atomic<bool>& stop) {
            std::vector<sync::SyncReport> reports;
            for (const sync::FirstSync first :
                 {sync::FirstSync::Merge, sync::FirstSync::Pull, sync::FirstSync::Push}) {
                sync::SyncOptions dry = options;
                dry.dryRun = true;
                dry.first = first;
                dry.stop = &stop;
                reports.push_back(sync::RunSync(server, store, replica, dry));
                if (reports.back().result == sync::SyncResult::Failed) break;
            }
            return reports;
        },
        [this, held, link, secrets](const SyncOutcome& outcome) {
            if (shutDown_ || closing_) return;
            const sync::SyncReport& last = outcome.reports.back();
            const int root = model_.IndexOf(held);
            if (last.result == sync::SyncResult::Failed || outcome.reports.size() != 3 || root < 0) {
                const QString said = Said(last, 0);
                SetStatus(said);
                Record(held, last, outcome, said);
                StartQueued();
                return;
            }
            TFormSyncChoice* dialog = ChoiceDialog();
            dialog->ShowFirst({outcome.reports[0], outcome.reports[1], outcome.reports[2]});
            RunDialog(*dialog);
            const TFormSyncChoice::Choice choice = dialog->Chosen();
            if (choice == TFormSyncChoice::Abort) {
                SetStatus("初めての同期を取りやめました");
                StartQueued();
                return;
            }
            const sync::FirstSync first = choice == TFormSyncChoice::Pull   ? sync::FirstSync::Pull
                                          : choice == TFormSyncChoice::Push ? sync::FirstSync::Push
                                                                            : sync::FirstSync::Merge;
            StartRun(root, link, secrets, first, false);
        });
}

void SyncController::StartRun(int root, const sync::SyncLink& link, const Secrets& secrets,
                              std::optional<sync::FirstSync> first, bool force) {
    sync::SyncOptions options = OptionsOf(link, secrets.passphrase);
    options.first = first;
    options.force = force;
    SetStatus("同期中…");
    const NodeRef held = model_.RefOf(root);
    const std::uint64_t pushesAtStart = model_.HistoryPushCount();
    const auto agreed = agreed_.find(link.localPath);
    runner_.Start(
        held, link, secrets.password,
        agreed != agreed_.end() ? std::optional(agreed->second) : std::nullopt,
        [options](sync::SyncServer& server, sync::SyncStateStore& store,
                  sync::LocalReplica& replica, const std::atomic<bool>& stop) {
            sync::SyncOptions run = options;
            run.stop = &stop;
            return std::vector<sync::SyncReport>{sync::RunSync(server, store, replica, run)};
        },
        [this, held, link, secrets, first, pushesAtStart](const SyncOutcome& outcome) {
            if (shutDown_) return;
            const sync::SyncReport& report = outcome.reports.back();
            // The run's own change of the table is no change of the user's; any other step
            // recorded since it started is, and goes at the next run.
            const std::uint64_t own = report.localWritten ? 1 : 0;
            const bool editedDuringRun =
                outcome.editedMeanwhile || model_.HistoryPushCount() > pushesAtStart + own;
            seenChange_ = model_.HistoryPushCount();
            if (editedDuringRun && link.afterChange) {
                dueAfterChange_[link.localPath] = QDateTime::currentDateTime().addSecs(kAfterChangeSeconds);
            }
            const int root = model_.IndexOf(held);
            if (report.result == sync::SyncResult::Refused && !report.failsafes.empty() && root >= 0 &&
                !closing_) {
                TFormSyncChoice* dialog = ChoiceDialog();
                dialog->ShowStopped(report);
                RunDialog(*dialog);
                if (dialog->Chosen() == TFormSyncChoice::Continue) {
                    StartRun(root, link, secrets, first, true);
                    return;
                }
            }
            // Where the edits stand while the root is as both sides agree: the next run skips
            // reading it as long as they stand there.
            if (report.result != sync::SyncResult::Synced || outcome.editedMeanwhile) {
                agreed_.erase(link.localPath);
            } else if (outcome.leftAt) {
                if (sync::MarkOf(model_, held) == *outcome.leftAt) {
                    agreed_[link.localPath] = *outcome.leftAt;
                } else {
                    agreed_.erase(link.localPath);
                }
            }
            if (report.result == sync::SyncResult::Synced) {
                sync::SyncStateStore::LinkRemote(link.localPath, link.SharedUrl());
                KeepSentChanges(root, report);
            }
            const QString said = Said(report, report.conflicts.size() + outcome.meanwhileConflicts.size());
            SetStatus(said);
            Record(held, report, outcome, said);
            window_.UpdateEntryButtons();
            window_.UpdateUndoItems();
            if (!closing_) StartQueued();
        });
}

void SyncController::KeepSentChanges(int root, const sync::SyncReport& report) {
    // What the server holds now, the file must hold too: an edit sent but never saved would come
    // back as its undoing at the next start, and undo it on every machine.
    if (root < 0 || !report.remoteWritten) return;
    const std::vector<int> changed = model_.ChangedRoots();
    if (std::find(changed.begin(), changed.end(), root) == changed.end()) return;
    std::string error;
    if (!sync::KeepRootFile(model_, root, error)) model_.GetPorts().prompts->ShowMessage(error);
}

void SyncController::Record(NodeRef root, const sync::SyncReport& report, const SyncOutcome& outcome,
                            const QString& said) {
    SyncRecord record;
    record.at = QDateTime::currentDateTime();
    const int row = model_.IndexOf(root);
    record.rootName = row >= 0 ? Text(model_.glName[row]) : QString();
    record.summary = said;
    record.lines = report.Lines();
    record.root = root;
    record.conflicts = report.conflicts;
    for (const sync::Conflict& c : outcome.meanwhileConflicts) {
        record.conflicts.push_back(c);
        record.lines.push_back("同期中の編集: " + c.field + " " + c.path);
    }
    record.taken.assign(record.conflicts.size(), false);
    records_.push_back(std::move(record));
    constexpr std::size_t kRecordsKept = 200;
    if (records_.size() > kRecordsKept) records_.erase(records_.begin());
}

void SyncController::SetStatus(const QString& text) {
    if (StatusLabel != nullptr && !shutDown_) StatusLabel->setText(text);
}

void SyncController::Queue(int root) {
    const NodeRef ref = model_.RefOf(root);
    if (ref == runner_.RunningRoot()) return;
    for (const NodeRef& queued : queue_) {
        if (queued == ref) return;
    }
    queue_.push_back(ref);
}

void SyncController::StartQueued() {
    while (!queue_.empty() && !runner_.Running() && !shutDown_) {
        const int root = model_.IndexOf(queue_.front());
        queue_.pop_front();
        if (root >= 0) SyncRoot(root, false);
    }
}

void SyncController::Poll() {
    if (shutDown_) return;
    const QDateTime now = QDateTime::currentDateTime();
    const bool changed = model_.HistoryPushCount() != seenChange_;
    seenChange_ = model_.HistoryPushCount();
    for (int row = 0; row < model_.Tree().TopLevelCount(); ++row) {
        const int root = model_.IndexOf(model_.Tree().TopLevel(row));
        const std::optional<sync::SyncLink> link = LinkOfRoot(root);
        if (!link) continue;
        if (changed && !runner_.Running()) {
            // A run follows in a few seconds, or the changes not sent yet are counted (reading
            // the root once, which a run after every change would do anyway).
            if (link->afterChange) {
                dueAfterChange_[link->localPath] = now.addSecs(kAfterChangeSeconds);
            } else {
                CountPending(model_.RefOf(root), *link);
            }
        }
        const auto due = dueAfterChange_.find(link->localPath);
        const bool dueNow = due != dueAfterChange_.end() && due->second <= now;
        const auto last = lastRun_.find(link->localPath);
        const bool intervalPassed = link->intervalMinutes > 0 && last != lastRun_.end() &&
                                    last->second.addSecs(link->intervalMinutes * 60) <= now;
        if ((dueNow || intervalPassed) && !runner_.Running()) {
            if (dueNow) dueAfterChange_.erase(due);
            SyncRoot(root, false);
        }
    }
}

void SyncController::CountPending(NodeRef root, const sync::SyncLink& link) {
    const int row = model_.IndexOf(root);
    if (row < 0 || counting_.joinable()) return;
    sync::LocalTree local = sync::ReadLocalRoot(model_, row);
    counting_ = std::thread([this, tree = std::move(local.tree), directory = StateDirectory(link)] {
        sync::SyncStateStore store(directory);
        const int pending = sync::PendingLocalChanges(store, tree);
        QMetaObject::invokeMethod(this, [this, pending] {
            if (counting_.joinable()) counting_.join();
            if (pending > 0 && !runner_.Running()) SetStatus(QString("未送信 %1 件").arg(pending));
        }, Qt::QueuedConnection);
    });
}

void SyncController::UpdateMarks() {
    window_.TreeItems->RefreshRoots();
    window_.ListItems->Repaint();
}

}  // namespace pernard::ui
