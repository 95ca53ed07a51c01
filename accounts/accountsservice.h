#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "accounts/accountclient.h"
#include "accounts/accountsettings.h"

// The accounts while the program runs: one client each, connected with the password from
// the SecretStore, the state of each (asked normally, or stopped until its settings change
// after wrong credentials or an API switched off), and the last failure to show. Lives on
// the UI thread; every network and file step runs elsewhere.
class AccountsService : public QObject {
    Q_OBJECT
public:
    struct Status {
        // Not asked until the settings change (wrong credentials, API switched off).
        bool stopped = false;
        // The last failure, in a sentence naming the account and the reason; empty when the
        // last request went well.
        QString problem;
    };

    using QObject::QObject;

    // The accounts as accounts.ini has them now.
    [[nodiscard]] virtual QList<AccountSettings> accounts() const = 0;
    [[nodiscard]] virtual Status status(int number) const = 0;
    // The account's client, or null while it has none (no password yet, unknown type,
    // stopped). Valid until the next accountsChanged.
    [[nodiscard]] virtual AccountClient* client(int number) const = 0;

public Q_SLOTS:
    // accounts.ini (or a password) changed: read it again, connect anew where the settings
    // changed, and forget the stop of those.
    virtual void reload() = 0;

Q_SIGNALS:
    void accountsChanged();
    void statusChanged(int number);
    // The account's tree file (accounts/<n>.opml) was written anew.
    void treeChanged(int number);
};
