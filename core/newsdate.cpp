#include "core/newsdate.h"

#include <algorithm>
#include <array>

#include <QCoreApplication>

QString FormatNewsDate(const QDateTime& date, NewsDateForm form) {
    if (!date.isValid()) {
        return {};
    }
    const QDate day = date.date();
    const QTime time = date.time();
    // Written digit by digit: the ticker and the article list format a date per row.
    std::array<char16_t, 17> text{};
    qsizetype length = 0;
    const auto twoDigits = [&text, &length](int value) {
        text[length++] = char16_t(u'0' + value / 10);
        text[length++] = char16_t(u'0' + value % 10);
    };
    const auto separated = [&](char16_t separator, int value) {
        text[length++] = separator;
        twoDigits(value);
    };
    const bool midnight = time.hour() == 0 && time.minute() == 0 && time.second() == 0;
    switch (form) {
        case NewsDateForm::YearFirstShort:
            twoDigits((day.year() % 100 + 100) % 100);
            separated(u'/', day.month());
            separated(u'/', day.day());
            if (!midnight) {
                separated(u' ', time.hour());
                separated(u':', time.minute());
                if (time.second() != 0) {
                    separated(u':', time.second());
                }
            }
            break;
        case NewsDateForm::Iso:
            // Feed dates are years 1 to 9999 (parseFeedDate and parseRfc3339Date).
            twoDigits(std::clamp(day.year(), 0, 9999) / 100);
            twoDigits(std::clamp(day.year(), 0, 9999) % 100);
            separated(u'-', day.month());
            separated(u'-', day.day());
            if (!midnight) {
                separated(u' ', time.hour());
                separated(u':', time.minute());
            }
            break;
    }
    return QString(reinterpret_cast<const QChar*>(text.data()), length);
}

NewsDateForm shownNewsDateForm() {
    const QString form = QCoreApplication::translate(
        "NewsDate", "YY/MM/DD",
        "How article dates are shown in this language: YY/MM/DD, or YYYY-MM-DD (ISO 8601) "
        "where a two-digit year first reads as another date. Nothing else is understood.");
    return form == QLatin1String("YYYY-MM-DD") ? NewsDateForm::Iso : NewsDateForm::YearFirstShort;
}

QString shownNewsDate(const QDateTime& date) {
    return FormatNewsDate(date, shownNewsDateForm());
}
