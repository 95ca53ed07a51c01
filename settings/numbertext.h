#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

// Locale-free conversions of a value text. Blanks (spaces, tabs) around the text are allowed.

// An optional sign, digits with an optional decimal fraction, rounded to the nearest integer
// with halves to the even neighbour. Empty when not such a number or outside [min, max].
[[nodiscard]] std::optional<qint32> textToInteger(QStringView text, qint32 min, qint32 max);
// "True" / "False" in any letter case, or a number (as above): 0 is false, any other true.
[[nodiscard]] std::optional<bool> textToFlag(QStringView text);
// A decimal number with an optional exponent that a float holds as a finite value.
[[nodiscard]] std::optional<float> textToFloat(QStringView text);

// The number a dialog's text box holds: the grammar above with an optional exponent
// ("1e3"). Nothing when the text is empty or holds anything else.
[[nodiscard]] std::optional<double> numberFromText(QStringView text);

// Nearest integer, halves to the even neighbour (2.5 → 2, 3.5 → 4, −2.5 → −2).
[[nodiscard]] double roundHalfEven(double value);
