#pragma once

#include <QDateTime>
#include <QString>

// Cuts a feed's date text down to what parseFeedDate reads (case-sensitive, in order):
// everything from the first "+" on is dropped (a positive zone offset); then, if a ","
// remains, the result is the text between the first and the second "," with spaces
// trimmed (drops an RFC 822 day name); else, if an upper-case "T" remains, the result is
// the text before the first "T", one space, and the text between the first and second "T"
// (the ISO date-time separator). Otherwise the text is returned unchanged.
[[nodiscard]] QString NormalizeRssDate(const QString& text);

// Reads a normalised feed date as wall-clock time (platform/system/clock.h): the time as written,
// never converted to another zone. An invalid QDateTime means the text is no date.
//
// Accepted, with blanks (space, tab, CR, LF) around the whole and one or more blanks
// between the parts:
//   date  YYYY-MM-DD or YYYY/MM/DD (the same separator twice), or
//         D Mon YYYY, where Mon is an English month name or its first three letters in
//         any letter case and a two-digit year means 1950–2049;
//   time  optional, after the date: H:MM or H:MM:SS, with optional fractional seconds
//         (".123", dropped) and an optional AM/PM (any case; hours 1–12 then);
//   zone  optional, after a time only, ignored: a name of 1–5 letters (GMT, UT, Z, EST,
//         JST, …), possibly cut in two or at its end by a "T" that NormalizeRssDate took
//         for the ISO separator ("U C" from UTC, "ES " from EST), and/or an offset
//         -h, -hh, -hhmm or -hh:mm (or with "+"), with or without a blank before it.
// Day, month and hour may have one or two digits; minutes and seconds have two. A date
// that does not exist (month 13, 30 February, hour 24, minute 60) is rejected.
[[nodiscard]] QDateTime parseFeedDate(const QString& normalized);

// Reads an Atom date (RFC 3339: 2006-03-16T07:24:48.5+09:00) as wall-clock time, the
// time as written with its fraction dropped and its zone ignored, as parseFeedDate
// stores RSS dates. Lenient where feeds are: "t" or a space for "T", no zone, no seconds,
// an offset without its colon, a date alone (midnight). A leap second reads as :59. Invalid when
// the text is no date.
[[nodiscard]] QDateTime parseRfc3339Date(const QString& text);
