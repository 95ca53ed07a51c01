#include "settings/numbertext.h"

#include <cmath>

#include <QByteArray>
#include <QString>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

QStringView trimBlanks(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && isBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

// A number "[sign] digits [. digits]" with at least one digit; an exponent "e [sign] digits"
// after it is checked where allowed but not kept.
struct NumberText {
    bool negative = false;
    QStringView integerDigits;
    QStringView fractionDigits;
};

std::optional<NumberText> scanNumber(QStringView text, bool allowExponent) {
    NumberText number;
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto skipDigits = [&] {
        const qsizetype from = i;
        while (i < n && isDigit(text[i])) {
            ++i;
        }
        return text.sliced(from, i - from);
    };
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        number.negative = text[i] == u'-';
        ++i;
    }
    number.integerDigits = skipDigits();
    if (i < n && text[i] == u'.') {
        ++i;
        number.fractionDigits = skipDigits();
    }
    if (number.integerDigits.isEmpty() && number.fractionDigits.isEmpty()) {
        return std::nullopt;
    }
    if (allowExponent && i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            ++i;
        }
        if (skipDigits().isEmpty()) {
            return std::nullopt;
        }
    }
    if (i != n) {
        return std::nullopt;
    }
    return number;
}

bool allZero(QStringView digits) {
    for (const QChar c : digits) {
        if (c != u'0') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<qint32> textToInteger(QStringView text, qint32 min, qint32 max) {
    const std::optional<NumberText> number = scanNumber(trimBlanks(text), false);
    if (!number) {
        return std::nullopt;
    }
    QStringView digits = number->integerDigits;
    while (!digits.isEmpty() && digits.front() == u'0') {
        digits = digits.sliced(1);
    }
    // No number of more than ten digits fits in 32 bits; ten fit in the 64-bit sum below.
    if (digits.size() > 10) {
        return std::nullopt;
    }
    qint64 magnitude = 0;
    for (const QChar c : digits) {
        magnitude = magnitude * 10 + (c.unicode() - u'0');
    }
    // Rounded on the decimal digits themselves, so "2.5" is exactly a half and goes to 2.
    const QStringView fraction = number->fractionDigits;
    if (!fraction.isEmpty()) {
        const int first = fraction.front().unicode() - u'0';
        const bool beyondHalf = !allZero(fraction.sliced(1));
        if (first > 5 || (first == 5 && (beyondHalf || magnitude % 2 == 1))) {
            ++magnitude;
        }
    }
    const qint64 value = number->negative ? -magnitude : magnitude;
    if (value < min || value > max) {
        return std::nullopt;
    }
    return qint32(value);
}

std::optional<bool> textToFlag(QStringView text) {
    text = trimBlanks(text);
    if (text.compare(u"true", Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text.compare(u"false", Qt::CaseInsensitive) == 0) {
        return false;
    }
    const std::optional<NumberText> number = scanNumber(text, false);
    if (!number) {
        return std::nullopt;
    }
    return !(allZero(number->integerDigits) && allZero(number->fractionDigits));
}

std::optional<float> textToFloat(QStringView text) {
    text = trimBlanks(text);
    if (!scanNumber(text, true)) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.toLatin1().toDouble(&ok);
    const float single = float(value);
    if (!ok || !std::isfinite(single)) {
        return std::nullopt;
    }
    return single;
}

std::optional<double> numberFromText(QStringView text) {
    text = trimBlanks(text);
    if (!scanNumber(text, true)) {
        return std::nullopt;
    }
    // The shape is checked above: QString::toDouble alone would also take "inf", "nan" and
    // hex forms. An exponent too large gives ±infinity, which callers clamp like any big
    // number.
    return text.toString().toDouble();
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
