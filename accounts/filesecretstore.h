#pragma once

#include <QString>
#include <memory>

#include "accounts/secretstore.h"
#include "platform/system/mailbox.h"

class WorkerPool;

// Passwords in secrets.ini (mode 0600, written whole and atomically) for the user who chose
// a plain file over the desktop's keyring:
//   [account-1]
//   url=https://rss.example.org/tt-rss/
//   user=alice
//   password=s3cret%20with%20a%20space
// The password is percent-encoded where it holds "%", spaces, control or non-ASCII
// characters, so that every byte of it survives. A password is handed out only for the
// account's own URL and user: an accounts.ini edited to point elsewhere gets none.
// Reads and writes run one at a time on a thread of the store's own, so that a read never
// sees half a write; a change holds secrets.ini.lock while it reads and writes the file, so
// that two stores on one file (two processes) never undo each other's changes.
class FileSecretStore final : public SecretStore {
    Q_OBJECT
public:
    explicit FileSecretStore(const QString& folder, QObject* parent = nullptr);
    ~FileSecretStore() override;

    [[nodiscard]] const QString& path() const { return filePath; }

    void readPassword(const AccountSettings& account, ReadDone done) override;
    void writePassword(const AccountSettings& account, const QString& password,
                       WriteDone done) override;
    void removePassword(const AccountSettings& account, WriteDone done) override;
    // Always done(false): a file is no keyring.
    void probeKeyring(WriteDone done) override;

private:
    void change(const AccountSettings& account, const QString* password, WriteDone done);

    QString filePath;
    std::shared_ptr<ThreadMailbox> mailbox;
    std::unique_ptr<WorkerPool> worker;
};
