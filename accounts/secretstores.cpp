#include "accounts/secretstores.h"

#include <utility>

#include "accounts/filesecretstore.h"
#include "accounts/keychainsecretstore.h"

namespace {

// The name the desktop's keyring lists the passwords under.
const QLatin1String kKeychainService("Quorvane3");

class AccountSecretStore final : public SecretStore {
public:
    explicit AccountSecretStore(const QString& folder)
        : keychain(new KeychainSecretStore(kKeychainService, this)),
          file(new FileSecretStore(folder, this)) {}

    void readPassword(const AccountSettings& account, ReadDone done) override {
        storeFor(account).readPassword(account, std::move(done));
    }
    void writePassword(const AccountSettings& account, const QString& password,
                       WriteDone done) override {
        storeFor(account).writePassword(account, password, std::move(done));
    }
    void removePassword(const AccountSettings& account, WriteDone done) override {
        storeFor(account).removePassword(account, std::move(done));
    }
    void probeKeyring(WriteDone done) override { keychain->probeKeyring(std::move(done)); }

private:
    SecretStore& storeFor(const AccountSettings& account) {
        switch (account.passwordStore) {
            case AccountSettings::PasswordStore::Keyring:
                return *keychain;
            case AccountSettings::PasswordStore::File:
                return *file;
        }
        return *keychain;
    }

    // Children: they go with the store, and their answers with them.
    SecretStore* keychain;
    SecretStore* file;
};

}  // namespace

std::unique_ptr<SecretStore> makeSecretStore(const QString& folder) {
    return std::make_unique<AccountSecretStore>(folder);
}
