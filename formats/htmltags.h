#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <utility>

// A page's text: decoded by the charset of contentType, else its byte-order mark, else the
// charset a <meta> near its start names, else as UTF-8, as browsers have it.
[[nodiscard]] QString decodeHtmlPage(const QByteArray& html, const QString& contentType);

// One start or end tag of a page.
struct HtmlTag {
    QString name;  // lower-cased
    bool closing = false;
    QList<std::pair<QString, QString>> attributes;  // names lower-cased, values decoded

    // The first attribute of that (lower-case) name; empty when absent.
    [[nodiscard]] QString attribute(QLatin1String wanted) const;
};

// Walks the tags of a page as a browser's tokenizer would, closely enough for a head: names
// in any case, attribute values quoted either way or not at all, character references
// decoded, comments and declarations passed over. The page must outlive the scanner.
class HtmlTagScanner {
public:
    explicit HtmlTagScanner(QStringView page) : html(page) {}

    // The next tag, or false at the end of the page. After the start tag of a raw-text
    // element (script, style, title, textarea) the next tag is its end tag.
    bool next(HtmlTag& tag);

private:
    void skipPast(QChar c);
    void skipSpace();
    void skipRawText(const QString& name);
    QString readName(bool attribute);
    QString readValue();
    void readTag(HtmlTag& tag);

    QStringView html;
    qsizetype pos = 0;
};
