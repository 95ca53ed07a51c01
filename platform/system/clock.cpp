#include "platform/system/clock.h"

QDateTime SystemClock::now() const {
    const QDateTime local = QDateTime::currentDateTime();
    return wallClock(local.date(),
                     QTime(local.time().hour(), local.time().minute(), local.time().second()));
}

QDateTime wallClock(const QDate& date, const QTime& time) {
    // Qt::UTC rather than a UTC QTimeZone: the same instant, but kept inline
    // instead of on the heap, which counts for the tens of thousands of dates of a patrol.
    return QDateTime(date, time, Qt::UTC);
}
