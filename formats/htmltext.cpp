#include "formats/htmltext.h"

#include <array>
#include <utility>

#include "platform/xml/safexmlstream.h"

namespace {

// Names beyond the XML five and the Latin-1 block that titles and page heads use.
constexpr std::array<std::pair<const char*, char16_t>, 21> kCommonEntities = {{
    {"amp", u'&'},         {"lt", u'<'},         {"gt", u'>'},          {"quot", u'"'},
    {"apos", u'\''},       {"ndash", u'\u2013'}, {"mdash", u'\u2014'},  {"lsquo", u'\u2018'},
    {"rsquo", u'\u2019'},  {"sbquo", u'\u201A'}, {"ldquo", u'\u201C'},  {"rdquo", u'\u201D'},
    {"bdquo", u'\u201E'},  {"bull", u'\u2022'},  {"hellip", u'\u2026'}, {"prime", u'\u2032'},
    {"euro", u'\u20AC'},   {"trade", u'\u2122'}, {"ensp", u'\u2002'},   {"emsp", u'\u2003'},
    {"thinsp", u'\u2009'},
}};

constexpr qsizetype kMaxReferenceLength = 32;

// The text a reference's body (between "&" and ";") stands for; empty when none.
QString referenceText(QStringView body) {
    if (body.startsWith(u'#')) {
        const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
        const QStringView digits = body.mid(hex ? 2 : 1);
        bool ok = false;
        const uint code = digits.isEmpty() ? 0 : digits.toUInt(&ok, hex ? 16 : 10);
        // toUInt accepts a sign and blanks that references may not hold.
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ||
            !digits.front().isLetterOrNumber()) {
            return {};
        }
        const char32_t character = code;
        return QString::fromUcs4(&character, 1);
    }
    for (const auto& [name, character] : kCommonEntities) {
        if (body == QLatin1String(name)) {
            return QString(QChar(character));
        }
    }
    return latin1EntityText(body);
}

// Appends text to out with its references decoded.
void appendDecoded(QStringView text, QString& out) {
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype amp = text.indexOf(u'&', from);
        if (amp < 0) {
            break;
        }
        // Looked for only as far as a reference can reach, so that a text of many "&"
        // and no ";" is read once.
        const qsizetype reach = text.mid(amp + 1, kMaxReferenceLength).indexOf(u';');
        const qsizetype semicolon = reach < 0 ? -1 : amp + 1 + reach;
        QString decoded;
        if (reach > 0) {
            decoded = referenceText(text.mid(amp + 1, reach));
        }
        if (decoded.isEmpty()) {
            out.append(text.mid(from, amp + 1 - from));
            from = amp + 1;
            continue;
        }
        out.append(text.mid(from, amp - from));
        out.append(decoded);
        from = semicolon + 1;
    }
    out.append(text.mid(from));
}

bool startsMarkup(QStringView html, qsizetype at) {
    if (at + 1 >= html.size()) {
        return false;
    }
    const QChar next = html[at + 1];
    return next.isLetter() || next == u'/' || next == u'!' || next == u'?';
}

// Where the markup starting with "<" at at ends (one past its ">"), or html.size().
qsizetype endOfMarkup(QStringView html, qsizetype at) {
    if (html.mid(at, 4) == u"<!--") {
        const qsizetype close = html.indexOf(u"-->", at + 4);
        return close < 0 ? html.size() : close + 3;
    }
    QChar quote;
    for (qsizetype i = at + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote) {
                quote = QChar();
            }
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return html.size();
}

}  // namespace

QString htmlToPlainText(QStringView html) {
    QString text;
    qsizetype from = 0;
    qsizetype scan = 0;
    while (true) {
        const qsizetype lt = html.indexOf(u'<', scan);
        if (lt < 0) {
            break;
        }
        if (!startsMarkup(html, lt)) {
            scan = lt + 1;
            continue;
        }
        appendDecoded(html.mid(from, lt - from), text);
        from = scan = endOfMarkup(html, lt);
    }
    appendDecoded(html.mid(from), text);
    return text;
}

QString decodeHtmlEntities(QStringView text) {
    QString decoded;
    appendDecoded(text, decoded);
    return decoded;
}
