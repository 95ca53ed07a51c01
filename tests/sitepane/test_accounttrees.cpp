#include <QCheckBox>
#include <QTest>

#include "accounts/accountsservice.h"
#include "accounts/accounttreefile.h"
#include "rules/rulesstore.h"
#include "sitepane/accounttrees.h"
#include "tests/sitepane/sitepanefixture.h"

namespace {

// Accounts as a file lists them, without a connection to any server.
class ListedAccounts final : public AccountsService {
public:
    QList<AccountSettings> listed;
    [[nodiscard]] QList<AccountSettings> accounts() const override { return listed; }
    [[nodiscard]] Status status(int) const override { return {}; }
    [[nodiscard]] AccountClient* client(int) const override { return nullptr; }
    void reload() override {}
    // Account 2's choices are known, account 1's not yet.
    [[nodiscard]] std::optional<bool> feedInTicker(int number, const QString& id) const override {
        return number == 2 ? std::optional<bool>(!hidden.contains(id)) : std::nullopt;
    }
    void setFeedInTicker(int number, const QString& id, bool inTicker,
                         std::function<void(const QString&)> done) override {
        if (inTicker) {
            hidden.remove(id);
        } else {
            hidden.insert(id);
        }
        Q_EMIT tickerChoicesChanged(number);
        done({});
    }
    QSet<QString> hidden;
};

AccountSettings account(int number, const QString& user, const QString& url) {
    AccountSettings settings;
    settings.number = number;
    settings.type = QStringLiteral("ttrss");
    settings.user = user;
    settings.url = url;
    return settings;
}

AccountFolder serverTree(const QStringList& feedTitles) {
    AccountFolder tree;
    AccountFolder news;
    news.id = QStringLiteral("3");
    news.title = QStringLiteral("News");
    AccountFolder deep;
    deep.id = QStringLiteral("4");
    deep.title = QStringLiteral("Deep");
    AccountFeed feed;
    feed.id = QStringLiteral("20");
    feed.title = QStringLiteral("D");
    feed.feedUrl = QStringLiteral("http://[::1]/d.xml");
    feed.unread = 5;
    deep.feeds << feed;
    news.folders << deep;
    for (const QString& title : feedTitles) {
        feed.id = title;
        feed.title = title;
        feed.feedUrl = QStringLiteral("http://[::1]/%1.xml").arg(title);
        feed.unread = 2;
        news.feeds << feed;
    }
    tree.folders << news;
    return tree;
}

class AccountTreesTest : public SitePaneTest {
protected:
    void writeTree(int number, const AccountFolder& tree) {
        ASSERT_TRUE(writeAccountTreeFile(accountTreePath(env.dir(), number), tree));
    }
    void waitForReads() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !pane->accounts->isReading(); }, 10000));
    }
    ListedAccounts service;
};

TEST_F(AccountTreesTest, AccountsFollowTheUsersEntriesAndTheirFilesAndNeverReachTheSiteList) {
    loadList(kSampleList);
    pane->saveList();
    const QByteArray listAlone = savedList();
    writeTree(2, serverTree({QStringLiteral("A"), QStringLiteral("B")}));
    writeTree(1, serverTree({}));
    service.listed = {
        account(2, QStringLiteral("alice"), QStringLiteral("https://rss.example/tt/")),
        account(1, QStringLiteral("bob"), QStringLiteral("http://b.example/api/"))};
    pane->useAccounts(&service);
    waitForReads();
    EXPECT_EQ(shape(), QStringLiteral("F[a,Sub[b],c],T,bob@b.example[News[Deep[D]]],"
                                      "alice@rss.example[News[Deep[D],A,B]]"));
    // The server's entries name no row: the walk of the site table never reaches them.
    EXPECT_EQ(state().SiteTable.size(), 6);
    pane->saveList();
    EXPECT_EQ(savedList(), listAlone);

    // The user's new entries at the top level go before the accounts.
    click("R5");
    editor().mnuNewFolder_Click();
    click("R1");
    editor().mnuETriming_Click();
    click("R5");
    editor().mnuEPaste_Click();
    EXPECT_EQ(shape(), QStringLiteral("F[Sub[b],c],T,新しいフォルダ,a,bob@b.example[News[Deep[D]]],"
                                      "alice@rss.example[News[Deep[D],A,B]]"));
    EXPECT_FALSE(savedList().contains("bob") || savedList().contains("News"));

    // A new file: the folder follows and keeps what was open and selected in it.
    view().expandNode(node("A2"));
    view().expandNode(node("A2/c/3"));
    click("A2/f/A");
    EXPECT_EQ(panel().txtRDFPath->text(), QStringLiteral("http://[::1]/A.xml"));
    EXPECT_TRUE(panel().txtTitle->isReadOnly());
    EXPECT_TRUE(panel().commentText().contains(QLatin1String("2")));
    // Its ticker box is the account's own choice for the feed, never a display rule.
    ASSERT_TRUE(panel().chkTicker->isEnabled());
    panel().chkTicker->click();
    EXPECT_EQ(service.hidden, QSet<QString>{QStringLiteral("A")});
    EXPECT_FALSE(panel().chkTicker->isChecked());
    EXPECT_TRUE(state().rulesStore().current()->rules().isEmpty());
    writeTree(2, serverTree({QStringLiteral("A"), QStringLiteral("C")}));
    Q_EMIT service.treeChanged(2);
    waitForReads();
    EXPECT_TRUE(shape().endsWith(QLatin1String("alice@rss.example[News[Deep[D],A,C]]")));
    EXPECT_TRUE(view().isNodeExpanded(node("A2/c/3")));
    EXPECT_EQ(view().selectedNode(), node("A2/f/A"));
    EXPECT_FALSE(panel().chkTicker->isChecked());
    // Not known yet (the account's file not read): greyed, as it was.
    click("A1/f/20");
    EXPECT_FALSE(panel().chkTicker->isEnabled());

    // A list loaded from a file: the accounts come back after it.
    loadList(kSampleList);
    waitForReads();
    EXPECT_EQ(shape(), QStringLiteral("F[a,Sub[b],c],T,bob@b.example[News[Deep[D]]],"
                                      "alice@rss.example[News[Deep[D],A,C]]"));
    click("R0");
    EXPECT_FALSE(panel().txtTitle->isReadOnly());

    // An account removed goes from the tree; a file that cannot be read keeps what was shown,
    // even when a list loaded meanwhile took it out.
    service.listed.removeFirst();
    loadList(kSampleList);
    QFile::resize(accountTreePath(env.dir(), 1), 40);
    Q_EMIT service.accountsChanged();
    waitForReads();
    EXPECT_EQ(shape(), QStringLiteral("F[a,Sub[b],c],T,bob@b.example[News[Deep[D]]]"));
    EXPECT_FALSE(host.statusTexts.isEmpty());
}

}  // namespace
