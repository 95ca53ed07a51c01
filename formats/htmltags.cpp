#include "formats/htmltags.h"

#include <array>

#include <QRegularExpression>
#include <QStringDecoder>

#include "formats/htmltext.h"
#include "platform/net/contenttype.h"

namespace {

// Elements whose content is text up to their end tag, never markup.
constexpr std::array<const char*, 4> kRawTextElements = {"script", "style", "title", "textarea"};

// How far into the page a <meta> naming the charset is looked for, as browsers do.
constexpr qsizetype kCharsetPrescanBytes = 1024;

QString charsetOfMeta(const QByteArray& html) {
    static const QRegularExpression meta(
        QStringLiteral(R"re(<meta\s[^>]*?charset\s*=\s*["']?\s*([A-Za-z0-9._:-]+))re"),
        QRegularExpression::CaseInsensitiveOption);
    return meta.match(QString::fromLatin1(html.left(kCharsetPrescanBytes))).captured(1);
}

bool isHtmlSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

}  // namespace

QString decodeHtmlPage(const QByteArray& html, const QString& contentType) {
    if (const auto marked = QStringConverter::encodingForData(html)) {
        // A byte-order mark outranks every label, as browsers have it.
        return QStringDecoder(*marked).decode(html);
    }
    for (const QString& charset : {charsetOfContentType(contentType), charsetOfMeta(html)}) {
        if (charset.isEmpty()) {
            continue;
        }
        QStringDecoder decoder(charset.toLatin1().constData());
        if (decoder.isValid()) {
            return decoder.decode(html);
        }
    }
    return QString::fromUtf8(html);
}

QString HtmlTag::attribute(QLatin1String wanted) const {
    for (const auto& [attributeName, value] : attributes) {
        if (attributeName == wanted) {
            return value;
        }
    }
    return {};
}

bool HtmlTagScanner::next(HtmlTag& tag) {
    while (true) {
        const qsizetype lt = html.indexOf(u'<', pos);
        if (lt < 0 || lt + 1 >= html.size()) {
            return false;
        }
        pos = lt + 1;
        const QChar c = html[pos];
        if (html.mid(lt, 4) == u"<!--") {
            const qsizetype end = html.indexOf(u"-->", lt + 4);
            pos = end < 0 ? html.size() : end + 3;
        } else if (c == u'!' || c == u'?') {
            skipPast(u'>');
        } else if (c == u'/' || c.isLetter()) {
            readTag(tag);
            if (!tag.closing) {
                for (const char* raw : kRawTextElements) {
                    if (tag.name == QLatin1String(raw)) {
                        skipRawText(tag.name);
                    }
                }
            }
            return true;
        }
    }
}

void HtmlTagScanner::skipRawText(const QString& name) {
    const QString endTag = QStringLiteral("</") + name;
    const qsizetype end = html.indexOf(endTag, pos, Qt::CaseInsensitive);
    pos = end < 0 ? html.size() : end;
}

void HtmlTagScanner::skipPast(QChar c) {
    const qsizetype end = html.indexOf(c, pos);
    pos = end < 0 ? html.size() : end + 1;
}

void HtmlTagScanner::skipSpace() {
    while (pos < html.size() && isHtmlSpace(html[pos])) {
        ++pos;
    }
}

// A name up to space, "/", ">" (and "=" for attribute names), lower-cased.
QString HtmlTagScanner::readName(bool attribute) {
    const qsizetype start = pos;
    while (pos < html.size() && !isHtmlSpace(html[pos]) && html[pos] != u'/' && html[pos] != u'>' &&
           !(attribute && pos > start && html[pos] == u'=')) {
        ++pos;
    }
    return html.mid(start, pos - start).toString().toLower();
}

QString HtmlTagScanner::readValue() {
    if (pos < html.size() && (html[pos] == u'"' || html[pos] == u'\'')) {
        const QChar quote = html[pos++];
        const qsizetype end = html.indexOf(quote, pos);
        const qsizetype stop = end < 0 ? html.size() : end;
        const QStringView value = html.mid(pos, stop - pos);
        pos = end < 0 ? html.size() : end + 1;
        return decodeHtmlEntities(value);
    }
    const qsizetype start = pos;
    while (pos < html.size() && !isHtmlSpace(html[pos]) && html[pos] != u'>') {
        ++pos;
    }
    return decodeHtmlEntities(html.mid(start, pos - start));
}

// pos is just after "<".
void HtmlTagScanner::readTag(HtmlTag& tag) {
    tag = HtmlTag();
    tag.closing = html[pos] == u'/';
    if (tag.closing) {
        ++pos;
    }
    tag.name = readName(false);
    while (true) {
        while (pos < html.size() && (isHtmlSpace(html[pos]) || html[pos] == u'/')) {
            ++pos;
        }
        if (pos >= html.size()) {
            return;
        }
        if (html[pos] == u'>') {
            ++pos;
            return;
        }
        QString name = readName(true);
        skipSpace();
        QString value;
        if (pos < html.size() && html[pos] == u'=') {
            ++pos;
            skipSpace();
            value = readValue();
        }
        if (!tag.closing) {
            tag.attributes.append({std::move(name), std::move(value)});
        }
    }
}
