#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>

#include "accounts/accountcheck.h"
#include "accounts/accountsettings.h"
#include "tests/platform/qstringprinter.h"

inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

namespace {

int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = accountsIniPath(dir.path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
}

AccountSettings account(int number, const QString& url, const QString& user) {
    AccountSettings a;
    a.number = number;
    a.type = QStringLiteral("ttrss");
    a.url = url;
    a.user = user;
    return a;
}

}  // namespace

TEST(AccountSettingsTest, RoundTripKeepsEveryFieldAndOnlyTheOwnerMayReadTheFile) {
    QTemporaryDir dir;
    AccountSettings first =
        account(3, QStringLiteral("https://rss.example.org/tt-rss/api/"), QStringLiteral("ありす"));
    first.passwordStore = AccountSettings::PasswordStore::File;
    first.markReadWhenShown = true;
    const AccountSettings second =
        account(12, QStringLiteral("http://127.0.0.1:8080/"), QStringLiteral("bob=1;#x"));
    const QString path = accountsIniPath(dir.path());
    ::umask(022);
    QString error;
    ASSERT_TRUE(writeAccountsIni(path, {second, first}, &error)) << error;

    QStringList problems;
    const QList<AccountSettings> read = readAccountsIni(path, &problems);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n'));
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].number, 3);
    EXPECT_EQ(read[0].url, first.url);
    EXPECT_EQ(read[0].user, first.user);
    EXPECT_EQ(read[0].passwordStore, AccountSettings::PasswordStore::File);
    EXPECT_TRUE(read[0].markReadWhenShown);
    EXPECT_EQ(read[1].number, 12);
    EXPECT_EQ(read[1].user, second.user);
    EXPECT_EQ(read[1].passwordStore, AccountSettings::PasswordStore::Keyring);
    EXPECT_FALSE(read[1].markReadWhenShown);
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(first.displayName(), QStringLiteral("ありす@rss.example.org"));
}

