#pragma once

#include <QHash>
#include <QMetaObject>
#include <QStringList>

#include "accounts/secretstore.h"
#include "patrol/patrolhost.h"

// Passwords held in memory, answered later as a desktop's store would.
class MemorySecrets final : public SecretStore {
public:
    void readPassword(const AccountSettings& account, ReadDone done) override {
        const QString password = passwords.value(account.number);
        QMetaObject::invokeMethod(
            this, [done, password] { done(true, password, {}); }, Qt::QueuedConnection);
    }
    void writePassword(const AccountSettings& account, const QString& password,
                       WriteDone done) override {
        passwords.insert(account.number, password);
        QMetaObject::invokeMethod(
            this, [done] { done(true, {}); }, Qt::QueuedConnection);
    }
    void removePassword(const AccountSettings& account, WriteDone done) override {
        passwords.remove(account.number);
        QMetaObject::invokeMethod(
            this, [done] { done(true, {}); }, Qt::QueuedConnection);
    }
    void probeKeyring(WriteDone done) override {
        QMetaObject::invokeMethod(
            this, [done] { done(true, {}); }, Qt::QueuedConnection);
    }
    QHash<int, QString> passwords;
};

class RecordingStatus final : public StatusSink {
public:
    void SetStatus(const QString& text) override { lines.append(text); }
    QStringList lines;
};
