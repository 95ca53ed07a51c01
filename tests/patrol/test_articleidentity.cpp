#include <gtest/gtest.h>

#include <QStringList>

#include "formats/articleidentity.h"
#include "formats/feedreader.h"
#include "formats/xmlfeedreader.h"
#include "tests/platform/qstringprinter.h"

namespace {

QStringList identitiesOf(const QByteArray& body) {
    QStringList identities;
    for (const ArticleRecord& record : readFeed(body).items) {
        identities.append(record.Identity);
    }
    return identities;
}

QString digest(const QString& title, const QString& date) {
    return articleIdentity({}, {}, title,
                           date.isEmpty() ? QDateTime() : QDateTime::fromString(date, Qt::ISODate));
}

// Each format's own id first, then the link, then the digest of title and date.
TEST(ArticleIdentity, EachFormatsIdThenLinkThenDigest) {
    const QString longId(kMaxArticleIdentityLength + 1, QLatin1Char('x'));
    struct Row {
        const char* label;
        QByteArray feed;
        QStringList expected;
    };
    const Row rows[] = {
        {"rss 2.0",
         "<rss><channel>"
         "<item><guid isPermaLink='false'> tag:a,2024:1 </guid><link>http://a/1</link></item>"
         "<item><link>http://a/2</link><guid></guid></item>"
         "<item><title>t</title><pubDate>Mon, 01 Apr 2024 09:00:00 +0900</pubDate></item>"
         "<item><guid>" +
             longId.toLatin1() +
             "</guid></item>"
             "</channel></rss>",
         {QStringLiteral("tag:a,2024:1"), QStringLiteral("http://a/2"), QString(),
          articleIdentity(longId, {}, {}, {})}},
        {"rss 1.0",
         "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'"
         " xmlns='http://purl.org/rss/1.0/'><channel/>"
         "<item rdf:about='http://b/about'><link>http://b/link</link></item>"
         "<item><link>http://b/2</link></item></rdf:RDF>",
         {QStringLiteral("http://b/about"), QStringLiteral("http://b/2")}},
        {"atom",
         "<feed xmlns='http://www.w3.org/2005/Atom'>"
         "<entry><id>urn:uuid:1</id><link href='http://c/1'/></entry>"
         "<entry><link href='http://c/2'/></entry>"
         "<entry><title>u</title></entry></feed>",
         {QStringLiteral("urn:uuid:1"), QStringLiteral("http://c/2"), digest("u", {})}},
        {"json feed",
         R"({"version":"https://jsonfeed.org/version/1.1","items":[
             {"id":"j1","url":"http://d/1"},{"id":12345678901234567890,"url":"http://d/2"},
             {"id":"  ","url":"http://d/3"},{"id":null,"title":"v",
              "date_published":"2024-04-01T00:00:00Z"}]})",
         {QStringLiteral("j1"), QStringLiteral("12345678901234567890"),
          QStringLiteral("http://d/3"), QString()}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const QStringList got = identitiesOf(row.feed);
        ASSERT_EQ(got.size(), row.expected.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_FALSE(got[i].isEmpty());
            if (!row.expected[i].isEmpty()) {
                EXPECT_EQ(got[i], row.expected[i]);
            }
            EXPECT_LE(got[i].size(), kMaxArticleIdentityLength);
        }
        // Stable: the same document read again names the same articles.
        EXPECT_EQ(identitiesOf(row.feed), got);
    }
}

// The digest stands for title and date together: neither alone, nor the two run together
// differently, gives the same article; the same title and date at a later read do.
TEST(ArticleIdentity, DigestTellsTitleAndDateApart) {
    const QString a = digest(QStringLiteral("ab"), QStringLiteral("2024-04-01T09:00:00Z"));
    EXPECT_TRUE(a.startsWith(QStringLiteral("sha1:")));
    EXPECT_EQ(a.size(), 45);
    EXPECT_EQ(a, digest(QStringLiteral("ab"), QStringLiteral("2024-04-01T09:00:00Z")));
    const QStringList others = {
        digest(QStringLiteral("ab"), QStringLiteral("2024-04-01T09:00:01Z")),
        digest(QStringLiteral("ab"), {}),
        digest(QStringLiteral("abc"), QStringLiteral("2024-04-01T09:00:00Z")),
        digest(QString(), {}),
    };
    for (const QString& other : others) {
        EXPECT_NE(a, other);
    }
    // A link-less, id-less item keeps its identity when only its description changes.
    const QByteArray before =
        "<rss><channel><item><title>t</title><description>one</description></item>"
        "</channel></rss>";
    QByteArray after = before;
    after.replace("one", "two");
    EXPECT_EQ(identitiesOf(before), identitiesOf(after));
}

}  // namespace
