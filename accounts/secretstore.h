#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "accounts/accountsettings.h"

// Where accounts' passwords are kept: the desktop's Secret Service (GNOME Keyring, KWallet)
// for PasswordStore::Keyring, or secrets.ini (mode 0600, in the per-user folder) for
// PasswordStore::File, which the user chose knowing it is a plain file. Never config.ini,
// never a log. Every call returns at once; done comes later, queued on the caller's thread,
// never after the store is gone.
class SecretStore : public QObject {
    Q_OBJECT
public:
    // ok false: error says why in a sentence for the user (no Secret Service answers, the
    // user refused to unlock it, the file is unreadable). A password never stored reads as
    // ok with an empty password.
    using ReadDone = std::function<void(bool ok, const QString& password, const QString& error)>;
    using WriteDone = std::function<void(bool ok, const QString& error)>;

    using QObject::QObject;

    virtual void readPassword(const AccountSettings& account, ReadDone done) = 0;
    virtual void writePassword(const AccountSettings& account, const QString& password,
                               WriteDone done) = 0;
    virtual void removePassword(const AccountSettings& account, WriteDone done) = 0;
    // Whether a Secret Service answers on this desktop; done(false, why) when none does, so
    // that the account dialog can offer the file instead.
    virtual void probeKeyring(WriteDone done) = 0;
};
