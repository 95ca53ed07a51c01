#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

#include <QFile>
#include <QStringList>
#include <QUrl>
#include <QTemporaryDir>

#include "icons/iconcache.h"
#include "icons/iconservice.h"
#include "platform/system/clock.h"
#include "tests/icons/iconfixtures.h"
#include "tests/platform/qstringprinter.h"

namespace {

int unixMode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

TEST(IconCache, IsFreshForAWeekAndRemembersAFailureForADay) {
    const QDateTime now = wallClock(QDate(2026, 12, 8), QTime(12, 0));
    const qint64 day = 24 * 60 * 60;
    const auto ago = [&now](qint64 seconds) { return now.addSecs(-seconds); };
    struct FreshnessCase {
        const char* what;
        QDateTime checked;
        QDateTime failed;
        bool hasImages;
        IconFreshness expected;
    };
    const FreshnessCase cases[] = {
        {"never seen", {}, {}, false, IconFreshness::Unknown},
        {"fetched just now", ago(0), {}, true, IconFreshness::Fresh},
        {"a second short of a week", ago(7 * day - 1), {}, true, IconFreshness::Fresh},
        {"a week old", ago(7 * day), {}, true, IconFreshness::Stale},
        {"checked, but its pictures were deleted", ago(60), {}, false, IconFreshness::Unknown},
        {"failed a second short of a day ago",
         {},
         ago(day - 1),
         false,
         IconFreshness::FailedRecently},
        {"failed a day ago", {}, ago(day), false, IconFreshness::Unknown},
        {"old icon, refresh failed this morning", ago(8 * day), ago(3600), true,
         IconFreshness::FailedRecently},
        {"old icon, refresh failed two days ago", ago(8 * day), ago(2 * day), true,
         IconFreshness::Stale},
        {"checked in the future (the clock went back)",
         now.addSecs(day),
         {},
         true,
         IconFreshness::Stale},
        {"failed in the future", {}, now.addSecs(3600), false, IconFreshness::Unknown},
    };
    for (const FreshnessCase& c : cases) {
        SCOPED_TRACE(c.what);
        IconRecord record;
        record.checked = c.checked;
        record.failed = c.failed;
        EXPECT_EQ(iconFreshness(record, c.hasImages, now), c.expected);
    }
}

TEST(IconCache, NamesEachHostSafely) {
    const std::pair<const char*, const char*> cases[] = {
        {"https://News.Example.JP/feed", "news.example.jp"},
        {"http://127.0.0.1:8080/", "127.0.0.1_8080"},
        {"http://[::1]:81/", "__1_81"},
        {"http://日本.jp/", "xn--wgv71a.jp"},
        {"file:///etc/passwd", ""},
        {"", ""},
    };
    for (const auto& [url, key] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(IconCache::keyOf(QUrl(QString::fromUtf8(url))), QString::fromLatin1(key));
    }
}

// The quick reading of plain addresses names the host and port as QUrl does, and leaves
// everything it cannot be sure of to QUrl: addresses made of the characters that matter.
TEST(IconCache, PlainAddressesAreNamedAsQUrlNamesThem) {
    const char* const fixed[] = {
        "http://news.example.jp/feed",
        "https://a-b.example.com:8443/x",
        "http://0x7f.1/",
        "http://1234/",
        "http://127.0.0.1/",
        "http://a..b/",
        "http://-a.com/",
        "http://a-.com/",
        "http://xn--wgv71a.jp/",
        "http://a.com:0080/",
        "http://a.com:/",
        "http://a.com:99999/",
        "http://a.com?q",
        "http://a.com#f",
        "http://a.com",
        "http://a.com./",
        "http://user@a.com/",
        "http://a.com\\x",
    };
    QStringList addresses;
    for (const char* address : fixed) {
        addresses.append(QString::fromUtf8(address));
    }
    const QString prefixes[] = {QStringLiteral("http://"), QStringLiteral("https://"),
                                QStringLiteral("HTTP://"), QStringLiteral("ftp://")};
    const QString alphabet = QStringLiteral("ab-z.0179x:/?#@[]%_\\ Aé日");
    quint32 seed = 12345;
    const auto next = [&seed](quint32 below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    for (int i = 0; i < 100000; ++i) {
        QString address = prefixes[next(4)];
        const quint32 length = next(16);
        for (quint32 k = 0; k < length; ++k) {
            address += alphabet.at(qsizetype(next(quint32(alphabet.size()))));
        }
        addresses.append(address);
    }
    int plain = 0;
    for (const QString& address : std::as_const(addresses)) {
        const std::optional<QString> quick = IconService::plainKeyOf(address);
        if (!quick) {
            continue;
        }
        ++plain;
        const QUrl url(address);
        ASSERT_TRUE(url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
            << address.toStdString();
        ASSERT_EQ(*quick, IconCache::keyOf(url)) << address.toStdString();
    }
    // The generator reaches the quick path often enough to mean something.
    EXPECT_GT(plain, 1000);
}

TEST(IconCache, KeepsPicturesAndValidatorsForTheUserAlone) {
    QTemporaryDir temp;
    const QString folder = temp.filePath(QStringLiteral("cache/icons"));
    // Whatever the umask allows, nobody else reads which sites the user follows.
    const mode_t umaskBefore = ::umask(0);
    const IconCache cache(folder);
    const QString key = QStringLiteral("news.example.jp");
    EXPECT_TRUE(cache.images(key).isNull());
    EXPECT_EQ(cache.record(key), IconRecord());

    IconRecord record;
    record.iconUrl = QStringLiteral("https://news.example.jp/favicon.ico");
    record.etag = "\"abc\"\r\nInjected: yes";
    record.lastModified = "Tue, 08 Dec 2026 10:00:00 GMT";
    record.checked = wallClock(QDate(2026, 12, 8), QTime(12, 0));
    IconImages icon;
    for (size_t i = 0; i < kIconPixelSizes.size(); ++i) {
        icon.images[i] = solidImage(kIconPixelSizes[i], Qt::red)
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    ASSERT_TRUE(cache.store(key, icon, record));

    const IconRecord read = cache.record(key);
    EXPECT_EQ(read.iconUrl, record.iconUrl);
    // A validator never breaks the record into lines of its own.
    EXPECT_EQ(read.etag, QByteArray("\"abc\"  Injected: yes"));
    EXPECT_EQ(read.lastModified, record.lastModified);
    EXPECT_EQ(read.checked, record.checked);
    EXPECT_FALSE(read.failed.isValid());
    const IconImages back = cache.images(key);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.atPixels(64).pixelColor(10, 10), QColor(Qt::red));

    EXPECT_EQ(unixMode(folder), 0700);
    for (const char* file :
         {"news.example.jp-16.png", "news.example.jp-64.png", "news.example.jp.txt"}) {
        EXPECT_EQ(unixMode(folder + u'/' + QLatin1String(file)), 0600) << file;
    }

    ::umask(umaskBefore);

    // A broken picture on disk is no icon; the host is fetched again.
    QFile broken(folder + QStringLiteral("/news.example.jp-16.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("\x89PNG\r\n");
    broken.close();
    EXPECT_TRUE(cache.images(key).isNull());
}

}  // namespace
