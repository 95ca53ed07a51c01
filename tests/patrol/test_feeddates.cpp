#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTranslator>

#include "tests/common/builttranslations.h"
#include "formats/feeddates.h"
#include "core/newsdate.h"
#include "platform/system/clock.h"

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return wallClock(QDate(y, mo, d), QTime(h, mi, s));
}

struct FeedDateRow {
    const char* feedText;
    const char* normalized;
    QDateTime stored;  // invalid: rejected
};

// Feed text -> normalised text -> stored wall-clock value, as a feed item would see it.
TEST(FeedDates, NormalizeAndParse) {
    const QDateTime t = at(2006, 3, 16, 7, 24, 48);
    const FeedDateRow rows[] = {
        {"Thu, 16 Mar 2006 07:24:48 +0900", "16 Mar 2006 07:24:48", t},
        {"2006-03-16T07:24:48+09:00", "2006-03-16 07:24:48", t},
        {"2006-03-16", "2006-03-16", at(2006, 3, 16)},
        {"2006-03-16T07:24:48-05:00", "2006-03-16 07:24:48-05:00", t},
        {"Thu, 16 Mar 2006 07:24:48 GMT", "16 Mar 2006 07:24:48 GMT", t},
        {"16 Mar 2006 07:24:48 EST", "16 Mar 2006 07:24:48 ES ", t},
        {"no date at all", "no date at all", {}},
        // More of what feeds write.
        {"2006-03-16T07:24:48Z", "2006-03-16 07:24:48Z", t},
        {"2006-03-16T07:24:48.123+09:00", "2006-03-16 07:24:48.123", t},
        {"2006-03-16T07:24+09:00", "2006-03-16 07:24", at(2006, 3, 16, 7, 24)},
        {"16 Mar 2006 07:24:48 UTC", "16 Mar 2006 07:24:48 U C", t},
        {"Thu, 16 Mar 2006 07:24:48 -0500", "16 Mar 2006 07:24:48 -0500", t},
        {"Thu, 16 Mar 2006 07:24 JST", "16 Mar 2006 07:24 JST", at(2006, 3, 16, 7, 24)},
        {"Thu, 6 march 2006 7:04:08 PM", "6 march 2006 7:04:08 PM", at(2006, 3, 6, 19, 4, 8)},
        {"Thu, 16 MAR 06 07:24:48 GMT", "16 MAR 06 07:24:48 GMT", t},
        {"Thu, 16 September 2006", "16 September 2006", at(2006, 9, 16)},
        {"2006/3/6 7:24:48", "2006/3/6 7:24:48", at(2006, 3, 6, 7, 24, 48)},
        {"  2006-03-16 07:24:48 \t", "  2006-03-16 07:24:48 \t", t},
        // A lower-case "t" is no separator, and the day name without comma stays.
        {"2006-03-16t07:24:48", "2006-03-16t07:24:48", {}},
        {"Thu 16 Mar 2006 07:24:48", " hu 16 Mar 2006 07:24:48", {}},
        {"a,b,c+d", "b", {}},
        {"", "", {}},
    };
    for (const FeedDateRow& row : rows) {
        const QString normalized = NormalizeRssDate(QString::fromUtf8(row.feedText));
        EXPECT_EQ(normalized, QString::fromUtf8(row.normalized)) << row.feedText;
        EXPECT_EQ(parseFeedDate(normalized), row.stored) << row.feedText;
    }
}

// Texts that look like dates but name none, or carry something after the date.
TEST(FeedDates, ParserRejects) {
    const char* rejected[] = {
        "2006-13-01",
        "2006-02-30",
        "2006-03-16 24:00:00",
        "2006-03-16 07:60",
        "2006-03-16 07:24:60",
        "2006-03-16 7",
        "2006-03-16 07:2",
        "2006-03/16",
        "2006-03",
        "16 Foo 2006 07:24:48",
        "32 Mar 2006",
        "16 Mar 206",
        "16 Mar 2006 07:24:48 Eastern",
        "2006-03-16 07:24:48 -2500",
        "2006-03-16 07:24:48 junk 1",
        "2006-03-16GMT",
        "13:00 PM 2006-03-16",
        "2006-03-16 13:00 PM",
        "２００６-03-16",
        "0000-01-01",
    };
    for (const char* text : rejected) {
        EXPECT_FALSE(parseFeedDate(QString::fromUtf8(text)).isValid()) << text;
    }
}

// Japanese readers get the short year-first form; English ones an ISO date, which no reader
// takes for another day. What is printed for programs never depends on the language.
TEST(FeedDates, ShownInTheFormTheLanguageReads) {
    struct Row {
        QDateTime date;
        const char* yearFirst;
        const char* iso;
    };
    const Row rows[] = {
        {at(2006, 3, 16, 7, 24, 0), "06/03/16 07:24", "2006-03-16 07:24"},
        {at(2006, 3, 16), "06/03/16", "2006-03-16"},
        {at(2006, 3, 16, 7, 24, 48), "06/03/16 07:24:48", "2006-03-16 07:24"},
        // Midnight with seconds is not midnight.
        {at(2010, 1, 2, 0, 0, 5), "10/01/02 00:00:05", "2010-01-02 00:00"},
        {at(2010, 12, 31, 23, 59), "10/12/31 23:59", "2010-12-31 23:59"},
        {at(1999, 11, 5, 12, 0), "99/11/05 12:00", "1999-11-05 12:00"},
        {at(987, 6, 1), "87/06/01", "0987-06-01"},
        {QDateTime(), "", ""},
    };
    const auto check = [&rows](NewsDateForm shown) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.yearFirst);
            EXPECT_EQ(FormatNewsDate(row.date), QLatin1String(row.yearFirst));
            EXPECT_EQ(FormatNewsDate(row.date, NewsDateForm::Iso), QLatin1String(row.iso));
            EXPECT_EQ(shownNewsDate(row.date),
                      QLatin1String(shown == NewsDateForm::Iso ? row.iso : row.yearFirst));
        }
    };
    check(NewsDateForm::YearFirstShort);
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral("quorvane3_en"), builtTranslations().first()));
    QCoreApplication::installTranslator(&english);
    check(NewsDateForm::Iso);
    QCoreApplication::removeTranslator(&english);
    check(NewsDateForm::YearFirstShort);
}

// Atom dates: the wall-clock time written, fraction dropped, zone ignored.
TEST(FeedDates, Rfc3339AsWallClock) {
    const QDateTime t = at(2024, 4, 1, 9, 30, 15);
    const std::pair<const char*, QDateTime> rows[] = {
        {"2024-04-01T09:30:15.250+09:00", t},
        {"2024-04-01T09:30:15-05:00", t},
        {"2024-04-01t09:30:15z", t},
        {" 2024-04-01 09:30:15+0900\t", t},
        {"2024-04-01T09:30", at(2024, 4, 1, 9, 30)},
        {"2024-04-01", at(2024, 4, 1)},
        {"2024-12-31T23:59:60Z", at(2024, 12, 31, 23, 59, 59)},
        {"2024-02-30T00:00:00Z", {}},
        {"2024-04-01T24:00:00Z", {}},
        {"2024-04-01T9:30:15Z", {}},
        {"2024-04-01T09:30:15.Z", {}},
        {"2024-04-01T09:30:15+25:00", {}},
        {"2024-04-01T09:30:15 JST", {}},
        {"Mon, 01 Apr 2024 09:30:15 +0900", {}},
        {"", {}},
    };
    for (const auto& [text, stored] : rows) {
        EXPECT_EQ(parseRfc3339Date(QString::fromUtf8(text)), stored) << text;
    }
}

}  // namespace
