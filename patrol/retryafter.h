#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

// When a server that answered 429 or 503 with Retry-After may be asked again, as wall-clock
// time (platform/system/clock.h), given the value and the time now. The value is a number
// of seconds or an HTTP date (IMF-fixdate, or the obsolete RFC 850 and asctime forms); a
// date already past gives now. Invalid for a value that is neither, or a negative number.
// The pause is cut to RetryPauses::kMaxSeconds.
[[nodiscard]] QDateTime retryAfterUntil(const QByteArray& value, const QDateTime& now);

// The pauses servers asked of the patrol, per feed URL: a 429 or 503 with a usable
// Retry-After holds the URL back until the time it names, and any download of it ends the
// pause early. Pauses that have run out are forgotten as new ones come, so the table holds
// at most the URLs paused now.
class RetryPauses {
public:
    // The longest pause a server can impose.
    static constexpr qint64 kMaxSeconds = 24 * 60 * 60;

    // An answer of httpStatus with the header value retryAfter (empty when none) to a
    // request for url at now. Returns the end of the pause it starts; invalid when none.
    QDateTime record(const QString& url, long httpStatus, const QByteArray& retryAfter,
                     const QDateTime& now);
    // url answered with a document: no pause holds it back.
    void clear(const QString& url) { pauses.remove(url); }
    // The end of url's pause when it has not run out at now; invalid otherwise.
    [[nodiscard]] QDateTime until(const QString& url, const QDateTime& now) const;
    [[nodiscard]] int size() const { return int(pauses.size()); }

private:
    QHash<QString, QDateTime> pauses;
};
