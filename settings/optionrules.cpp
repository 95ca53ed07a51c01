#include "settings/optionrules.h"

#include <algorithm>
#include <cmath>

int cleanSpinnerNumber(const QString& text, int current, int minimum, int maximum) {
    const std::optional<double> number = numberFromText(text);
    const double value = number ? roundHalfEven(*number) : double(current);
    // Compared as doubles, so a number beyond any integer's range clamps too.
    return int(std::clamp(value, double(minimum), double(maximum)));
}
