#include "dialogs/optionrules.h"

#include <algorithm>
#include <cmath>

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace

std::optional<double> numberFromText(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    const QString body = text.mid(begin, end - begin);

    // Check the shape by hand: QString::toDouble also takes "inf", "nan" and hex forms.
    qsizetype i = 0;
    const qsizetype n = body.size();
    if (i < n && (body[i] == QLatin1Char('+') || body[i] == QLatin1Char('-'))) {
        ++i;
    }
    qsizetype digits = 0;
    while (i < n && isAsciiDigit(body[i])) {
        ++i;
        ++digits;
    }
    if (i < n && body[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && isAsciiDigit(body[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < n && (body[i] == QLatin1Char('e') || body[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (body[i] == QLatin1Char('+') || body[i] == QLatin1Char('-'))) {
            ++i;
        }
        qsizetype exponentDigits = 0;
        while (i < n && isAsciiDigit(body[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != n) {
        return std::nullopt;
    }
    // An exponent too large gives ±infinity, which the callers clamp like any big number.
    return body.toDouble();
}

double roundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) {
        return floor;
    }
    if (diff > 0.5) {
        return floor + 1;
    }
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

int cleanSpinnerNumber(const QString& text, int current, int minimum, int maximum) {
    const std::optional<double> number = numberFromText(text);
    const double value = number ? roundHalfEven(*number) : double(current);
    // Compared as doubles, so a number beyond any integer's range clamps too.
    return int(std::clamp(value, double(minimum), double(maximum)));
}
