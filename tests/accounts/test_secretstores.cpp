#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <signal.h>
#include <sys/stat.h>

#include "accounts/filesecretstore.h"
#include "accounts/keychainsecretstore.h"
#include "accounts/secretstores.h"
#include "tests/platform/qstringprinter.h"

inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

#if defined(__SANITIZE_THREAD__)
#define QV_THREAD_SANITIZER
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QV_THREAD_SANITIZER
#endif
#endif

namespace {

int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

AccountSettings account(int number, const QString& user = QStringLiteral("alice")) {
    AccountSettings a;
    a.number = number;
    a.type = QStringLiteral("ttrss");
    a.url = QStringLiteral("https://rss.example.org/tt-rss/");
    a.user = user;
    return a;
}

struct Read {
    bool done = false;
    bool ok = false;
    QString password;
    QString error;
};

struct Wrote {
    bool done = false;
    bool ok = false;
    QString error;
};

Read readFrom(SecretStore& store, const AccountSettings& a) {
    auto result = std::make_shared<Read>();
    store.readPassword(a, [result](bool ok, const QString& password, const QString& error) {
        *result = {true, ok, password, error};
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result->done; }, 30000));
    return *result;
}

Wrote writeTo(SecretStore& store, const AccountSettings& a, const QString* password) {
    auto result = std::make_shared<Wrote>();
    const auto done = [result](bool ok, const QString& error) { *result = {true, ok, error}; };
    if (password != nullptr) {
        store.writePassword(a, *password, done);
    } else {
        store.removePassword(a, done);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return result->done; }, 30000));
    return *result;
}

Wrote probe(SecretStore& store) {
    auto result = std::make_shared<Wrote>();
    store.probeKeyring([result](bool ok, const QString& error) { *result = {true, ok, error}; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result->done; }, 30000));
    return *result;
}

const QString kOdd = QStringLiteral(" pa%ss=wörd\nwith [account-2] \"quotes\"\t; ");

}  // namespace

TEST(FileSecretStoreTest, KeepsEveryCharacterForTheAccountItWasWrittenForOnly) {
    QTemporaryDir dir;
    ::umask(022);
    FileSecretStore store(dir.path());
    const QString other = QStringLiteral("other");
    ASSERT_TRUE(writeTo(store, account(1), &kOdd).ok);
    ASSERT_TRUE(writeTo(store, account(2, QStringLiteral("bob")), &other).ok);

    const Read read = readFrom(store, account(1));
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.password, kOdd);
    EXPECT_EQ(readFrom(store, account(2, QStringLiteral("bob"))).password, other);
    EXPECT_EQ(modeOf(store.path()), 0600);

    // The same number pointed at another server or user: no password goes there.
    AccountSettings moved = account(1);
    moved.url = QStringLiteral("https://elsewhere.example/");
    const Read elsewhere = readFrom(store, moved);
    EXPECT_TRUE(elsewhere.ok);
    EXPECT_TRUE(elsewhere.password.isEmpty());
    EXPECT_TRUE(readFrom(store, account(1, QStringLiteral("mallory"))).password.isEmpty());

    ASSERT_TRUE(writeTo(store, account(1), nullptr).ok);
    EXPECT_TRUE(readFrom(store, account(1)).password.isEmpty());
    EXPECT_EQ(readFrom(store, account(2, QStringLiteral("bob"))).password, other);
    QFile file(store.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("wörd"));
}

// Two stores on one file (the dialog's and the running accounts'), on threads of their own:
// a read during a stream of writes sees one whole password or another, never a part.
TEST(FileSecretStoreTest, ReadsDuringWritesSeeWholeFiles) {
    QTemporaryDir dir;
    FileSecretStore writer(dir.path());
    FileSecretStore reader(dir.path());
    QStringList written;
    for (int i = 0; i < 40; ++i) {
        written.append(QString(200 + i, QLatin1Char('a' + i % 26)));
    }
    ASSERT_TRUE(writeTo(writer, account(1), &written[0]).ok);
    int writesDone = 0;
    QList<Read> reads;
    for (int i = 0; i < 40; ++i) {
        writer.writePassword(account(1), written[i], [&](bool ok, const QString&) {
            EXPECT_TRUE(ok);
            ++writesDone;
        });
        reader.readPassword(account(1),
                            [&](bool ok, const QString& password, const QString& error) {
                                reads.append({true, ok, password, error});
                            });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return writesDone == 40 && reads.size() == 40; }, 120000));
    for (const Read& read : reads) {
        EXPECT_TRUE(read.ok) << read.error;
        EXPECT_TRUE(written.contains(read.password)) << read.password;
    }
    EXPECT_EQ(readFrom(reader, account(1)).password, written.last());
}

