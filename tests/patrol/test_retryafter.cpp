#include <gtest/gtest.h>

#include <QLocale>

#include "patrol/retryafter.h"
#include "platform/system/clock.h"

namespace {

// 2026-03-06 12:00 local wall-clock time, as the program's clock gives it.
QDateTime noon() {
    return wallClock(QDate(2026, 3, 6), QTime(12, 0));
}

// The server's form of the wall-clock time at, in UTC as HTTP dates are.
QString httpDate(const QDateTime& at, const QString& format) {
    const QDateTime utc = QDateTime(at.date(), at.time()).toUTC();
    return QLocale::c().toString(utc, format);
}

// asctime pads a one-digit day with a space: "Fri Mar  6 12:05:00 2026".
QString asctime(const QDateTime& at) {
    const QDateTime utc = QDateTime(at.date(), at.time()).toUTC();
    return QLocale::c().toString(utc, QStringLiteral("ddd MMM ")) +
           QStringLiteral("%1").arg(utc.date().day(), 2, 10, QLatin1Char(' ')) +
           QLocale::c().toString(utc, QStringLiteral(" HH:mm:ss yyyy"));
}

TEST(RetryAfter, TakesSecondsAndHttpDatesWithinBounds) {
    const QDateTime now = noon();
    const qint64 max = RetryPauses::kMaxSeconds;
    const QString imf = QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'");
    const struct {
        QString value;
        qint64 seconds;  // -1: no pause
    } cases[] = {
        {"120", 120},
        {" 120\t", 120},
        {"0", 0},
        {"86400", max},
        {"86401", max},
        {"99999999", max},
        {"99999999999999999999999999", max},  // more than 64 bits
        {"-5", -1},
        {"1.5", -1},
        {"12 0", -1},
        {"soon", -1},
        {"", -1},
        {httpDate(now.addSecs(300), imf), 300},
        {httpDate(now.addSecs(300), QStringLiteral("dddd, dd-MMM-yy HH:mm:ss 'GMT'")), 300},
        {asctime(now.addSecs(300)), 300},
        {httpDate(now.addSecs(-3600), imf), 0},                // already past: no wait
        {httpDate(now.addSecs(-40 * 365 * 86400LL), imf), 0},  // long past
        {httpDate(now.addDays(3), imf), max},
        {httpDate(now.addSecs(300), imf).replace("GMT", "XYZ"), -1},
        // A wrong day's name does not hide the date; an offset is taken as given.
        {httpDate(now.addSecs(300), QStringLiteral("'Mon,' dd MMM yyyy HH:mm:ss 'GMT'")), 300},
        {httpDate(now.addSecs(300 + 9 * 3600), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss '+0900'")),
         300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        const QDateTime until = retryAfterUntil(c.value.toLatin1(), now);
        if (c.seconds < 0) {
            EXPECT_FALSE(until.isValid());
        } else {
            ASSERT_TRUE(until.isValid());
            EXPECT_EQ(now.secsTo(until), c.seconds);
        }
    }
}

TEST(RetryAfter, PausesHoldTheirUrlUntilTheyEndOrItAnswers) {
    const QDateTime now = noon();
    const QString feed = QStringLiteral("http://busy.example/feed");
    const QString other = QStringLiteral("http://quiet.example/feed");
    RetryPauses pauses;

    // Only 429 and 503 pause, and only with a value that can be read.
    for (const long status : {200L, 304L, 404L, 500L, 502L}) {
        EXPECT_FALSE(pauses.record(feed, status, "120", now).isValid()) << status;
    }
    EXPECT_FALSE(pauses.record(feed, 503, {}, now).isValid());
    EXPECT_FALSE(pauses.record(feed, 503, "later", now).isValid());
    EXPECT_EQ(pauses.size(), 0);

    EXPECT_EQ(pauses.record(feed, 503, "120", now), now.addSecs(120));
    EXPECT_EQ(pauses.until(feed, now.addSecs(119)), now.addSecs(120));
    EXPECT_FALSE(pauses.until(feed, now.addSecs(120)).isValid());
    EXPECT_FALSE(pauses.until(other, now).isValid());

    // A longer pause asked later replaces it; a date already past ends it.
    EXPECT_EQ(pauses.record(feed, 429, "600", now.addSecs(60)), now.addSecs(660));
    EXPECT_EQ(pauses.until(feed, now.addSecs(200)), now.addSecs(660));
    EXPECT_FALSE(
        pauses.record(feed, 503, "Thu, 01 Jan 1970 00:00:00 GMT", now.addSecs(100)).isValid());
    EXPECT_FALSE(pauses.until(feed, now.addSecs(200)).isValid());

    // An answer with a document ends the pause at once.
    ASSERT_TRUE(pauses.record(feed, 503, "3600", now).isValid());
    pauses.clear(feed);
    EXPECT_FALSE(pauses.until(feed, now).isValid());

    // Pauses that have run out are dropped as new ones come: the table does not grow with
    // every URL that was ever busy.
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(
            pauses.record(QStringLiteral("http://site%1/").arg(i), 503, "10", now.addSecs(i * 20))
                .isValid());
    }
    EXPECT_EQ(pauses.size(), 1);
}

}  // namespace
