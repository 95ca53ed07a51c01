#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <ostream>

#include "accounts/accountsservice.h"
#include "accounts/filesecretstore.h"
#include "dialogs/accountsdialog.h"
#include "platform/net/httpclient.h"
#include "platform/system/workerpool.h"
#include "tests/common/fakes.h"
#include "tests/accounts/ttrssserver.h"
#include "tests/common/loopbackserver.h"
#include "tests/platform/qstringprinter.h"

inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

namespace {

// The program's accounts as far as the dialog sees them: it is told to read the file again.
class CountingAccountsService final : public AccountsService {
public:
    [[nodiscard]] QList<AccountSettings> accounts() const override { return {}; }
    [[nodiscard]] Status status(int) const override { return {}; }
    [[nodiscard]] AccountClient* client(int) const override { return nullptr; }
    void reload() override { ++reloads; }
    int reloads = 0;
};

class AccountsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        options.connectTimeoutMs = 5000;
        options.totalTimeoutMs = 60000;
        dialog = std::make_unique<AccountsDialog>(
            AccountsDialogSeams{folder.path(), secrets, http, workers, options, box,
                                QStringLiteral("Quorvane3"), &service});
        dialog->showOrRaise();
        // The file store is no keyring: the file is offered.
        ASSERT_TRUE(QTest::qWaitFor([this] { return dialog->optFile->isEnabled(); }, 10000));
        EXPECT_FALSE(dialog->lblKeyring->isHidden());
        EXPECT_FALSE(dialog->lblKeyring->text().isEmpty());
    }

    void fill(const QString& url, const QString& user, const QString& password) {
        dialog->cmdAdd_Click();
        dialog->txtURL->setText(url);
        dialog->txtUser->setText(user);
        dialog->txtPassword->setText(password);
    }

    // What the check said once it ended.
    QString checked() {
        dialog->cmdCheck_Click();
        EXPECT_TRUE(dialog->checking());
        EXPECT_TRUE(QTest::qWaitFor([this] { return !dialog->checking(); }, 120000));
        return dialog->lblCheck->text();
    }

    bool changed() {
        QSignalSpy ended(dialog.get(), &AccountsDialog::changeEnded);
        EXPECT_TRUE(ended.wait(30000));
        return !ended.isEmpty() && ended.first().first().toBool();
    }

    QByteArray fileBytes(const QString& name) {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    FileSecretStore secrets{folder.path()};
    HttpClient http;
    WorkerPool workers{1};
    FetchOptions options;
    FakeMessageBox box;
    CountingAccountsService service;
    std::unique_ptr<AccountsDialog> dialog;
};

}  // namespace

TEST_F(AccountsDialogTest, ClosingDuringACheckEndsIt) {
    LoopbackServer server;
    server.hold(QStringLiteral("/held/api/"));
    fill(server.url(QStringLiteral("/held/")), QStringLiteral("alice"), QStringLiteral("pw"));
    dialog->cmdCheck_Click();
    ASSERT_TRUE(dialog->checking());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return server.requestCount(QStringLiteral("/held/api/")) == 1; }, 10000));
    dialog->close();
    EXPECT_FALSE(dialog->checking());
    EXPECT_TRUE(QTest::qWaitFor([this] { return http.activeCount() == 0; }, 10000));
    EXPECT_TRUE(dialog->lblCheck->text().isEmpty());
    EXPECT_TRUE(dialog->cmdCheck->isEnabled());
}

