#pragma once

#include <QString>

#include "accounts/secretstore.h"

// The passwords of accounts as secrets.ini (beside config.ini, mode 0600) holds them:
//   [account-1]
//   password=…
// Read only: the account dialog's stores write them. Stands in until the desktop's Secret
// Service store is wired in here.
class InterimSecrets final : public SecretStore {
    Q_OBJECT
public:
    explicit InterimSecrets(const QString& folder, QObject* parent = nullptr);

    void readPassword(const AccountSettings& account, ReadDone done) override;
    void writePassword(const AccountSettings& account, const QString& password,
                       WriteDone done) override;
    void removePassword(const AccountSettings& account, WriteDone done) override;
    void probeKeyring(WriteDone done) override;

private:
    QString path;
};
