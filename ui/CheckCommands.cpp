// The main window's link checking: starting a check of the list's URLs with the engine
// window's parameters, showing each result in the list, the runner window and the log, 中止,
// and the update-order output (the URL list report of the selected folder, expanded).

#include <QDateTime>

#include "report/UrlListReport.h"
#include "ui/ArHttp.h"
#include "ui/BoardMain.h"
#include "ui/Bookmark.h"
#include "ui/CheckResultList.h"
#include "ui/FormHttp.h"
#include "ui/LinkCheckRun.h"
#include "ui/PersistentWindow.h"
#include "ui/QtText.h"

namespace pernard::ui {

void TFormMain::UpdateStopButton() { BtStop->setEnabled(ClipPending() || CheckRunning()); }

void TFormMain::BtHTTPClick() { StartCheck(0); }

void TFormMain::H1Click() {
    if (links_.engine != nullptr) ShowInFront(links_.engine);
}

void TFormMain::PrepareUpdateOrder() {
    BtTenkai->setChecked(true);
    ListRefresh();
    outputPending_ = true;
}

void TFormMain::K1Click() {
    PrepareUpdateOrder();
    WriteKoushinData();
}

void TFormMain::O3Click() {
    PrepareUpdateOrder();
    StartCheck(1);
    // The output is written once the bodies are in.
    writeAfterCheck_ = CheckRunning();
}

void TFormMain::WriteKoushinData() {
    if (links_.settings != nullptr) {
        // Stored settings only: the list and the report keep the table's order.
        links_.settings->RadioList->SetItemIndex(2);
        links_.settings->CheckShoujun->setChecked(false);
    }
    const ListedFolder listed = Listed();
    const QString directory =
        links_.settings != nullptr ? links_.settings->EditLinkDir->text() : QString();
    std::string path, errorText;
    if (!model_.IsValidIndex(listed.folder)) {
        errorText = kReportNeedsFolder;
    } else if (model_.glVisit[listed.folder].empty()) {
        // Never a file named after nothing at the top of the link directory.
        errorText = "保存ファイルを指定してください";
    } else if (directory.isEmpty()) {
        errorText = "保存用ディレクトリを指定してください";
    } else if (ReportPathIn(Bytes(directory), model_.glVisit[listed.folder], path, errorText) &&
               links_.urlList != nullptr) {
        links_.urlList->EditTitle->setText(Text(model_.glName[listed.folder]));
        links_.urlList->SaveUrlList(path, errorText);  // shows "保存完了 n 件" itself
    }
    if (!errorText.empty()) Panel0->setText(Text(errorText));
    outputPending_ = false;
}

void TFormMain::StartCheck(int target) {
    // The URLs the list shows.
    std::vector<NodeRef> entries;
    for (int row = 0; row < ListItems->rowCount(); ++row) {
        const int entry = ListItems->EntryIndex(row);
        if (entry >= 0 && !model_.IsFolder(entry)) entries.push_back(model_.RefOf(entry));
    }
    StartCheckOf(target, entries, true);
}

void TFormMain::StartCheckOf(int target, const std::vector<NodeRef>& entries, bool fresh) {
    TFormHTTP* engine = links_.engine;
    TFormBookmark* settings = links_.settings;
    if (engine == nullptr || settings == nullptr || CheckRunning()) return;
    PromptPort& prompts = *model_.GetPorts().prompts;
    if (!settings->CheckSystemDirectory(
            [&prompts](const QString& text) { prompts.ShowMessage(Bytes(text)); })) {
        prompts.ShowMessage("Cannot GetSysDir");
        return;
    }
    LinkCheckOptions options;
    std::string errorText;
    bool isNumber = false;
    engine->EditThread->text().toInt(&isNumber);
    if (!isNumber) engine->EditThread->setText("1");
    if (!ReadCheckParameters(Bytes(engine->EditThread->text()), Bytes(engine->EditTimeOut->text()),
                             settings->CheckProxy->isChecked(),
                             Bytes(settings->EditIPAddress->text()),
                             Bytes(settings->EditPort->text()), options, errorText)) {
        prompts.ShowMessage(errorText);
        return;
    }
    options.intervalMs = qBound(0, engine->EditInterval->text().toInt(), 60000);
    options.body = target == 1;
    options.cookie = Bytes(engine->EditCookie->text());
    options.email = Bytes(engine->EditEMail->text());
    options.localProgram = Bytes(engine->EditLocalProgram->text());
    options.referer = Bytes(engine->EditReferer->text());
    options.userId = Bytes(engine->EditUserID->text());
    options.password = Bytes(engine->EditPassword->text());
    engine->ComboTarget->setCurrentIndex(target);

    // Each URL held by its entry's node.
    checkEntries_.clear();
    std::vector<LinkRequest> requests;
    for (const NodeRef& held : entries) {
        const int entry = model_.IndexOf(held);
        if (entry < 0 || model_.IsFolder(entry)) continue;
        requests.push_back({checkEntries_.size(), std::string(model_.glUrl[entry])});
        checkEntries_.push_back(held);
    }
    if (fresh) engine->Results->Clear();
    engine->MemoLog->clear();
    for (int slot = 0; slot < options.threads && links_.runner != nullptr; ++slot) {
        links_.runner->MemoHead(slot)->clear();
        links_.runner->MemoBody(slot)->clear();
    }
    // The user's short date and long time.
    const QDateTime started = QDateTime::currentDateTime();
    const QString now = QLocale().toString(started.date(), QLocale::ShortFormat) + " " +
                        QLocale().toString(started.time(), QLocale::LongFormat);
    engine->Log(QString("(処理条件)  Thread : %1 優先度 : %2 Interval : %3 [ %4 ]")
                    .arg(options.threads)
                    .arg(engine->EditPriority->text().toInt())
                    .arg(engine->EditInterval->text(), now));
    engine->Log(QString());
    engine->SetPanel(8, "サーチ開始");
    writeAfterCheck_ = false;
    checkRun_ = new LinkCheckRun(
        std::move(requests), options,
        [this](LinkResult&& result) { OnCheckResult(std::move(result)); },
        [this] { OnCheckFinished(); }, this);
    UpdateStopButton();
}

void TFormMain::OnCheckResult(LinkResult&& result) {
    if (result.token >= checkEntries_.size()) return;
    const NodeRef entry = checkEntries_[result.token];
    TFormHTTP* engine = links_.engine;
    // A result for an entry deleted, moved to another URL or read anew since is dropped.
    if (!ApplyLinkResult(model_, entry, result)) {
        if (engine != nullptr) engine->Log("破棄 " + Text(result.url));
        return;
    }
    CheckInfo& info = checkInfo_[entry.serial];
    info.status = Text(StatusText(result));
    info.size = result.size >= 0 ? QString::number(result.size) : QString();
    info.slot = QString::number(result.slot + 1);
    info.server = Text(result.server);
    info.remark = Text(RemarkText(result));
    ListItems->RefreshEntry(entry);
    if (links_.runner != nullptr && result.slot < kRunnerSlots) {
        links_.runner->MemoHead(result.slot)->setPlainText(Text(result.headers));
        links_.runner->MemoBody(result.slot)->setPlainText(Text(result.body));
    }
    if (engine != nullptr) engine->Log(info.status + "  " + Text(result.url));
    // The result list keeps the answer, not the page.
    if (engine != nullptr) {
        result.headers.clear();
        result.body.clear();
        engine->Results->Put({entry, std::move(result)});
    }
}

void TFormMain::OnCheckFinished() {
    if (checkRun_ != nullptr) checkRun_->deleteLater();
    checkRun_ = nullptr;
    if (links_.engine != nullptr) links_.engine->SetPanel(8, "サーチ終了");
    UpdateStopButton();
    if (writeAfterCheck_) {
        writeAfterCheck_ = false;
        WriteKoushinData();
    }
}

void TFormMain::StopCheck() {
    if (checkRun_ == nullptr) return;
    // Stopped here, the run's queued results never arrive.
    delete checkRun_;
    checkRun_ = nullptr;
    writeAfterCheck_ = false;
    if (links_.engine != nullptr) links_.engine->SetPanel(8, "中止");
    UpdateStopButton();
}

}  // namespace pernard::ui
