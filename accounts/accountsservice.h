#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

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

    // Whether the account's feed (by the server's feed id) goes to the ticker: our own
    // choice, kept in accounts/<n>.hidden. Empty while it cannot be told (the file not read
    // yet, or unreadable, or no such account): not to be changed then.
    [[nodiscard]] virtual std::optional<bool> feedInTicker(int /*number*/,
                                                           const QString& /*feedId*/) const {
        return std::nullopt;
    }
    // Sets it at once (the next patrol follows it) and writes the file on a worker; done
    // then gets, on this thread, why the file could not be written (empty: it was).
    virtual void setFeedInTicker(int /*number*/, const QString& /*feedId*/, bool /*inTicker*/,
                                 std::function<void(const QString& error)> /*done*/) {}

public Q_SLOTS:
    // accounts.ini (or a password) changed: read it again, connect anew where the settings
    // changed, and forget the stop of those.
    virtual void reload() = 0;

Q_SIGNALS:
    void accountsChanged();
    void statusChanged(int number);
    // The account's tree file (accounts/<n>.opml) was written anew.
    void treeChanged(int number);
    // Which of the account's feeds go to the ticker was read, or changed.
    void tickerChoicesChanged(int number);
};