// Two stores on one file change it at once, each its own accounts: every change is kept.
TEST(FileSecretStoreTest, TwoStoresOnOneFileKeepEachOthersChanges) {
    QTemporaryDir dir;
    FileSecretStore first(dir.path());
    FileSecretStore second(dir.path());
    int writesDone = 0;
    for (int i = 1; i <= 30; ++i) {
        FileSecretStore& store = i % 2 == 0 ? first : second;
        store.writePassword(account(i), QStringLiteral("password-%1").arg(i),
                            [&](bool ok, const QString& error) {
                                EXPECT_TRUE(ok) << error;
                                ++writesDone;
                            });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return writesDone == 30; }, 120000));
    for (int i = 1; i <= 30; ++i) {
        EXPECT_EQ(readFrom(first, account(i)).password, QStringLiteral("password-%1").arg(i));
    }
}

TEST(FileSecretStoreTest, NoAnswerComesAfterTheStoreIsGone) {
    QTemporaryDir dir;
    bool called = false;
    {
        FileSecretStore store(dir.path());
        for (int i = 0; i < 20; ++i) {
            store.writePassword(account(1), QStringLiteral("x"),
                                [&called](bool, const QString&) { called = true; });
        }
    }
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(called);
}

namespace {

// A session bus of the test's own (dbus-run-session), with GNOME Keyring on it when asked:
// the desktop's Secret Service as a user has it, in a home of the test's own.
class SecretServiceTest : public ::testing::Test {
protected:
    void startBus(bool withKeyring) {
#if defined(QV_THREAD_SANITIZER)
        // libsecret's threads (GDBus, a task pool) hand memory over with GLib's own futexes,
        // which the sanitizer cannot see: it would report GLib's hand-overs, not ours.
        GTEST_SKIP() << "the Secret Service is reached through GLib, which the thread "
                        "sanitizer cannot follow";
#endif
        // A process opens its session bus once: a second bus would not be seen.
        static bool busStarted = false;
        if (busStarted) {
            GTEST_SKIP() << "each case needs a process of its own (as ctest runs them)";
        }
        busStarted = true;
        for (const char* tool : {"dbus-run-session", "dbus-send"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
                GTEST_SKIP() << tool << " is not installed (scripts/deps installs it)";
            }
        }
        if (withKeyring &&
            QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")).isEmpty()) {
            GTEST_SKIP() << "gnome-keyring-daemon is not installed (scripts/deps installs it)";
        }
        ASSERT_TRUE(home.isValid());
        // No service directories: nothing starts on the bus but what the test starts.
        QFile config(home.filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
            "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
            "busconfig.dtd\">\n<busconfig><type>session</type><listen>unix:dir=" +
            home.path().toUtf8() +
            "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
            "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
            "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        session.setProcessEnvironment(env);
        session.setProcessChannelMode(QProcess::SeparateChannels);
        session.setStandardErrorFile(QProcess::nullDevice());
        // The shell prints its pid (the daemon's, once it has exec'd) and the bus's address.
        const QString child = withKeyring ? QStringLiteral(
                                                "exec gnome-keyring-daemon --foreground --unlock "
                                                "--components=secrets")
                                          : QStringLiteral("exec sleep 300");
        session.start(QStringLiteral("dbus-run-session"),
                      {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--"),
                       QStringLiteral("sh"), QStringLiteral("-c"),
                       QStringLiteral("echo \"$$ $DBUS_SESSION_BUS_ADDRESS\"; ") + child});
        ASSERT_TRUE(session.waitForStarted(10000));
        // The new login keyring's password: unlocked from the start, as after a log-in.
        session.write("test-login-password");
        session.closeWriteChannel();
        ASSERT_TRUE(QTest::qWaitFor([this] { return session.canReadLine(); }, 10000));
        const QList<QByteArray> line = session.readLine().trimmed().split(' ');
        ASSERT_EQ(line.size(), 2);
        childPid = line[0].toInt();
        ASSERT_GT(childPid, 0);
        // Before anything in this process opens the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", line[1]);
        if (withKeyring) {
            ASSERT_TRUE(QTest::qWaitFor([] { return secretServiceOwned(); }, 10000))
                << "GNOME Keyring did not take the Secret Service's name";
        }
    }

    static bool secretServiceOwned() {
        QProcess ask;
        ask.start(
            QStringLiteral("dbus-send"),
            {QStringLiteral("--session"), QStringLiteral("--print-reply"),
             QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
             QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
             QStringLiteral("string:org.freedesktop.secrets")});
        return ask.waitForFinished(5000) && ask.readAllStandardOutput().contains("true");
    }

    void TearDown() override {
        if (childPid > 0) {
            // The session ends with its child, and takes its bus with it.
            ::kill(childPid, SIGTERM);
        }
        if (session.state() != QProcess::NotRunning && !session.waitForFinished(10000)) {
            session.kill();
            session.waitForFinished(5000);
        }
    }

    QTemporaryDir home;
    QProcess session;
    qint64 childPid = 0;
};

}  // namespace

TEST_F(SecretServiceTest, GnomeKeyringKeepsEachAccountsPasswordUnderItsOwnKey) {
    startBus(true);
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    KeychainSecretStore store(QStringLiteral("Quorvane3-test"));
    const Wrote probed = probe(store);
    ASSERT_TRUE(probed.ok) << probed.error;

    const QString second = QStringLiteral("second");
    const Wrote wrote = writeTo(store, account(1), &kOdd);
    ASSERT_TRUE(wrote.ok) << wrote.error;
    ASSERT_TRUE(writeTo(store, account(2), &second).ok);
    const Read read = readFrom(store, account(1));
    EXPECT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.password, kOdd);
    EXPECT_EQ(readFrom(store, account(2)).password, second);