// The password goes in clear over plain http only once the user has agreed; to this machine
// it is not asked.
TEST_F(AccountsDialogTest, PlainHttpToAnotherHostAsksBeforeThePasswordGoes) {
    box.answers = {MsgResult::Cancel, MsgResult::Ok};
    fill(QStringLiteral("http://192.0.2.1/tt-rss/"), QStringLiteral("alice"), QStringLiteral("pw"));
    dialog->cmdCheck_Click();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("http://192.0.2.1/tt-rss/")));
    EXPECT_FALSE(dialog->checking());
    dialog->cmdSave_Click();
    EXPECT_EQ(box.shown.size(), 2);
    ASSERT_TRUE(changed());
    // Agreed once for that address: not asked again.
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialog->cmdCheck->isEnabled(); }, 10000));
    dialog->cmdCheck_Click();
    EXPECT_EQ(box.shown.size(), 2);
    EXPECT_TRUE(dialog->checking());
    dialog->close();
    EXPECT_FALSE(dialog->checking());

    dialog->showOrRaise();
    LoopbackServer server;
    fill(server.url(QStringLiteral("/")), QStringLiteral("bob"), QStringLiteral("pw"));
    dialog->cmdCheck_Click();
    EXPECT_EQ(box.shown.size(), 2);
    EXPECT_TRUE(dialog->checking());
    dialog->close();
    dialog->showOrRaise();
    fill(QStringLiteral("ftp://example.org/"), QStringLiteral("bob"), QStringLiteral("pw"));
    dialog->cmdCheck_Click();
    EXPECT_FALSE(dialog->checking());
    EXPECT_FALSE(dialog->lblStatus->text().isEmpty());
}

TEST_F(AccountsDialogTest, SaveKeepsThePasswordAndTheAccountAndRemoveTakesEverything) {
    fill(QStringLiteral("https://rss.example.org/tt-rss/"), QStringLiteral("alice"),
         QStringLiteral("s3cret"));
    dialog->optFile->setChecked(true);
    dialog->chkMarkRead->setChecked(true);
    dialog->cmdSave_Click();
    ASSERT_TRUE(changed()) << dialog->lblStatus->text();
    EXPECT_EQ(service.reloads, 1);
    EXPECT_EQ(fileBytes(QStringLiteral("accounts.ini")),
              "[account-1]\ntype=ttrss\nurl=https://rss.example.org/tt-rss/\nuser=alice\n"
              "password_store=file\nmark_read_when_shown=1\n");
    EXPECT_TRUE(fileBytes(QStringLiteral("secrets.ini")).contains("password=s3cret"));
    ASSERT_EQ(dialog->shownAccounts().size(), 1);
    EXPECT_EQ(dialog->editedAccount(), 1);

    // A second account takes the next number; the first keeps its password when shown again.
    fill(QStringLiteral("https://other.example/"), QStringLiteral("bob"), QStringLiteral("pw2"));
    dialog->optFile->setChecked(true);
    dialog->cmdSave_Click();
    ASSERT_TRUE(changed());
    EXPECT_EQ(dialog->editedAccount(), 2);
    dialog->selectAccount(0);
    EXPECT_FALSE(dialog->cmdSave->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([this] { return dialog->txtPassword->text() == "s3cret"; }, 10000));
    EXPECT_TRUE(dialog->cmdSave->isEnabled());
    // A password typed before the stored one comes is the one kept. The store answers in
    // order: once a later read is answered, the dialog's has been too.
    dialog->selectAccount(1);
    QTest::keyClicks(dialog->txtPassword, QStringLiteral("typed"));
    bool later = false;
    secrets.readPassword(dialog->shownAccounts().at(1),
                         [&later](bool, const QString&, const QString&) { later = true; });
    ASSERT_TRUE(QTest::qWaitFor([&later] { return later; }, 10000));
    EXPECT_EQ(dialog->txtPassword->text(), QStringLiteral("typed"));
    EXPECT_TRUE(dialog->cmdSave->isEnabled());
    dialog->selectAccount(0);
    EXPECT_TRUE(QTest::qWaitFor([this] { return dialog->txtPassword->text() == "s3cret"; }, 10000));
    // A new address keeps the password that goes with it.
    dialog->txtURL->setText(QStringLiteral("https://moved.example/"));
    dialog->cmdSave_Click();
    ASSERT_TRUE(changed());
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return dialog->txtPassword->text() == QStringLiteral("s3cret"); }, 10000));
    EXPECT_TRUE(fileBytes(QStringLiteral("secrets.ini")).contains("url=https://moved.example/"));

    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("accounts")));
    for (const char* name : {"accounts/1.opml", "accounts/1.marks", "accounts/1.cursor",
                             "accounts/1.hidden", "accounts/2.opml"}) {
        QFile file(folder.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    dialog->cmdRemove_Click();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].icon, MsgIcon::Question);
    ASSERT_TRUE(changed());
    EXPECT_EQ(service.reloads, 4);
    EXPECT_FALSE(fileBytes(QStringLiteral("accounts.ini")).contains("alice"));
    EXPECT_TRUE(fileBytes(QStringLiteral("accounts.ini")).contains("[account-2]"));
    EXPECT_FALSE(fileBytes(QStringLiteral("secrets.ini")).contains("s3cret"));
    EXPECT_TRUE(fileBytes(QStringLiteral("secrets.ini")).contains("pw2"));
    // Removed in order, the account's ticker choices last: none is left for a later account
    // given its number.
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return !QFile::exists(folder.filePath(QStringLiteral("accounts/1.hidden"))); },
        10000));
    for (const char* name : {"accounts/1.opml", "accounts/1.marks", "accounts/1.cursor"}) {
        EXPECT_FALSE(QFile::exists(folder.filePath(QLatin1String(name)))) << name;
    }
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("accounts/2.opml"))));
}

