#include "formats/titleclean.h"

namespace {

constexpr char16_t kIdeographicSpace = 0x3000;

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool isNonCharacter(char32_t c) {
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// What one character of the title becomes, or 0 when it stays as it is.
char16_t replacementOf(char32_t c) {
    if (isControl(c) || isNonCharacter(c)) {
        return kIdeographicSpace;
    }
    switch (c) {
        case 0x2212:
            return u'-';
        case 0x301C:
            return 0xFF5E;
        default:
            return 0;
    }
}

}  // namespace

QString CleanTitleText(const QString& title) {
    QString cleaned;
    bool changed = false;
    // From the first change on, the title is rebuilt; before it nothing is copied, so the
    // common title costs no allocation.
    const auto put = [&](qsizetype at, QStringView kept, char16_t replacement) {
        if (!changed) {
            if (replacement == 0) {
                return;
            }
            changed = true;
            cleaned.reserve(title.size());
            cleaned.append(QStringView(title).left(at));
        }
        if (replacement != 0) {
            cleaned.append(QChar(replacement));
        } else {
            cleaned.append(kept);
        }
    };
    const qsizetype size = title.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = title[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size && title[i + 1].isLowSurrogate()) {
            const char32_t c = QChar::surrogateToUcs4(unit, title[i + 1].unicode());
            put(i, QStringView(title).mid(i, 2), isNonCharacter(c) ? kIdeographicSpace : 0);
            ++i;
            continue;
        }
        put(i, QStringView(title).mid(i, 1),
            QChar::isSurrogate(unit) ? kIdeographicSpace : replacementOf(unit));
    }
    return changed ? cleaned : title;
}
