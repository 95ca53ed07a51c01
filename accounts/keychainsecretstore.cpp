#include "accounts/keychainsecretstore.h"

#include <utility>

#include "platform/system/keychain.h"

namespace {

// A key never written: reading it tells whether anything answers, without a prompt.
const QLatin1String kProbeKey("probe");

}  // namespace

KeychainSecretStore::KeychainSecretStore(const QString& service, QObject* parent)
    : SecretStore(parent), serviceName(service) {}

QString KeychainSecretStore::keyFor(const AccountSettings& account) {
    return QStringLiteral("account-%1 %2 %3").arg(account.number).arg(account.user, account.url);
}

namespace {

QString failureText(const KeychainResult& result) {
    switch (result.status) {
        case KeychainResult::Status::Ok:
        case KeychainResult::Status::NotFound:
            return {};
        case KeychainResult::Status::Denied:
            return KeychainSecretStore::tr("キーリングの利用が許可されませんでした: %1")
                .arg(result.detail);
        case KeychainResult::Status::Unavailable:
        case KeychainResult::Status::Failed:
            return KeychainSecretStore::tr(
                       "デスクトップのキーリング (Secret Service) が応答しません: %1")
                .arg(result.detail);
    }
    return {};
}

bool succeeded(const KeychainResult& result) {
    return result.status == KeychainResult::Status::Ok ||
           result.status == KeychainResult::Status::NotFound;
}

}  // namespace

void KeychainSecretStore::readPassword(const AccountSettings& account, ReadDone done) {
    keychainRead(serviceName, keyFor(account), this,
                 [done = std::move(done)](const KeychainResult& result) {
                     done(succeeded(result), result.password, failureText(result));
                 });
}

void KeychainSecretStore::writePassword(const AccountSettings& account, const QString& password,
                                        WriteDone done) {
    keychainWrite(serviceName, keyFor(account), password, this,
                  [done = std::move(done)](const KeychainResult& result) {
                      // Written means found: a write never answers "not found".
                      done(result.status == KeychainResult::Status::Ok, failureText(result));
                  });
}

void KeychainSecretStore::removePassword(const AccountSettings& account, WriteDone done) {
    keychainRemove(serviceName, keyFor(account), this,
                   [done = std::move(done)](const KeychainResult& result) {
                       done(succeeded(result), failureText(result));
                   });
}

void KeychainSecretStore::probeKeyring(WriteDone done) {
    keychainRead(serviceName, kProbeKey, this,
                 [done = std::move(done)](const KeychainResult& result) {
                     done(succeeded(result), failureText(result));
                 });
}
