#include "accounts/filesecretstore.h"

#include <QFile>
#include <QLockFile>
#include <QMetaObject>
#include <mutex>
#include <utility>

#include "platform/files/atomicfile.h"
#include "platform/files/paths.h"
#include "platform/system/workerpool.h"

namespace {

// Far more than any number of accounts' passwords; a larger file is not ours.
constexpr qint64 kMaxFileBytes = 1024 * 1024;
// A change holds the lock for one read and one write of a small file; a lock older than
// this was left by a process that died.
constexpr int kStaleLockMs = 30'000;
constexpr int kLockWaitMs = 10'000;

struct Entry {
    int number = 0;
    QString url;
    QString user;
    QString password;
};

struct Loaded {
    bool ok = true;
    QString error;
    QList<Entry> entries;
};

// Every printable ASCII character but "%" and the space stays as it is.
QByteArray encodePassword(const QString& password) {
    QByteArray keep;
    for (char c = '!'; c <= '~'; ++c) {
        if (c != '%') {
            keep += c;
        }
    }
    return password.toUtf8().toPercentEncoding(keep);
}

Loaded load(const QString& path) {
    Loaded loaded;
    QFile file(path);
    if (!file.exists()) {
        return loaded;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.ok = false;
        loaded.error = file.errorString();
        return loaded;
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        loaded.ok = false;
        loaded.error = QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes);
        return loaded;
    }
    Entry* current = nullptr;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            current = nullptr;
            const QByteArray name = line.mid(1, line.indexOf(']') - 1);
            bool ok = false;
            const int number = name.startsWith("account-") ? name.mid(8).toInt(&ok) : 0;
            if (ok && number > 0) {
                loaded.entries.append({number, {}, {}, {}});
                current = &loaded.entries.last();
            }
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (current == nullptr || equals <= 0) {
            continue;
        }
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == "url") {
            current->url = QString::fromUtf8(value);
        } else if (key == "user") {
            current->user = QString::fromUtf8(value);
        } else if (key == "password") {
            current->password = QString::fromUtf8(QByteArray::fromPercentEncoding(value));
        }
    }
    return loaded;
}

bool save(const QString& path, const QList<Entry>& entries, QString* error) {
    QByteArray bytes;
    for (const Entry& entry : entries) {
        if (!bytes.isEmpty()) {
            bytes += '\n';
        }
        bytes += "[account-" + QByteArray::number(entry.number) + "]\n";
        bytes += "url=" + entry.url.toUtf8() + '\n';
        bytes += "user=" + entry.user.toUtf8() + '\n';
        bytes += "password=" + encodePassword(entry.password) + '\n';
    }
    return writeFileAtomically(path, bytes, FileAccess::OwnerOnly, error);
}

}  // namespace

FileSecretStore::FileSecretStore(const QString& folder, QObject* parent)
    : SecretStore(parent),
      filePath(joinPath(folder, QStringLiteral("secrets.ini"))),
      mailbox(std::make_shared<ThreadMailbox>()),
      worker(std::make_unique<WorkerPool>(1)) {
    mailbox->target = this;
}

FileSecretStore::~FileSecretStore() {
    mailbox->close();
    // A write under way ends (whole) before the store goes; queued ones are dropped.
    worker.reset();
}

void FileSecretStore::readPassword(const AccountSettings& account, ReadDone done) {
    worker->start([path = filePath, account, box = mailbox, done = std::move(done)] {
        const Loaded loaded = load(path);
        QString password;
        for (const Entry& entry : loaded.entries) {
            if (entry.number == account.number && entry.url == account.url &&
                entry.user == account.user) {
                password = entry.password;
                break;
            }
        }
        const QString error =
            loaded.ok ? QString() : tr("%1 を読めません: %2").arg(path, loaded.error);
        box->deliver([done, ok = loaded.ok, password, error] { done(ok, password, error); });
    });
}

void FileSecretStore::writePassword(const AccountSettings& account, const QString& password,
                                    WriteDone done) {
    change(account, &password, std::move(done));
}

void FileSecretStore::removePassword(const AccountSettings& account, WriteDone done) {
    change(account, nullptr, std::move(done));
}

void FileSecretStore::change(const AccountSettings& account, const QString* password,
                             WriteDone done) {
    const bool removing = password == nullptr;
    worker->start([path = filePath, account, removing,
                   newPassword = removing ? QString() : *password, box = mailbox,
                   done = std::move(done)] {
        // Another store on the same file (another window, or a second instance starting)
        // reads, changes and writes it too: one at a time, or one's change undoes the
        // other's.
        QLockFile lock(path + QStringLiteral(".lock"));
        lock.setStaleLockTime(kStaleLockMs);
        if (!lock.tryLock(kLockWaitMs)) {
            const QString error =
                tr("%1 に書き込めません: %2").arg(path, tr("ほかのプログラムが使用中です"));
            box->deliver([done, error] { done(false, error); });
            return;
        }
        Loaded loaded = load(path);
        QString error;
        bool ok = loaded.ok;
        if (!ok) {
            // A file that cannot be read is never written over: it may hold the others.
            error = tr("%1 を読めません: %2").arg(path, loaded.error);
        } else {
            QList<Entry>& entries = loaded.entries;
            const qsizetype before = entries.size();
            entries.removeIf([&account](const Entry& e) { return e.number == account.number; });
            if (!removing) {
                entries.append({account.number, account.url, account.user, newPassword});
                std::sort(entries.begin(), entries.end(),
                          [](const Entry& a, const Entry& b) { return a.number < b.number; });
            }
            if (!removing || entries.size() != before) {
                QString why;
                ok = save(path, entries, &why);
                if (!ok) {
                    error = tr("%1 に書き込めません: %2").arg(path, why);
                }
            }
        }
        box->deliver([done, ok, error] { done(ok, error); });
    });
}

void FileSecretStore::probeKeyring(WriteDone done) {
    QMetaObject::invokeMethod(
        this, [done = std::move(done)] { done(false, tr("ファイルはキーリングではありません")); },
        Qt::QueuedConnection);
}
