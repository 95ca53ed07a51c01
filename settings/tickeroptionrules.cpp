#include "settings/tickeroptionrules.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "settings/optionrules.h"

namespace {

// A restored or typed value as an integer; numbers beyond any 16-bit value are held at a
// bound far outside every range here, so they clamp like any large number.
int nearestInteger(const QString& text, int current) {
    const std::optional<double> number = numberFromText(text);
    if (!number) {
        return current;
    }
    return int(std::clamp(roundHalfEven(*number), -1.0e6, 1.0e6));
}

}  // namespace

int cleanOpacityText(const QString& text, int currentPercent) {
    const int value = nearestInteger(text, currentPercent);
    // "\" truncates towards zero: −7 becomes −5, which the clamp then raises to 10.
    const int multiple = value / kOpacityRange.step * kOpacityRange.step;
    return std::clamp(multiple, kOpacityRange.minimum, kOpacityRange.maximum);
}

int cleanIntervalText(const QString& text, int currentSeconds) {
    return cleanSpinnerNumber(text, currentSeconds, kIntervalRange.minimum, kIntervalRange.maximum);
}

int cleanMarginText(const QString& text, int currentTwips, int maximumUnits) {
    return cleanSpinnerNumber(text, marginUnitsFromTwips(currentTwips), 0, maximumUnits);
}

int marginMaximumUnits(int screenHeightTwips, int tickerHeightTwips) {
    const int units = (screenHeightTwips - tickerHeightTwips) / kMarginUnitTwips;
    const int storable = dialogRange("TICKER_MARGIN_TOP").maximum / kMarginUnitTwips;
    return std::clamp(units, 0, storable);
}
