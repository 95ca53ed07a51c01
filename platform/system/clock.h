#pragma once

#include <QDateTime>

// Wall-clock date-times are kept without a zone: the value reads as the local time it
// stands for, stored in a UTC QDateTime so that no daylight-saving rule ever shifts it.
// An invalid QDateTime is "no date".

// The current local date and time. Tests set their own.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual QDateTime now() const = 0;
};

// The machine's clock.
class SystemClock final : public Clock {
public:
    [[nodiscard]] QDateTime now() const override;
};

// Turns any QDateTime into the zone-less wall-clock form described above.
[[nodiscard]] QDateTime wallClock(const QDate& date, const QTime& time);
