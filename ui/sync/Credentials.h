#pragma once
// Where the sync's password and passphrase are kept: the system's credential store (the Secret
// Service on Linux, the Credential Manager on Windows), never the settings. Where no credential
// store answers, a secret is kept for this run only and asked for again at the next start.

#include <QString>
#include <map>

namespace pernard::ui {

class CredentialStore {
public:
    virtual ~CredentialStore() = default;
    // The secret kept under `key`; false when there is none.
    virtual bool Read(const QString& key, QString& secret) = 0;
    // Keeps `secret` under `key`; false when it is kept for this run only.
    virtual bool Write(const QString& key, const QString& secret) = 0;
    virtual void Remove(const QString& key) = 0;
};

// Secrets of this run only (where no credential store answers, and in tests).
class MemoryCredentials : public CredentialStore {
public:
    bool Read(const QString& key, QString& secret) override;
    bool Write(const QString& key, const QString& secret) override;
    void Remove(const QString& key) override { secrets_.erase(key); }

private:
    std::map<QString, QString> secrets_;
};

// The system's credential store, with this run's memory behind it.
class SystemCredentials : public CredentialStore {
public:
    bool Read(const QString& key, QString& secret) override;
    bool Write(const QString& key, const QString& secret) override;
    void Remove(const QString& key) override;

private:
    MemoryCredentials run_;
};

// The keys of a link's password and passphrase.
QString PasswordKey(const std::string& sharedUrl, const std::string& user);
QString PassphraseKey(const std::string& sharedUrl);

}  // namespace pernard::ui
