#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "tests/common/testenv.h"
#include "patrol/admission.h"
#include "patrol/shownlists.h"
#include "patrol/md5.h"

namespace {

const QString kFeedUrl = QStringLiteral("http://www.example.com/rss/index.rdf");
const QString kShownFile =
    QStringLiteral("temporary/9ab47fa3fc5407ee8f30c3d2e0326d9e.dat");  // MD5Hex(kFeedUrl)

ArticleRecord article(const QString& link, qint16 siteIndex = 0) {
    ArticleRecord record;
    record.Title = QStringLiteral("title of ") + link;
    record.Link = link;
    record.SiteIndex = siteIndex;
    return record;
}

QByteArray hashOf(const QString& link) {
    return MD5Hex(link).toLatin1();
}

class ArticleStoreTest : public ::testing::Test {
protected:
    ArticleStoreTest() {
        SiteRow site;
        site.intKind = kKindSite;
        site.strTitle = QStringLiteral("Example");
        site.strXmlUrl = kFeedUrl;
        env.state().SiteTable.append(site);
    }

    QList<ArticleRecord> feed(const QStringList& links) {
        QList<ArticleRecord> records;
        for (const QString& link : links) {
            records.append(article(link));
        }
        return records;
    }
    static QList<bool> newFlags(const QList<ArticleRecord>& records) {
        QList<bool> flags;
        for (const ArticleRecord& record : records) {
            flags.append(record.IsNew);
        }
        return flags;
    }

