#pragma once

#include <QString>
#include <optional>

// The number a text box holds: blanks (space, tab) around it, an optional sign, digits with
// an optional decimal fraction (".5" and "5." count) and an optional exponent ("1e3").
// Nothing when the text is empty or holds anything else.
[[nodiscard]] std::optional<double> numberFromText(const QString& text);

// Nearest integer, halves to the even neighbour (2.5 → 2, 3.5 → 4, −2.5 → −2).
[[nodiscard]] double roundHalfEven(double value);

// A spinner's number box on confirm: an empty box or one that holds no number takes the
// setting's current value; the number is taken as its nearest integer (halves to even)
// and clamped to the spinner's bounds. Numbers of any size clamp, 99999 and −99999 too.
[[nodiscard]] int cleanSpinnerNumber(const QString& text, int current, int minimum, int maximum);

// Bounds of the options dialog's two spinners.
inline constexpr int kNewsLimitMinimum = 1;  // hours
inline constexpr int kNewsLimitMaximum = 48;
inline constexpr int kAutoPirotIntervalMinimum = 1;  // minutes
inline constexpr int kAutoPirotIntervalMaximum = 60;
