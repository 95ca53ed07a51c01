#pragma once

#include <QDateTime>
#include <QString>

// How an article date is written for a reader.
enum class NewsDateForm {
    // "YY/MM/DD" at exact midnight, "YY/MM/DD HH:MM" when the seconds are 0, else
    // "YY/MM/DD HH:MM:SS" (hours 00–23): the form Japanese readers know.
    YearFirstShort,
    // "YYYY-MM-DD" at exact midnight, else "YYYY-MM-DD HH:MM" (ISO 8601): no reader takes
    // it for another date.
    Iso,
};

// Text of an article date in form; "" for no date. Without a form, the short year-first
// form, the same in every language: what is written or printed for programs.
[[nodiscard]] QString FormatNewsDate(const QDateTime& date,
                                     NewsDateForm form = NewsDateForm::YearFirstShort);

// The form the windows' language reads dates in, as its translation names it: ISO for a
// translation that says "YYYY-MM-DD", the short year-first form otherwise (Japanese).
[[nodiscard]] NewsDateForm shownNewsDateForm();

// An article date as every window shows it (the ticker, the article list, any other):
// FormatNewsDate in shownNewsDateForm().
[[nodiscard]] QString shownNewsDate(const QDateTime& date);