    // Never stored, or stored for another server: ok, and empty.
    AccountSettings moved = account(1);
    moved.url = QStringLiteral("https://elsewhere.example/");
    const Read elsewhere = readFrom(store, moved);
    EXPECT_TRUE(elsewhere.ok) << elsewhere.error;
    EXPECT_TRUE(elsewhere.password.isEmpty());

    ASSERT_TRUE(writeTo(store, account(1), nullptr).ok);
    EXPECT_TRUE(readFrom(store, account(1)).password.isEmpty());
    EXPECT_EQ(readFrom(store, account(2)).password, second);
    // Removing what is not there is no failure.
    EXPECT_TRUE(writeTo(store, account(1), nullptr).ok);
}

// A desktop without a keyring: the probe says so in a sentence, and the program's store
// still keeps a password in the file when the account asks for that.
TEST_F(SecretServiceTest, WithoutASecretServiceTheProbeSaysSoAndTheFileStillWorks) {
    startBus(false);
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    QTemporaryDir dir;
    const std::unique_ptr<SecretStore> store = makeSecretStore(dir.path());
    const Wrote probed = probe(*store);
    EXPECT_FALSE(probed.ok);
    EXPECT_TRUE(probed.error.contains(QStringLiteral("キーリング"))) << probed.error;
    const QString password = QStringLiteral("pw");
    const Wrote toKeyring = writeTo(*store, account(1), &password);
    EXPECT_FALSE(toKeyring.ok);
    EXPECT_FALSE(toKeyring.error.isEmpty());

    AccountSettings inFile = account(1);
    inFile.passwordStore = AccountSettings::PasswordStore::File;
    ASSERT_TRUE(writeTo(*store, inFile, &password).ok);
    EXPECT_EQ(readFrom(*store, inFile).password, password);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("secrets.ini"))));
}
