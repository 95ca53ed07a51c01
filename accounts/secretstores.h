#pragma once

#include <QString>
#include <memory>

#include "accounts/secretstore.h"

// The program's secret store: each account's password where its settings say
// (PasswordStore::Keyring: the desktop's Secret Service under the program's name;
// PasswordStore::File: secrets.ini in folder, the folder of config.ini).
[[nodiscard]] std::unique_ptr<SecretStore> makeSecretStore(const QString& folder);
