#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

#include "tests/common/fakes.h"
#include "tests/common/testenv.h"
#include "patrol/admission.h"
#include "patrol/shownlists.h"
#include "patrol/md5.h"

namespace {

const QString kFeedUrl = QStringLiteral("http://www.example.com/rss/index.rdf");
const QString kShownFile =
    QStringLiteral("temporary/9ab47fa3fc5407ee8f30c3d2e0326d9e.dat");  // MD5Hex(kFeedUrl)

ArticleRecord article(const QString& link, const QString& feedUrl = kFeedUrl) {
    ArticleRecord record;
    record.Title = QStringLiteral("title of ") + link;
    record.Link = link;
    record.FeedUrl = feedUrl;
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
    void mark(QList<ArticleRecord>& records) {
        env.state().shownStore().MarkShownArticles(kFeedUrl, records);
    }
    void record(ArticleRecord& shown) { env.state().shownStore().RecordNewsShown(shown); }
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
    mark(records);
    EXPECT_EQ(newFlags(records), QList<bool>({true, true}));
    EXPECT_FALSE(env.exists(QStringLiteral("temporary")));
}

TEST_F(ArticleStoreTest, ShownArticleIsRecordedThenRecognised) {
    ArticleRecord first = article(QStringLiteral("http://a/1"));
    ArticleRecord second = article(QStringLiteral("http://a/2"));

    record(second);
    EXPECT_FALSE(second.IsNew);
    EXPECT_TRUE(first.IsNew);
    const QByteArray line = hashOf(QStringLiteral("http://a/2")) + "20060316120000\r\n";
    ASSERT_EQ(line.size(), 48);
    EXPECT_EQ(env.readFile(kShownFile), line);

    env.clock.set(wallClock(QDate(2007, 1, 2), QTime(3, 4, 5)));
    record(first);
    EXPECT_EQ(env.readFile(kShownFile),
              line + hashOf(QStringLiteral("http://a/1")) + "20070102030405\r\n");

    QList<ArticleRecord> records =
        feed({QStringLiteral("http://a/1"), QStringLiteral("http://a/3")});
    mark(records);
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
    mark(records);

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
    mark(records);
    EXPECT_TRUE(records[0].IsNew);
    EXPECT_EQ(QFileInfo(env.path(kShownFile)).lastModified().toUTC().toSecsSinceEpoch(),
              past.toSecsSinceEpoch());

    env.writeFile(kShownFile, hashOf(QStringLiteral("http://gone/")) + "20060101000000\r\n");
    mark(records);
    EXPECT_TRUE(records[0].IsNew);
    EXPECT_TRUE(env.exists(kShownFile));
    EXPECT_EQ(env.readFile(kShownFile), QByteArray());
}

// A write that fails leaves nothing behind and stops none after it.
TEST_F(ArticleStoreTest, AFailedWriteIsSurvived) {
    ArticleRecord nowhere = article(QStringLiteral("http://a/0"), QString());
    record(nowhere);
    EXPECT_TRUE(nowhere.IsNew);

    env.writeFile(QStringLiteral("temporary"), "a plain file");
    ArticleRecord blocked = article(QStringLiteral("http://a/1"));
    record(blocked);
    EXPECT_EQ(env.readFile(QStringLiteral("temporary")), QByteArray("a plain file"));

    QFile::remove(env.path(QStringLiteral("temporary")));
    ArticleRecord later = article(QStringLiteral("http://a/2"));
    record(later);
    EXPECT_EQ(env.readFile(kShownFile),
              hashOf(QStringLiteral("http://a/2")) + "20060316120000\r\n");
}

TEST_F(ArticleStoreTest, RecordNewsShownEndsAnUnfinishedLastLineFirst) {
    const QByteArray old = hashOf(QStringLiteral("http://a/0")) + "20060101000000";
    env.writeFile(kShownFile, old);
    ArticleRecord shown = article(QStringLiteral("http://a/1"));
    record(shown);
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

// Lines are written in the order they were recorded, each file's own and across files, and
// a store destroyed at once still writes every one of them.
TEST(ShownListStore, EveryRecordReachesItsFileInOrderAtTheEnd) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("temporary"));
    FakeClock clock;
    constexpr int kFeeds = 4;
    constexpr int kEach = 150;
    QByteArray expected[kFeeds];
    {
        ShownListStore store(folder, clock);
        for (int i = 0; i < kFeeds * kEach; ++i) {
            const int feed = i % kFeeds;
            ArticleRecord shown = article(QStringLiteral("http://a/%1").arg(i),
                                          QStringLiteral("http://f/%1").arg(feed));
            store.RecordNewsShown(shown);
            ASSERT_FALSE(shown.IsNew);
            expected[feed] += hashOf(shown.Link) + "20060316120000\r\n";
        }
    }
    for (int feed = 0; feed < kFeeds; ++feed) {
        QFile file(folder + QLatin1Char('/') + MD5Hex(QStringLiteral("http://f/%1").arg(feed)) +
                   QStringLiteral(".dat"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), expected[feed]) << feed;
    }
}

// A patrol that comes while lines still wait for the disk sees them, and its rewrite keeps
// them: no article shown is taken for new, and no line is lost.
TEST_F(ArticleStoreTest, MarkingSeesLinesStillOnTheirWay) {
    QList<ArticleRecord> records;
    QByteArray expected;
    for (int i = 0; i < 120; ++i) {
        ArticleRecord shown = article(QStringLiteral("http://a/%1").arg(i));
        records.append(shown);
        record(shown);
        expected += hashOf(shown.Link) + "20060316120000\r\n";
        for (ArticleRecord& each : records) {
            each.IsNew = true;
        }
        mark(records);
        ASSERT_EQ(newFlags(records), QList<bool>(records.size(), false)) << i;
    }
    EXPECT_EQ(env.readFile(kShownFile), expected);
}

}  // namespace
