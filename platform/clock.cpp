#include "platform/clock.h"

#include <QTimeZone>

QDateTime SystemClock::now() const {
    const QDateTime local = QDateTime::currentDateTime();
    return wallClock(local.date(),
                     QTime(local.time().hour(), local.time().minute(), local.time().second()));
}

QDateTime wallClock(const QDate& date, const QTime& time) {
    return QDateTime(date, time, QTimeZone::utc());
}
