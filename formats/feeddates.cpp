#include "formats/feeddates.h"

#include <algorithm>
#include <array>

#include <QStringList>
#include <QStringView>

#include "platform/system/clock.h"

namespace {

// Removes leading and trailing U+0020 only.
QString trimSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' ')) {
        ++begin;
    }
    while (end > begin && text[end - 1] == QLatin1Char(' ')) {
        --end;
    }
    return text.mid(begin, end - begin);
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAsciiLetter(QChar c) {
    const char16_t u = c.unicode() | 0x20;
    return u >= u'a' && u <= u'z';
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

// A cursor over the text being parsed. Reads past the end yield QChar().
class DateScanner {
public:
    explicit DateScanner(QStringView source) : text(source) {}

    [[nodiscard]] bool atEnd() const { return pos >= text.size(); }
    [[nodiscard]] QChar peek(qsizetype ahead = 0) const {
        return pos + ahead < text.size() ? text[pos + ahead] : QChar();
    }
    bool take(QChar c) {
        if (atEnd() || text[pos] != c) {
            return false;
        }
        ++pos;
        return true;
    }
    // Number of blanks skipped.
    qsizetype skipBlanks() {
        const qsizetype start = pos;
        while (!atEnd() && isBlank(text[pos])) {
            ++pos;
        }
        return pos - start;
    }
    // A run of ASCII digits of minCount to maxCount digits; -1 (nothing consumed) otherwise.
    int number(int minCount, int maxCount, int* countRead = nullptr) {
        qsizetype end = pos;
        while (end < text.size() && isAsciiDigit(text[end])) {
            ++end;
        }
        const qsizetype count = end - pos;
        if (count < minCount || count > maxCount) {
            return -1;
        }
        int value = 0;
        for (; pos < end; ++pos) {
            value = value * 10 + (text[pos].unicode() - u'0');
        }
        if (countRead != nullptr) {
            *countRead = int(count);
        }
        return value;
    }
    // A run of ASCII letters, lower-cased; empty when none.
    QString letters() {
        QString run;
        while (!atEnd() && isAsciiLetter(text[pos])) {
            run.append(text[pos].toLower());
            ++pos;
        }
        return run;
    }
    // Number of ASCII digits skipped.
    qsizetype skipDigits() {
        const qsizetype start = pos;
        while (!atEnd() && isAsciiDigit(text[pos])) {
            ++pos;
        }
        return pos - start;
    }
    [[nodiscard]] qsizetype position() const { return pos; }
    void rewind(qsizetype to) { pos = to; }

private:
    QStringView text;
    qsizetype pos = 0;
};

// 1–12, or 0 for a word that names no month.
int monthOfName(const QString& word) {
    static constexpr std::array<const char*, 12> kMonths = {
        "january", "february", "march",     "april",   "may",      "june",
        "july",    "august",   "september", "october", "november", "december"};
    if (word.size() < 3) {
        return 0;
    }
    for (int i = 0; i < 12; ++i) {
        const QLatin1String full(kMonths[i]);
        if (word == full || word == full.left(3) || (i == 8 && word == QLatin1String("sept"))) {
            return i + 1;
        }
    }
    return 0;
}

// YYYY-MM-DD, YYYY/MM/DD or D Mon YYYY (two-digit years 1950–2049).
QDate readDate(DateScanner& s) {
    int count = 0;
    const int first = s.number(1, 4, &count);
    if (first < 0) {
        return {};
    }
    if (count == 4) {
        const QChar separator = s.peek();
        if (separator != QLatin1Char('-') && separator != QLatin1Char('/')) {
            return {};
        }
        s.take(separator);
        const int month = s.number(1, 2);
        if (month < 0 || !s.take(separator)) {
            return {};
        }
        const int day = s.number(1, 2);
        return day < 0 ? QDate() : QDate(first, month, day);
    }
    if (count > 2 || s.skipBlanks() == 0) {
        return {};
    }
    const int month = monthOfName(s.letters());
    if (month == 0 || s.skipBlanks() == 0) {
        return {};
    }
    int yearDigits = 0;
    int year = s.number(2, 4, &yearDigits);
    if (yearDigits == 3) {
        return {};
    }
    if (yearDigits == 2) {
        year += year < 50 ? 2000 : 1900;
    }
    return year < 0 ? QDate() : QDate(year, month, first);
}

// H:MM or H:MM:SS with optional ".fraction" (dropped), then an optional AM/PM.
QTime readTime(DateScanner& s) {
    const int hour = s.number(1, 2);
    if (hour < 0 || !s.take(QLatin1Char(':'))) {
        return {};
    }
    const int minute = s.number(2, 2);
    if (minute < 0) {
        return {};
    }
    int second = 0;
    if (s.take(QLatin1Char(':'))) {
        second = s.number(2, 2);
        if (second < 0) {
            return {};
        }
        if (s.take(QLatin1Char('.')) && s.number(1, 9) < 0) {
            return {};
        }
    }
    if (!QTime::isValid(hour, minute, second)) {
        return {};
    }
    const qsizetype beforeMeridiem = s.position();
    s.skipBlanks();
    const QString word = s.letters();
    const bool am = word == QLatin1String("am");
    const bool pm = word == QLatin1String("pm");
    if (!am && !pm) {
        s.rewind(beforeMeridiem);
        return QTime(hour, minute, second);
    }
    if (hour < 1 || hour > 12) {
        return {};
    }
    return QTime(hour % 12 + (pm ? 12 : 0), minute, second);
}

// The ignored zone after a time, up to the end of the text. False when anything else
// follows.
bool readZone(DateScanner& s) {
    s.skipBlanks();
    const QString name = s.letters();
    if (name.size() > 5) {
        return false;
    }
    // A second piece only where normalisation split a name at its "T" ("U C" from UTC).
    if (!name.isEmpty() && s.peek() == QLatin1Char(' ') && isAsciiLetter(s.peek(1))) {
        s.take(QLatin1Char(' '));
        if (s.letters().size() > 5) {
            return false;
        }
    }
    s.skipBlanks();
    if (s.take(QLatin1Char('-')) || s.take(QLatin1Char('+'))) {
        int count = 0;
        const int hours = s.number(1, 4, &count);
        if (hours < 0 || count == 3) {
            return false;
        }
        if (count == 4) {
            if (hours / 100 > 23 || hours % 100 > 59) {
                return false;
            }
        } else if (hours > 23) {
            return false;
        } else if (s.take(QLatin1Char(':'))) {
            const int minutes = s.number(2, 2);
            if (minutes < 0 || minutes > 59) {
                return false;
            }
        }
    }
    s.skipBlanks();
    return s.atEnd();
}

}  // namespace

