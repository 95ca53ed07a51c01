#include "accounts/accountsettings.h"

#include <algorithm>

#include <QFile>
#include <QUrl>

#include "accounts/accountclients.h"
#include "platform/files/atomicfile.h"
#include "platform/files/paths.h"

namespace {

// A file of accounts a person wrote is a few hundred bytes; anything near this is not one.
constexpr qint64 kMaxFileBytes = 256 * 1024;
constexpr int kMaxAccounts = 100;
// Longest values kept: a URL as browsers take them in practice, a user name as servers do.
constexpr int kMaxUrlChars = 2048;
constexpr int kMaxUserChars = 256;
constexpr int kMaxTypeChars = 32;
constexpr int kMaxAccountNumber = 99999;

const QLatin1String kGroupPrefix("account-");

// n of "account-n", or 0 when the name is not one.
int accountNumberOf(const QString& group) {
    if (!group.startsWith(kGroupPrefix, Qt::CaseInsensitive)) {
        return 0;
    }
    const QString digits = group.mid(kGroupPrefix.size());
    if (digits.isEmpty() || digits.size() > 5 || digits.startsWith(QLatin1Char('0'))) {
        return 0;
    }
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return 0;
        }
    }
    return digits.toInt();
}

// A group as read: its keys in order, the first of a duplicated key counting.
struct Group {
    QString name;
    QList<std::pair<QString, QString>> keys;

    [[nodiscard]] QString value(QLatin1String key) const {
        for (const auto& [k, v] : keys) {
            if (k.compare(key, Qt::CaseInsensitive) == 0) {
                return v;
            }
        }
        return {};
    }
};

QList<Group> parseGroups(const QByteArray& bytes) {
    QList<Group> groups;
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            groups.append({line.mid(1, close < 0 ? -1 : close - 1).trimmed(), {}});
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || groups.isEmpty()) {
            continue;
        }
        groups.last().keys.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return groups;
}

bool isHttpUrl(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty() && url.userInfo().isEmpty();
}

// What is wrong with the account as it would be read back; empty when nothing is.
QString accountProblem(const AccountSettings& account) {
    if (account.number < 1 || account.number > kMaxAccountNumber) {
        return QStringLiteral("bad account number %1").arg(account.number);
    }
    if (account.type.size() > kMaxTypeChars || !isAccountType(account.type)) {
        return QStringLiteral("unknown type \"%1\"").arg(account.type.left(kMaxTypeChars));
    }
    if (account.url.size() > kMaxUrlChars || !isHttpUrl(account.url)) {
        return QStringLiteral("url is not an http or https address");
    }
    if (account.user.isEmpty() || account.user.size() > kMaxUserChars) {
        return QStringLiteral("user is empty or too long");
    }
    for (const QString* field : {&account.url, &account.user}) {
        for (const QChar c : *field) {
            if (c.category() == QChar::Other_Control) {
                return QStringLiteral("control character in url or user");
            }
        }
    }
    if (account.user != account.user.trimmed()) {
        return QStringLiteral("user begins or ends with a space");
    }
    return {};
}

}  // namespace

QString AccountSettings::displayName() const {
    return user + QLatin1Char('@') + QUrl(url).host();
}

bool AccountSettings::sameConnection(const AccountSettings& other) const {
    return type == other.type && url == other.url && user == other.user &&
           passwordStore == other.passwordStore;
}

QString accountsIniPath(const QString& folder) {
    return joinPath(folder, QStringLiteral("accounts.ini"));
}

QList<AccountSettings> readAccountsIni(const QString& path, QStringList* problems) {
    const auto problem = [problems](const QString& text) {
        if (problems != nullptr) {
            problems->append(text);
        }
    };
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        problem(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return {};
    }
    if (file.size() > kMaxFileBytes) {
        problem(QStringLiteral("%1: larger than %2 bytes, not read").arg(path).arg(kMaxFileBytes));
        return {};
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        problem(QStringLiteral("%1: larger than %2 bytes, not read").arg(path).arg(kMaxFileBytes));
        return {};
    }

    QList<AccountSettings> accounts;
    for (const Group& group : parseGroups(bytes)) {
        const QString name = group.name.left(64);
        const int number = accountNumberOf(group.name);
        if (number == 0) {
            problem(QStringLiteral("[%1]: not an account group, skipped").arg(name));
            continue;
        }
        const bool taken =
            std::any_of(accounts.cbegin(), accounts.cend(),
                        [number](const AccountSettings& a) { return a.number == number; });
        if (taken) {
            problem(QStringLiteral("[%1]: a second group of that number, skipped").arg(name));
            continue;
        }
        if (accounts.size() >= kMaxAccounts) {
            problem(
                QStringLiteral("[%1]: more than %2 accounts, skipped").arg(name).arg(kMaxAccounts));
            continue;
        }
        AccountSettings account;
        account.number = number;
        account.type = group.value(QLatin1String("type"));
        account.url = group.value(QLatin1String("url"));
        account.user = group.value(QLatin1String("user"));
        const QString store = group.value(QLatin1String("password_store"));
        // Anything but an explicit "file" keeps the password out of a plain file.
        account.passwordStore = store.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0
                                    ? AccountSettings::PasswordStore::File
                                    : AccountSettings::PasswordStore::Keyring;
        account.markReadWhenShown =
            group.value(QLatin1String("mark_read_when_shown")) == QLatin1String("1");
        const QString why = accountProblem(account);
        if (!why.isEmpty()) {
            problem(QStringLiteral("[%1]: %2, skipped").arg(name, why));
            continue;
        }
        accounts.append(account);
    }
    std::sort(
        accounts.begin(), accounts.end(),
        [](const AccountSettings& a, const AccountSettings& b) { return a.number < b.number; });
    return accounts;
}

bool writeAccountsIni(const QString& path, const QList<AccountSettings>& accounts, QString* error) {
    QByteArray bytes;
    QList<int> numbers;
    for (const AccountSettings& account : accounts) {
        // What could not be read back (a line break in a name would even make a key of its
        // own) is refused whole rather than written in part.
        QString why = accountProblem(account);
        if (why.isEmpty() && numbers.contains(account.number)) {
            why = QStringLiteral("a second account %1").arg(account.number);
        }
        if (!why.isEmpty()) {
            if (error != nullptr) {
                *error = QStringLiteral("account %1: %2").arg(account.number).arg(why);
            }
            return false;
        }
        numbers.append(account.number);
        if (!bytes.isEmpty()) {
            bytes += '\n';
        }
        bytes += "[account-" + QByteArray::number(account.number) + "]\n";
        bytes += "type=" + account.type.toUtf8() + '\n';
        bytes += "url=" + account.url.toUtf8() + '\n';
        bytes += "user=" + account.user.toUtf8() + '\n';
        bytes += account.passwordStore == AccountSettings::PasswordStore::File
                     ? "password_store=file\n"
                     : "password_store=keyring\n";
        bytes +=
            account.markReadWhenShown ? "mark_read_when_shown=1\n" : "mark_read_when_shown=0\n";
    }
    return writeFileAtomically(path, bytes, FileAccess::OwnerOnly, error);
}
