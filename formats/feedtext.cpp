#include "formats/feedtext.h"

#include "formats/titleclean.h"

namespace {

bool isAsciiLetter(QChar c) {
    const char16_t lower = c.unicode() | 0x20;
    return lower >= u'a' && lower <= u'z';
}

// What may follow a scheme's first letter: letters, digits, "+", "-" and ".".
bool isSchemeCharacter(QChar c) {
    return isAsciiLetter(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('.');
}

// Characters that cannot stand in a one-line title, each replaced by U+3000: controls
// (line ends and tabs within the title too), surrogates without their other half and
// non-characters. Every other character is kept.
QString withoutControls(QString text) {
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text[i + 1]);
            if (QChar::isNonCharacter(code)) {
                text[i] = text[i + 1] = QChar(0x3000);
            }
            ++i;
            continue;
        }
        if (c.category() == QChar::Other_Control || c.isSurrogate() || c.isNonCharacter()) {
            text[i] = QChar(0x3000);
        }
    }
    return text;
}

// text without blanks at either end, cut to at most max units, and never inside a
// surrogate pair; text itself when that changes nothing, so that the
// common field costs no copy and a huge one is copied only as far as it is kept.
QString trimmedAndCut(const QString& text, qsizetype max) {
    QStringView kept = trimmedFeedText(text);
    if (kept.size() == text.size() && text.size() <= max) {
        return text;
    }
    if (kept.size() > max) {
        kept = kept.left(kept[max - 1].isHighSurrogate() ? max - 1 : max);
    }
    return kept.toString();
}

}  // namespace

QStringView trimmedFeedText(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isFeedBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isFeedBlank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

QString trimFeedText(const QString& text) {
    const QStringView kept = trimmedFeedText(text);
    return kept.size() == text.size() ? text : kept.toString();
}

QString feedItemTitle(const QString& text) {
    // Cut before the clean-up, which never lengthens a title: a title of megabytes is
    // never cleaned whole, and a character beyond U+FFFF is kept whole or not at all.
    return CleanTitleText(trimmedAndCut(text, kMaxFeedTitleLength));
}

QString feedChannelTitle(const QString& text) {
    // It becomes a site's title, shown on one line with every headline of the site.
    return withoutControls(trimmedAndCut(text, kMaxFeedTitleLength));
}

QString feedDescription(const QString& text) {
    return trimmedAndCut(text, kMaxFeedDescriptionLength);
}

QString resolvedFeedLink(QStringView href, const QUrl& base) {
    // A link that starts with a scheme is absolute: it is kept as written without the cost
    // of parsing it, which is most of what a feed of absolute links would spend here.
    qsizetype schemeEnd = 0;
    if (!href.isEmpty() && isAsciiLetter(href[0])) {
        schemeEnd = 1;
        while (schemeEnd < href.size() && isSchemeCharacter(href[schemeEnd])) {
            ++schemeEnd;
        }
    }
    if (schemeEnd > 0 && schemeEnd < href.size() && href[schemeEnd] == QLatin1Char(':')) {
        return href.toString();
    }
    const QUrl url(href.toString());
    if (!url.isRelative() || base.isEmpty()) {
        return href.toString();
    }
    QString link = base.resolved(url).toString();
    // QUrl builds its text by appending; the link is kept with the item.
    link.squeeze();
    return link;
}