QString NormalizeRssDate(const QString& text) {
    const qsizetype plus = text.indexOf(QLatin1Char('+'));
    const QString kept = plus >= 0 ? text.left(plus) : text;
    if (kept.contains(QLatin1Char(','))) {
        return trimSpaces(kept.section(QLatin1Char(','), 1, 1));
    }
    if (kept.contains(QLatin1Char('T'))) {
        return kept.section(QLatin1Char('T'), 0, 0) + QLatin1Char(' ') +
               kept.section(QLatin1Char('T'), 1, 1);
    }
    return kept;
}

QDateTime parseFeedDate(const QString& normalized) {
    DateScanner s(normalized);
    s.skipBlanks();
    const QDate date = readDate(s);
    if (!date.isValid()) {
        return {};
    }
    QTime time(0, 0, 0);
    const qsizetype blanks = s.skipBlanks();
    if (!s.atEnd()) {
        if (blanks == 0) {
            return {};
        }
        time = readTime(s);
        if (!time.isValid() || !readZone(s)) {
            return {};
        }
    }
    return wallClock(date, time);
}

QDateTime parseRfc3339Date(const QString& text) {
    DateScanner s(text);
    s.skipBlanks();
    const int year = s.number(4, 4);
    if (year < 0 || !s.take(QLatin1Char('-'))) {
        return {};
    }
    const int month = s.number(2, 2);
    if (month < 0 || !s.take(QLatin1Char('-'))) {
        return {};
    }
    const int day = s.number(2, 2);
    const QDate date = day < 0 ? QDate() : QDate(year, month, day);
    if (!date.isValid()) {
        return {};
    }
    QTime time(0, 0, 0);
    if (s.take(QLatin1Char('T')) || s.take(QLatin1Char('t')) || s.take(QLatin1Char(' '))) {
        const int hour = s.number(2, 2);
        if (hour < 0 || !s.take(QLatin1Char(':'))) {
            return {};
        }
        const int minute = s.number(2, 2);
        int second = 0;
        if (minute >= 0 && s.take(QLatin1Char(':'))) {
            second = s.number(2, 2);
            if (s.take(QLatin1Char('.')) && s.skipDigits() == 0) {
                return {};
            }
        }
        // A leap second has no wall-clock form of its own.
        time = QTime(hour, minute, std::min(second, 59));
        if (minute < 0 || second < 0 || !time.isValid()) {
            return {};
        }
        if (!s.take(QLatin1Char('Z')) && !s.take(QLatin1Char('z')) &&
            (s.take(QLatin1Char('+')) || s.take(QLatin1Char('-')))) {
            // hh:mm, or hhmm as some feeds write it.
            int count = 0;
            int hours = s.number(2, 4, &count);
            int minutes = 0;
            if (count == 4) {
                minutes = hours % 100;
                hours /= 100;
            } else if (count != 2 || !s.take(QLatin1Char(':')) || (minutes = s.number(2, 2)) < 0) {
                return {};
            }
            if (hours < 0 || hours > 23 || minutes > 59) {
                return {};
            }
        }
    }
    s.skipBlanks();
    return s.atEnd() ? wallClock(date, time) : QDateTime();
}
