#pragma once

#include <QString>

#include "settings/settingstable.h"

// Bounds and steps of the ticker settings dialog's three spinners.
inline constexpr SettingRange kOpacityRange = dialogRange("TICKER_TRANSPARENCY_LEVEL");  // percent
inline constexpr SettingRange kIntervalRange = dialogRange("NEWS_INTERVAL");             // seconds
// The dialog shows TICKER_MARGIN_TOP (twips) in units of 10 twips, labelled "px".
inline constexpr int kMarginUnitTwips = dialogRange("TICKER_MARGIN_TOP").step;

// Opacity box on OK: an empty box or one without a number restores the current setting;
// the nearest integer (halves to even) is cut down to a multiple of 5 (towards zero) and
// then clamped to 10..100. 37 → 35, 7 → 5 → 10, 120 → 100.
[[nodiscard]] int cleanOpacityText(const QString& text, int currentPercent);

// Interval box on OK: restore when empty or no number, nearest integer, clamp to 3..60.
[[nodiscard]] int cleanIntervalText(const QString& text, int currentSeconds);

// Margin box on OK, in units of 10 twips: restore TICKER_MARGIN_TOP \ 10 when empty or no
// number, nearest integer, clamp to 0..maximumUnits.
[[nodiscard]] int cleanMarginText(const QString& text, int currentTwips, int maximumUnits);

// TICKER_MARGIN_TOP in the dialog's units: integer division, truncated.
[[nodiscard]] constexpr int marginUnitsFromTwips(int twips) {
    return twips / kMarginUnitTwips;
}

// The margin spinner's maximum: (screen height − ticker height) \ 10, in units of 10 twips.
// Never below 0, and never so large that the stored twips leave TICKER_MARGIN_TOP's 16-bit
// range (a screen taller than about 2200 pixels).
[[nodiscard]] int marginMaximumUnits(int screenHeightTwips, int tickerHeightTwips);