// What would not read back as it was written is refused whole, and the file stays as it was:
// a line break in a user name would otherwise add keys or accounts of its own.
TEST(AccountSettingsTest, WriteRefusesWhatCouldNotBeReadBackAndKeepsTheFile) {
    QTemporaryDir dir;
    const QString path = accountsIniPath(dir.path());
    const AccountSettings good =
        account(1, QStringLiteral("https://a.example/"), QStringLiteral("a"));
    ASSERT_TRUE(writeAccountsIni(path, {good}));
    QFile before(path);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();

    const QList<AccountSettings> bad = {
        account(2, QStringLiteral("https://b.example/"), QStringLiteral("x\n[account-9]\nurl=y")),
        account(2, QStringLiteral("file:///etc/passwd"), QStringLiteral("x")),
        account(2, QStringLiteral("https://b.example/"), QString()),
        account(0, QStringLiteral("https://b.example/"), QStringLiteral("x")),
        account(2, QStringLiteral("https://") + QString(3000, QLatin1Char('a')) + ".example/",
                QStringLiteral("x")),
    };
    for (const AccountSettings& one : bad) {
        QString error;
        EXPECT_FALSE(writeAccountsIni(path, {good, one}, &error)) << one.user << one.url;
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_FALSE(writeAccountsIni(path, {good, good}));
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

// A file a person edited, or something else wrote: what can be used is, the rest is named.
TEST(AccountSettingsTest, ReadsWhatItCanOfOddFilesAndNamesTheRest) {
    QTemporaryDir dir;
    const QString path = writeFile(
        dir,
        "\xEF\xBB\xBF; accounts\r\n"
        "[general]\r\nurl=https://ignored.example/\r\n"
        "[account-2]\r\ntype=ttrss\r\nurl = https://two.example/tt-rss/ \r\n"
        "user=two\r\nuser=second\r\nURL=https://other.example/\r\n"
        "password_store=plaintext\r\nmark_read_when_shown=yes\r\n"
        "[account-1]\ntype=ttrss\nurl=ftp://one.example/\nuser=one\n"
        "[account-2]\ntype=ttrss\nurl=https://dup.example/\nuser=dup\n"
        "[account-3]\ntype=miniflux\nurl=https://three.example/\nuser=three\n"
        "[account-04]\ntype=ttrss\nurl=https://four.example/\nuser=four\n"
        "[account-5]\ntype=ttrss\nurl=javascript:alert(1)\nuser=five\n"
        "[account-6]\ntype=ttrss\nurl=https://six.example/\nuser=six\npassword_store=file\n"
        "[account-7]\ntype=ttrss\nurl=https://x:y@seven.example/\nuser=seven\n"
        "password=should-never-be-here\n"
        "[account-8\ntype=ttrss\nurl=https://eight.example/\nuser=eight\n"
        "key without group\n=novalue\n");
    QStringList problems;
    const QList<AccountSettings> read = readAccountsIni(path, &problems);
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[0].number, 2);
    EXPECT_EQ(read[0].url, QStringLiteral("https://two.example/tt-rss/"));
    EXPECT_EQ(read[0].user, QStringLiteral("two"));
    // Only an explicit "file" puts a password in a plain file.
    EXPECT_EQ(read[0].passwordStore, AccountSettings::PasswordStore::Keyring);
    EXPECT_FALSE(read[0].markReadWhenShown);
    EXPECT_EQ(read[1].number, 6);
    EXPECT_EQ(read[1].passwordStore, AccountSettings::PasswordStore::File);
    // An unclosed group name is still the group it names.
    EXPECT_EQ(read[2].number, 8);
    // general, account-1 (ftp), the second account-2, account-3 (type), account-04,
    // account-5 (not http), account-7 (user info in the URL).
    EXPECT_EQ(problems.size(), 7) << problems.join(QLatin1Char('\n'));
}

TEST(AccountSettingsTest, AbsurdFilesAreNotReadAndNoFileIsNoAccounts) {
    QTemporaryDir dir;
    QStringList problems;
    EXPECT_TRUE(readAccountsIni(accountsIniPath(dir.path()), &problems).isEmpty());
    EXPECT_TRUE(problems.isEmpty());

    QByteArray huge = "[account-1]\ntype=ttrss\nurl=https://a.example/\nuser=a\n";
    huge += QByteArray(400 * 1024, 'x');
    const QString path = writeFile(dir, huge);
    EXPECT_TRUE(readAccountsIni(path, &problems).isEmpty());
    EXPECT_EQ(problems.size(), 1);

    // A long line of many groups: the count stays bounded.
    QByteArray many;
    for (int i = 1; i <= 300; ++i) {
        many +=
            "[account-" + QByteArray::number(i) + "]\ntype=ttrss\nurl=https://a.example/\nuser=a\n";
    }
    writeFile(dir, many);
    problems.clear();
    EXPECT_EQ(readAccountsIni(path, &problems).size(), 100);
    EXPECT_EQ(problems.size(), 200);
}

// The password goes unencrypted only to this machine unless the user agrees: a name that
// merely begins like a loopback address is another host.
TEST(AccountSettingsTest, OnlyPlainHttpToAnotherHostSendsThePasswordInClear) {
    const std::pair<const char*, bool> cases[] = {
        {"https://rss.example.org/", false},
        {"http://localhost/tt-rss/", false},
        {"http://LOCALHOST:8080/", false},
        {"http://127.0.0.1:8080/api/", false},
        {"http://127.5.6.7/", false},
        {"http://[::1]/", false},
        {"http://rss.example.org/", true},
        {"HTTP://rss.example.org/", true},
        {"http://192.168.1.2/", true},
        {"http://localhost.example.org/", true},
        {"http://127.0.0.1.example.org/", true},
        {"http://foo.localhost/", true},
    };
    for (const auto& [url, clear] : cases) {
        EXPECT_EQ(sendsPasswordInClear(QString::fromLatin1(url)), clear) << url;
    }
    EXPECT_TRUE(accountUrlProblem(QStringLiteral("https://rss.example.org/")).isEmpty());
    for (const char* bad : {"", "rss.example.org", "ftp://rss.example.org/", "file:///etc/passwd",
                            "https://me:pw@rss.example.org/", "javascript:alert(1)"}) {
        EXPECT_FALSE(accountUrlProblem(QString::fromLatin1(bad)).isEmpty()) << bad;
    }
}
