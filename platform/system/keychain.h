#pragma once

#include <QObject>
#include <QString>
#include <functional>

// The desktop's Secret Service (GNOME Keyring, KWallet) through QtKeychain: passwords kept
// by the desktop under a service name and a key. Every call returns at once; done runs
// later on the thread of context, and never once context is gone.
struct KeychainResult {
    enum class Status {
        Ok,
        // Nothing is stored under the key.
        NotFound,
        // No Secret Service answers (none running, none built in).
        Unavailable,
        // The user refused to unlock or allow it.
        Denied,
        Failed,
    };
    Status status = Status::Ok;
    // What was read.
    QString password;
    // The keychain's own reason, as it gave it; empty when it went well.
    QString detail;
};

using KeychainDone = std::function<void(const KeychainResult&)>;

void keychainRead(const QString& service, const QString& key, QObject* context, KeychainDone done);
void keychainWrite(const QString& service, const QString& key, const QString& password,
                   QObject* context, KeychainDone done);
void keychainRemove(const QString& service, const QString& key, QObject* context,
                    KeychainDone done);