    TestEnv env;
};

TEST_F(ArticleStoreTest, FileNameIsDigestOfFeedUrlAsStored) {
    EXPECT_EQ(shownListPath(env.state(), kFeedUrl), env.path(kShownFile));
    EXPECT_NE(shownListPath(env.state(), kFeedUrl + QLatin1Char(' ')), env.path(kShownFile));
}

TEST_F(ArticleStoreTest, NoFileLeavesAllNewAndCreatesNothing) {
    QList<ArticleRecord> records =
        feed({QStringLiteral("http://a/1"), QStringLiteral("http://a/2")});
    MarkShownArticles(env.state(), records, 0);
    EXPECT_EQ(newFlags(records), QList<bool>({true, true}));
    EXPECT_FALSE(env.exists(QStringLiteral("temporary")));
}

TEST_F(ArticleStoreTest, ShownArticleIsRecordedThenRecognised) {
    AppState& state = env.state();
    state.NewsQueue.append(article(QStringLiteral("http://a/1")));
    state.NewsQueue.append(article(QStringLiteral("http://a/2")));

    ASSERT_TRUE(RecordNewsShown(state, 2));
    EXPECT_FALSE(state.NewsQueue[2].IsNew);
    EXPECT_TRUE(state.NewsQueue[1].IsNew);
    const QByteArray line = hashOf(QStringLiteral("http://a/2")) + "20060316120000\r\n";
    ASSERT_EQ(line.size(), 48);
    EXPECT_EQ(env.readFile(kShownFile), line);

    env.clock.set(wallClock(QDate(2007, 1, 2), QTime(3, 4, 5)));
    ASSERT_TRUE(RecordNewsShown(state, 1));
    EXPECT_EQ(env.readFile(kShownFile),
              line + hashOf(QStringLiteral("http://a/1")) + "20070102030405\r\n");

    QList<ArticleRecord> records =
        feed({QStringLiteral("http://a/1"), QStringLiteral("http://a/3")});
    MarkShownArticles(state, records, 0);
    EXPECT_EQ(newFlags(records), QList<bool>({false, true}));
    // The line of http://a/2, gone from the feed, is dropped.
    EXPECT_EQ(env.readFile(kShownFile),
              hashOf(QStringLiteral("http://a/1")) + "20070102030405\r\n");
}

// Kept lines stay in file order; duplicates, short lines and unmatched lines drop out;
// LF-only endings, trailing spaces and a missing last ending are read alike.
TEST_F(ArticleStoreTest, RewriteKeepsFirstMatchingLinesInFileOrder) {
    const QByteArray a = hashOf(QStringLiteral("http://a/1"));
    const QByteArray b = hashOf(QStringLiteral("http://a/2"));
    const QByteArray c = hashOf(QStringLiteral("http://a/3"));
    const QByteArray none = hashOf(QString());
    env.writeFile(kShownFile, a + "20060101000000  \r\n" + b + "20060101000001\n" + c.left(31) +
                                  "\r\n" + c + "20060101000003\r\n" + a + "20060101000004\r\n" +
                                  none + "20060101000005");

    QList<ArticleRecord> records =
        feed({QStringLiteral("http://a/3"), QString(), QStringLiteral("http://a/1"),
              QStringLiteral("http://a/4"), QStringLiteral("http://a/1"), QString()});
    MarkShownArticles(env.state(), records, 0);

    EXPECT_EQ(newFlags(records), QList<bool>({false, false, false, true, false, false}));
    EXPECT_EQ(env.readFile(kShownFile),
              a + "20060101000000\r\n" + c + "20060101000003\r\n" + none + "20060101000005\r\n");
}

TEST_F(ArticleStoreTest, EmptyFileIsLeftAloneAndUnmatchedFileEmptied) {
    env.writeFile(kShownFile, QByteArray());
    QFile empty(env.path(kShownFile));
    const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
    ASSERT_TRUE(empty.open(QIODevice::ReadWrite));
    ASSERT_TRUE(empty.setFileTime(past, QFileDevice::FileModificationTime));
    empty.close();

    QList<ArticleRecord> records = feed({QStringLiteral("http://a/1")});
    MarkShownArticles(env.state(), records, 0);
    EXPECT_TRUE(records[0].IsNew);
    EXPECT_EQ(QFileInfo(env.path(kShownFile)).lastModified().toUTC().toSecsSinceEpoch(),
              past.toSecsSinceEpoch());

    env.writeFile(kShownFile, hashOf(QStringLiteral("http://gone/")) + "20060101000000\r\n");
    MarkShownArticles(env.state(), records, 0);
    EXPECT_TRUE(records[0].IsNew);
    EXPECT_TRUE(env.exists(kShownFile));
    EXPECT_EQ(env.readFile(kShownFile), QByteArray());
}

TEST_F(ArticleStoreTest, RecordNewsShownFailsWithoutLosingIsNew) {
    AppState& state = env.state();
    state.NewsQueue.append(article(QStringLiteral("http://a/1")));
    state.NewsQueue.append(article(QStringLiteral("http://a/2"), 5));  // no such site

    EXPECT_FALSE(RecordNewsShown(state, 0));
    EXPECT_FALSE(RecordNewsShown(state, 3));
    EXPECT_FALSE(RecordNewsShown(state, 2));
    EXPECT_TRUE(state.NewsQueue[2].IsNew);

    env.writeFile(QStringLiteral("temporary"), "a plain file");
    EXPECT_FALSE(RecordNewsShown(state, 1));
    EXPECT_TRUE(state.NewsQueue[1].IsNew);
}

TEST_F(ArticleStoreTest, RecordNewsShownEndsAnUnfinishedLastLineFirst) {
    const QByteArray old = hashOf(QStringLiteral("http://a/0")) + "20060101000000";
    env.writeFile(kShownFile, old);
    env.state().NewsQueue.append(article(QStringLiteral("http://a/1")));
    ASSERT_TRUE(RecordNewsShown(env.state(), 1));
    EXPECT_EQ(env.readFile(kShownFile),
              old + "\r\n" + hashOf(QStringLiteral("http://a/1")) + "20060316120000\r\n");
}

TEST_F(ArticleStoreTest, AgeRule) {
    AppState& state = env.state();
    state.settings.OLD_HIDE_FLG = true;
    state.settings.LIMIT_HOURES = 12;
    const QDateTime now = env.clock.now();
    struct Row {
        QDateTime pubDate;
        bool admitted;
    };
    const Row rows[] = {
        {now.addSecs(-13 * 3600), false}, {now.addSecs(-12 * 3600 - 1), false},
        {now.addSecs(-12 * 3600), true},  {now.addSecs(-11 * 3600), true},
        {now.addSecs(3600), true},        {QDateTime(), true},
    };
    for (const Row& row : rows) {
        ArticleRecord record = article(QStringLiteral("http://a/1"));
        record.PubDate = row.pubDate;
        EXPECT_EQ(admitToNewsQueue(state, record), row.admitted)
            << row.pubDate.toString().toStdString();
    }
    EXPECT_EQ(state.NewsQueue.lastIndex(), 4);

    state.settings.OLD_HIDE_FLG = false;
    ArticleRecord old = article(QStringLiteral("http://a/old"));
    old.PubDate = now.addDays(-30);
    EXPECT_TRUE(admitToNewsQueue(state, old));
    EXPECT_EQ(state.NewsQueue[5].Link, QStringLiteral("http://a/old"));
}

TEST_F(ArticleStoreTest, ShownRuleAndQueueCap) {
    AppState& state = env.state();
    ArticleRecord shown = article(QStringLiteral("http://a/1"));
    shown.IsNew = false;
    state.settings.CHECKED_HIDE_FLG = true;
    EXPECT_FALSE(admitToNewsQueue(state, shown));
    EXPECT_TRUE(admitToNewsQueue(state, article(QStringLiteral("http://a/2"))));
    state.settings.CHECKED_HIDE_FLG = false;
    EXPECT_TRUE(admitToNewsQueue(state, shown));
    EXPECT_EQ(state.NewsQueue.lastIndex(), 2);

    while (state.NewsQueue.lastIndex() < ArticleArray::kMaxEntries) {
        ASSERT_TRUE(admitToNewsQueue(state, shown));
    }
    EXPECT_FALSE(admitToNewsQueue(state, shown));
    EXPECT_EQ(state.NewsQueue.lastIndex(), ArticleArray::kMaxEntries);
}

}  // namespace
