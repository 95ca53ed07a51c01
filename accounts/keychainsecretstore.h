#pragma once

#include <QString>

#include "accounts/secretstore.h"

// Passwords in the desktop's Secret Service (GNOME Keyring, KWallet), each under the
// account's number, user and URL: an accounts.ini edited to point elsewhere finds none.
class KeychainSecretStore final : public SecretStore {
    Q_OBJECT
public:
    // service: the name the entries are kept under (the program's name).
    explicit KeychainSecretStore(const QString& service, QObject* parent = nullptr);

    // The key an account's password is kept under.
    [[nodiscard]] static QString keyFor(const AccountSettings& account);

    void readPassword(const AccountSettings& account, ReadDone done) override;
    void writePassword(const AccountSettings& account, const QString& password,
                       WriteDone done) override;
    void removePassword(const AccountSettings& account, WriteDone done) override;
    void probeKeyring(WriteDone done) override;

private:
    QString serviceName;
};
