#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "accounts/accounttreefile.h"
#include "tests/platform/qstringprinter.h"

#include <ostream>

// Failure messages name texts as they are.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

namespace {

// The tree as one line a folder or feed, indented by depth, so that a difference shows.
void describe(const AccountFolder& folder, int depth, QStringList& lines) {
    const QString indent(depth * 2, QLatin1Char(' '));
    lines << indent + QStringLiteral("[%1] %2").arg(folder.id, folder.title);
    for (const AccountFolder& sub : folder.folders) {
        describe(sub, depth + 1, lines);
    }
    for (const AccountFeed& feed : folder.feeds) {
        lines << indent + QStringLiteral("  %1 %2 <%3> %4")
                              .arg(feed.id, feed.title, feed.feedUrl)
                              .arg(feed.unread);
    }
}

QStringList describe(const AccountFolder& tree) {
    QStringList lines;
    describe(tree, 0, lines);
    return lines;
}

AccountFeed feed(const QString& id, const QString& title, const QString& url, qint64 unread = 0) {
    AccountFeed f;
    f.id = id;
    f.title = title;
    f.feedUrl = url;
    f.unread = unread;
    return f;
}

class AccountTreeFileTest : public ::testing::Test {
protected:
    QString path() const { return accountTreePath(dir.path(), 3); }
    QTemporaryDir dir;
};

TEST_F(AccountTreeFileTest, NestedFoldersAndOddTitlesReadBackAsWritten) {
    AccountFolder tree;
    tree.title = QStringLiteral("alice@rss.example.org");
    AccountFolder news;
    news.id = QStringLiteral("7");
    news.title = QStringLiteral("ニュース & \"話題\" <速報>");
    AccountFolder deep;
    deep.id = QStringLiteral("9");
    deep.title = QStringLiteral("  spaced\tout  ");
    deep.feeds << feed(QStringLiteral("12"), QStringLiteral("Deep 🚀 feed"),
                       QStringLiteral("http://[::1]/deep.xml?a=1&b=2"), 450);
    news.folders << deep;
    news.feeds << feed(QStringLiteral("10"), QStringLiteral("朝刊 'quoted'"),
                       QStringLiteral("https://example.com/朝刊.rss"), 3);
    // A folder left empty stays.
    AccountFolder empty;
    empty.id = QStringLiteral("8");
    empty.title = QStringLiteral("Empty");
    tree.folders << news << empty;
    tree.feeds << feed(QStringLiteral("11"), QString(), QStringLiteral("http://loose/"))
               << feed(QStringLiteral("13"), QStringLiteral("two\nlines"),
                       QStringLiteral("http://two/"));

    QString error;
    ASSERT_TRUE(writeAccountTreeFile(path(), tree, &error)) << error;
    EXPECT_EQ(QFile(path()).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
              QFileDevice::Permissions());
    const AccountFolder back = readAccountTreeFile(path(), &error);
    EXPECT_TRUE(error.isEmpty()) << error;
    EXPECT_EQ(describe(back), describe(tree));
}

TEST_F(AccountTreeFileTest, CharactersXmlCannotCarryAreLeftOutAndTheRestReadsBack) {
    AccountFolder tree;
    tree.title = QStringLiteral("bob@host");
    const QString odd = QStringLiteral("a") + QChar(0x01) + QStringLiteral("b") + QChar(0xFFFE) +
                        QChar(0xD800) + QStringLiteral("c");
    tree.feeds << feed(QStringLiteral("1"), odd, QStringLiteral("http://x/") + QChar(0x0B));
    // A feed without an address is not one the tree can show.
    tree.feeds << feed(QStringLiteral("2"), QStringLiteral("no url"), QString());
    ASSERT_TRUE(writeAccountTreeFile(path(), tree));
    QString error;
    const AccountFolder back = readAccountTreeFile(path(), &error);
    EXPECT_TRUE(error.isEmpty()) << error;
    ASSERT_EQ(back.feeds.size(), 1);
    EXPECT_EQ(back.feeds.first().title, QStringLiteral("abc"));
    EXPECT_EQ(back.feeds.first().feedUrl, QStringLiteral("http://x/"));
}

TEST_F(AccountTreeFileTest, ThousandsOfFeedsReadBackInOrder) {
    AccountFolder tree;
    tree.title = QStringLiteral("many@host");
    for (int c = 0; c < 20; ++c) {
        AccountFolder folder;
        folder.id = QString::number(1000 + c);
        folder.title = QStringLiteral("Folder %1").arg(c);
        for (int f = 0; f < 250; ++f) {
            const QString id = QString::number(c * 250 + f);
            folder.feeds << feed(id, QStringLiteral("Feed %1").arg(id),
                                 QStringLiteral("https://feeds.example/%1.xml").arg(id), f);
        }
        tree.folders << folder;
    }
    ASSERT_TRUE(writeAccountTreeFile(path(), tree));
    const AccountFolder back = readAccountTreeFile(path());
    ASSERT_EQ(back.folders.size(), 20);
    EXPECT_EQ(back.folders.at(19).feeds.size(), 250);
    EXPECT_EQ(describe(back), describe(tree));
}

TEST_F(AccountTreeFileTest, ATruncatedOrHostileFileGivesNoTreeAndSaysWhy) {
    AccountFolder tree;
    tree.title = QStringLiteral("carol@host");
    for (int i = 0; i < 50; ++i) {
        tree.feeds << feed(QString::number(i), QStringLiteral("Feed"),
                           QStringLiteral("http://f/%1").arg(i));
    }
    ASSERT_TRUE(writeAccountTreeFile(path(), tree));
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray whole = file.readAll();
    const QByteArray deep = "<opml><body><outline text=\"a\">" +
                            QByteArray("<outline>").repeated(1200) + "</body></opml>";
    const QByteArray entities =
        "<!DOCTYPE opml [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
        "<opml><body><outline text=\"&d;&d;&d;&d;&d;&d;\"/></body></opml>";
    file.close();
    for (const QByteArray& bytes : {whole.left(whole.size() / 2), deep, entities}) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QString error;
        const AccountFolder back = readAccountTreeFile(path(), &error);
        EXPECT_FALSE(error.isEmpty()) << bytes.left(60).constData();
        EXPECT_TRUE(back.feeds.isEmpty() && back.folders.isEmpty() && back.title.isEmpty());
    }

    // No file yet (an account never fetched): nothing, and nothing wrong.
    QString error;
    const AccountFolder none = readAccountTreeFile(accountTreePath(dir.path(), 4), &error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(none.feeds.isEmpty() && none.folders.isEmpty());
}

}  // namespace