// A password that cannot be kept leaves accounts.ini as it was: no account without one. And a
// secrets.ini the store cannot make sense of may hold other passwords: it is not written over.
TEST_F(AccountsDialogTest, APasswordThatCannotBeKeptSavesNothing) {
    QFile unreadable(secrets.path());
    ASSERT_TRUE(unreadable.open(QIODevice::WriteOnly));
    unreadable.write(QByteArray(2 * 1024 * 1024, 'x'));
    unreadable.close();
    fill(QStringLiteral("https://rss.example.org/"), QStringLiteral("alice"), QStringLiteral("pw"));
    dialog->optFile->setChecked(true);
    dialog->cmdSave_Click();
    EXPECT_FALSE(changed());
    EXPECT_TRUE(dialog->lblStatus->text().contains(secrets.path())) << dialog->lblStatus->text();
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("accounts.ini"))));
    EXPECT_EQ(QFileInfo(secrets.path()).size(), 2 * 1024 * 1024);
    EXPECT_EQ(service.reloads, 0);
    EXPECT_TRUE(dialog->cmdSave->isEnabled());
}

namespace {

// Against the Tiny Tiny RSS server that scripts/ttrss-server brings up for the tests.
class AccountsDialogServerTest : public AccountsDialogTest {
protected:
    void SetUp() override {
        QV_NEED_TTRSS_SERVER(settings);
        emptyTtrssAccount(settings);
        sql(QStringLiteral(
            "UPDATE ttrss_user_prefs SET value = 'true' WHERE pref_name = 'ENABLE_API_ACCESS';"));
        AccountsDialogTest::SetUp();
    }

    void sql(const QString& statements) { ttrssSql(settings, statements); }

    QHash<QByteArray, QString> settings;
};

}  // namespace

// Each answer of the server is named: the level and the feeds when it takes the settings,
// else what to change. The API's own URL is taken as well as the base URL.
TEST_F(AccountsDialogServerTest, TheCheckSaysWhatTheServerAnswered) {
    const QString url = settings.value("TTRSS_URL");
    const QString user = settings.value("TTRSS_USER");
    const QString password = settings.value("TTRSS_PASSWORD");

    fill(url, user, QStringLiteral("not the password"));
    EXPECT_TRUE(checked().contains(QStringLiteral("ユーザー名かパスワードが違います")))
        << dialog->lblCheck->text();

    sql(QStringLiteral(
            "INSERT INTO ttrss_feed_categories (id, owner_uid, title) SELECT 900, id, 'News' FROM "
            "ttrss_users WHERE login = '%1';"
            "INSERT INTO ttrss_feeds (owner_uid, title, cat_id, feed_url) SELECT id, t, c, u FROM "
            "ttrss_users, (VALUES ('In a folder', 900, 'http://[::1]/a.xml'), ('Loose', NULL, "
            "'http://[::1]/b.xml'), ('Another', 900, 'http://[::1]/c.xml')) AS f(t, c, u) WHERE "
            "login = '%1';")
            .arg(user));
    fill(url + QStringLiteral("api/"), user, password);
    EXPECT_EQ(checked(), QStringLiteral("接続できました。API レベル 15、フィード 3 件"));

    sql(QStringLiteral(
        "UPDATE ttrss_user_prefs SET value = 'false' WHERE pref_name = 'ENABLE_API_ACCESS'"));
    fill(url, user, password);
    EXPECT_TRUE(checked().contains(QStringLiteral("Enable API"))) << dialog->lblCheck->text();
}
