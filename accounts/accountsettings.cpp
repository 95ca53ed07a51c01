#include "accounts/accountsettings.h"

#include <QFile>
#include <algorithm>
#include <QRegularExpression>
#include <QUrl>

#include "accounts/accountclients.h"
#include "platform/files/atomicfile.h"
#include "platform/files/paths.h"

namespace {

// accounts.ini is a few lines a person may edit; anything larger is not ours.
constexpr qint64 kMaxFileBytes = 1024 * 1024;

}  // namespace

QString AccountSettings::displayName() const {
    const QString host = QUrl(url).host();
    return host.isEmpty() ? user : user + QLatin1Char('@') + host;
}

bool AccountSettings::sameConnection(const AccountSettings& other) const {
    return type == other.type && url == other.url && user == other.user &&
           passwordStore == other.passwordStore;
}

QString accountsIniPath(const QString& folder) {
    return joinPath(folder, QStringLiteral("accounts.ini"));
}

QList<AccountSettings> readAccountsIni(const QString& path, QStringList* problems) {
    QList<AccountSettings> accounts;
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        return accounts;
    }
    static const QRegularExpression group(QStringLiteral("^\\[account-([1-9][0-9]{0,5})\\]$"));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    AccountSettings* current = nullptr;
    QString currentGroup;
    const auto close = [&] {
        if (current != nullptr && !isAccountType(current->type)) {
            if (problems != nullptr) {
                problems->append(currentGroup);
            }
            accounts.removeLast();
        }
        current = nullptr;
    };
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            close();
            currentGroup = line;
            const QRegularExpressionMatch match = group.match(line);
            bool known = match.hasMatch();
            const int number = known ? match.captured(1).toInt() : 0;
            for (const AccountSettings& account : std::as_const(accounts)) {
                known = known && account.number != number;
            }
            if (!known) {
                if (problems != nullptr) {
                    problems->append(line);
                }
                continue;
            }
            accounts.append(AccountSettings{});
            current = &accounts.last();
            current->number = number;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (current == nullptr || equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("type")) {
            current->type = value;
        } else if (key == QLatin1String("url")) {
            current->url = value;
        } else if (key == QLatin1String("user")) {
            current->user = value;
        } else if (key == QLatin1String("password_store")) {
            current->passwordStore = value == QLatin1String("file")
                                         ? AccountSettings::PasswordStore::File
                                         : AccountSettings::PasswordStore::Keyring;
        } else if (key == QLatin1String("mark_read_when_shown")) {
            current->markReadWhenShown = value == QLatin1String("1");
        }
    }
    close();
    std::sort(
        accounts.begin(), accounts.end(),
        [](const AccountSettings& a, const AccountSettings& b) { return a.number < b.number; });
    return accounts;
}

bool writeAccountsIni(const QString& path, const QList<AccountSettings>& accounts, QString* error) {
    QByteArray bytes;
    for (const AccountSettings& account : accounts) {
        if (!bytes.isEmpty()) {
            bytes += '\n';
        }
        bytes += "[account-" + QByteArray::number(account.number) + "]\n";
        bytes += "type=" + account.type.toUtf8() + '\n';
        bytes += "url=" + account.url.toUtf8() + '\n';
        bytes += "user=" + account.user.toUtf8() + '\n';
        bytes +=
            QByteArray("password_store=") +
            (account.passwordStore == AccountSettings::PasswordStore::File ? "file" : "keyring") +
            '\n';
        bytes +=
            QByteArray("mark_read_when_shown=") + (account.markReadWhenShown ? "1" : "0") + '\n';
    }
    return writeFileAtomically(path, bytes, FileAccess::OwnerOnly, error);
}
