#include "ui/main/LinkChecking.h"

#include <QDateTime>
#include <QLocale>

#include "report/UrlListReport.h"
#include "ui/tools/ArHttp.h"
#include "ui/dialogs/Bookmark.h"
#include "ui/tools/CheckResultList.h"
#include "ui/tools/FormHttp.h"
#include "ui/main/LinkCheckRun.h"
#include "ui/widgets/QtText.h"

namespace pernard::ui {

LinkChecking::LinkChecking(BmLogic& model, Window window, QObject* parent)
    : QObject(parent), model_(model), window_(std::move(window)) {}

const CheckInfo* LinkChecking::InfoOf(std::uint64_t serial) const {
    const auto found = info_.find(serial);
    return found == info_.end() ? nullptr : &found->second;
}

void LinkChecking::WriteUpdateOrder() {
    TFormBookmark* settings = windows_.settings;
    if (settings != nullptr) {
        // Stored settings only: the list and the report keep the table's order.
        settings->RadioList->SetItemIndex(2);
        settings->CheckShoujun->setChecked(false);
    }
    const ListedFolder listed = window_.listed();
    const QString directory = settings != nullptr ? settings->EditLinkDir->text() : QString();
    std::string path, errorText;
    if (!model_.IsValidIndex(listed.folder)) {
        errorText = kReportNeedsFolder;
    } else if (model_.glVisit[listed.folder].empty()) {
        // Never a file named after nothing at the top of the link directory.
        errorText = "保存ファイルを指定してください";
    } else if (directory.isEmpty()) {
        errorText = "保存用ディレクトリを指定してください";
    } else if (ReportPathIn(Bytes(directory), model_.glVisit[listed.folder], path, errorText) &&
               windows_.urlList != nullptr) {
        windows_.urlList->EditTitle->setText(Text(model_.glName[listed.folder]));
        windows_.urlList->SaveUrlList(path, errorText);  // shows "保存完了 n 件" itself
    }
    if (!errorText.empty()) window_.showResult(Text(errorText));
    outputPending_ = false;
}

void LinkChecking::Start(int target, const std::vector<NodeRef>& entries, bool fresh) {
    TFormHTTP* engine = windows_.engine;
    TFormBookmark* settings = windows_.settings;
    if (engine == nullptr || settings == nullptr || Running()) return;
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
    entries_.clear();
    std::vector<LinkRequest> requests;
    for (const NodeRef& held : entries) {
        const int entry = model_.IndexOf(held);
        if (entry < 0 || model_.IsFolder(entry)) continue;
        requests.push_back({entries_.size(), std::string(model_.glUrl[entry])});
        entries_.push_back(held);
    }
    if (fresh) engine->Results->Clear();
    engine->MemoLog->clear();
    for (int slot = 0; slot < options.threads && windows_.runner != nullptr; ++slot) {
        windows_.runner->MemoHead(slot)->clear();
        windows_.runner->MemoBody(slot)->clear();
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
    writeAfterRun_ = false;
    run_ = new LinkCheckRun(
        std::move(requests), options, [this](LinkResult&& result) { OnResult(std::move(result)); },
        [this] { OnFinished(); }, this);
    window_.runningChanged();
}

void LinkChecking::OnResult(LinkResult&& result) {
    if (result.token >= entries_.size()) return;
    const NodeRef entry = entries_[result.token];
    TFormHTTP* engine = windows_.engine;
    // A result for an entry deleted, moved to another URL or read anew since is dropped.
    if (!ApplyLinkResult(model_, entry, result)) {
        if (engine != nullptr) engine->Log("破棄 " + Text(result.url));
        return;
    }
    CheckInfo& info = info_[entry.serial];
    info.status = Text(StatusText(result));
    info.size = result.size >= 0 ? QString::number(result.size) : QString();
    info.slot = QString::number(result.slot + 1);
    info.server = Text(result.server);
    info.remark = Text(RemarkText(result));
    window_.entryChecked(entry);
    if (windows_.runner != nullptr && result.slot < kRunnerSlots) {
        windows_.runner->MemoHead(result.slot)->setPlainText(Text(result.headers));
        windows_.runner->MemoBody(result.slot)->setPlainText(Text(result.body));
    }
    if (engine != nullptr) engine->Log(info.status + "  " + Text(result.url));
    // The result list keeps the answer, not the page.
    if (engine != nullptr) {
        result.headers.clear();
        result.body.clear();
        engine->Results->Put({entry, std::move(result)});
    }
}

void LinkChecking::OnFinished() {
    if (run_ != nullptr) run_->deleteLater();
    run_ = nullptr;
    if (windows_.engine != nullptr) windows_.engine->SetPanel(8, "サーチ終了");
    window_.runningChanged();
    if (writeAfterRun_) {
        writeAfterRun_ = false;
        WriteUpdateOrder();
    }
}

void LinkChecking::Stop() {
    if (run_ == nullptr) return;
    delete run_;
    run_ = nullptr;
    writeAfterRun_ = false;
    if (windows_.engine != nullptr) windows_.engine->SetPanel(8, "中止");
    window_.runningChanged();
}

}  // namespace pernard::ui
