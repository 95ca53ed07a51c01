#include "patrol/retryafter.h"

#include <QLocale>
#include <QTimeZone>
#include <algorithm>
#include <iterator>

#include "platform/system/clock.h"

namespace {

bool allDigits(const QByteArray& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An HTTP date in any of its three forms, in UTC; invalid when it is none of them. The day's
// name is not read: a server that names the wrong one still means the date it gives.
QDateTime httpDate(const QByteArray& text) {
    const QString value = QString::fromLatin1(text).simplified();
    const QLocale c = QLocale::c();
    QDateTime date;
    const qsizetype comma = value.indexOf(QLatin1Char(','));
    if (comma > 0) {
        const QString rest = value.mid(comma + 1).trimmed();
        // IMF-fixdate, the form servers send today: "Sun, 06 Nov 1994 08:49:37 GMT".
        date = c.toDateTime(rest, QStringLiteral("dd MMM yyyy HH:mm:ss 'GMT'"));
        if (!date.isValid()) {
            // RFC 850: "Sunday, 06-Nov-94 08:49:37 GMT"; a two-digit year is this century's.
            date = c.toDateTime(rest, QStringLiteral("dd-MMM-yy HH:mm:ss 'GMT'"));
            if (date.isValid() && date.date().year() < 2000) {
                date = date.addYears(100);
            }
        }
    } else {
        // asctime: "Sun Nov  6 08:49:37 1994" (simplified() made the double space one).
        const qsizetype space = value.indexOf(QLatin1Char(' '));
        if (space > 0) {
            date = c.toDateTime(value.mid(space + 1), QStringLiteral("MMM d HH:mm:ss yyyy"));
        }
    }
    if (date.isValid()) {
        date.setTimeZone(QTimeZone::utc());
        return date;
    }
    // Other mail-style dates name their offset ("... 08:49:37 +0900").
    return QDateTime::fromString(value, Qt::RFC2822Date).toUTC();
}

}  // namespace

QDateTime retryAfterUntil(const QByteArray& value, const QDateTime& now) {
    const QByteArray text = value.trimmed();
    qint64 seconds = 0;
    if (allDigits(text)) {
        bool fits = false;
        const qint64 number = text.toLongLong(&fits);
        // More digits than 64 bits hold is a pause longer than any we keep.
        seconds = fits ? number : RetryPauses::kMaxSeconds;
    } else {
        const QDateTime date = httpDate(text);
        if (!date.isValid()) {
            return {};
        }
        // The clock counts local wall-clock time; so must the date it is compared with.
        const QDateTime local = date.toLocalTime();
        seconds = std::max<qint64>(0, now.secsTo(wallClock(local.date(), local.time())));
    }
    return now.addSecs(std::min(seconds, RetryPauses::kMaxSeconds));
}

QDateTime RetryPauses::record(const QString& url, long httpStatus, const QByteArray& retryAfter,
                              const QDateTime& now) {
    if ((httpStatus != 429 && httpStatus != 503) || retryAfter.isEmpty()) {
        return {};
    }
    const QDateTime end = retryAfterUntil(retryAfter, now);
    if (!end.isValid()) {
        return {};
    }
    for (auto pause = pauses.begin(); pause != pauses.end();) {
        pause = *pause <= now ? pauses.erase(pause) : std::next(pause);
    }
    // A date already past ends the pause: the server takes requests again.
    if (end <= now) {
        pauses.remove(url);
        return {};
    }
    pauses.insert(url, end);
    return end;
}

QDateTime RetryPauses::until(const QString& url, const QDateTime& now) const {
    const auto pause = pauses.constFind(url);
    if (pause == pauses.constEnd() || *pause <= now) {
        return {};
    }
    return *pause;
}
