#include "ui/sync/Credentials.h"

#include <QEventLoop>

#include "ui/widgets/QtText.h"

#if defined(PERNARD_HAVE_KEYCHAIN)
#include <qt6keychain/keychain.h>
#endif

namespace pernard::ui {

namespace {

constexpr const char* kService = "Pernard";

#if defined(PERNARD_HAVE_KEYCHAIN)
// Runs a credential store job to its end (they answer through signals).
bool RunJob(QKeychain::Job& job) {
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return job.error() == QKeychain::NoError;
}
#endif

}  // namespace

bool MemoryCredentials::Read(const QString& key, QString& secret) {
    const auto found = secrets_.find(key);
    if (found == secrets_.end()) return false;
    secret = found->second;
    return true;
}

bool MemoryCredentials::Write(const QString& key, const QString& secret) {
    secrets_[key] = secret;
    return false;
}

bool SystemCredentials::Read(const QString& key, QString& secret) {
    if (run_.Read(key, secret)) return true;
#if defined(PERNARD_HAVE_KEYCHAIN)
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    if (RunJob(job)) {
        secret = job.textData();
        run_.Write(key, secret);
        return true;
    }
#endif
    return false;
}

bool SystemCredentials::Write(const QString& key, const QString& secret) {
    run_.Write(key, secret);
#if defined(PERNARD_HAVE_KEYCHAIN)
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setTextData(secret);
    return RunJob(job);
#else
    return false;
#endif
}

void SystemCredentials::Remove(const QString& key) {
    run_.Remove(key);
#if defined(PERNARD_HAVE_KEYCHAIN)
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(key);
    RunJob(job);
#endif
}

QString PasswordKey(const std::string& sharedUrl, const std::string& user) {
    return "sync-password " + Text(user) + " " + Text(sharedUrl);
}

QString PassphraseKey(const std::string& sharedUrl) { return "sync-passphrase " + Text(sharedUrl); }

}  // namespace pernard::ui
