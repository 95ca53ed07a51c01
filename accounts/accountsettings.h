#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One account as accounts.ini keeps it (UTF-8, beside config.ini, written whole and
// atomically, mode 0600):
//   [account-1]
//   type=ttrss
//   url=https://rss.example.org/tt-rss/      (the base URL or its /api/ URL)
//   user=alice
//   password_store=keyring                   (keyring | file)
//   mark_read_when_shown=0                   (0 | 1)
// The password is never in this file.
struct AccountSettings {
    enum class PasswordStore { Keyring, File };

    // n of the group [account-n]: names the account everywhere else (ArticleRecord::Account,
    // its tree file accounts/<n>.opml, its file of marks to send).
    int number = 0;
    QString type;
    QString url;
    QString user;
    PasswordStore passwordStore = PasswordStore::Keyring;
    bool markReadWhenShown = false;

    // "user@host", the name of the account's folder in the tree.
    [[nodiscard]] QString displayName() const;
    // Whether a change from other means the client must connect anew (and an account stopped
    // for wrong credentials may be asked again).
    [[nodiscard]] bool sameConnection(const AccountSettings& other) const;
};

// accounts.ini in folder (the folder of config.ini).
[[nodiscard]] QString accountsIniPath(const QString& folder);

// The accounts in the file, by ascending number; groups that are not [account-n] or whose
// type is not a known protocol are skipped, and each skipped group is named in problems.
// No file: none.
[[nodiscard]] QList<AccountSettings> readAccountsIni(const QString& path,
                                                     QStringList* problems = nullptr);
// Writes the whole file anew, atomically, mode 0600. False with error set when it failed
// (the file on disk is then as it was).
bool writeAccountsIni(const QString& path, const QList<AccountSettings>& accounts,
                      QString* error = nullptr);
