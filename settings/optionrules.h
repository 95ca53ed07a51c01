#pragma once

#include <QString>
#include <optional>

#include "settings/numbertext.h"
#include "settings/settingstable.h"

// A spinner's number box on confirm: an empty box or one that holds no number takes the
// setting's current value; the number is taken as its nearest integer (halves to even)
// and clamped to the spinner's bounds. Numbers of any size clamp, 99999 and −99999 too.
[[nodiscard]] int cleanSpinnerNumber(const QString& text, int current, int minimum, int maximum);

// Bounds of the options dialog's two spinners.
inline constexpr SettingRange kNewsLimitRange = dialogRange("LIMIT_HOURES");  // hours
// "Pirot" follows the spinner's widget name, txtAutoPirotInterval.
inline constexpr SettingRange kAutoPirotIntervalRange = dialogRange("AUTO_PIROT_MINITS");
