#include "formats/feedreader.h"

#include "formats/jsonfeedreader.h"
#include "formats/xmlfeedreader.h"

FeedSyntax feedSyntaxOf(QByteArrayView body) {
    qsizetype i = body.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < body.size() &&
           (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n')) {
        ++i;
    }
    return i < body.size() && body[i] == '{' ? FeedSyntax::Json : FeedSyntax::Xml;
}

FeedReadResult readFeed(const QByteArray& body, const QString& contentType,
                        const QUrl& documentUrl) {
    switch (feedSyntaxOf(body)) {
        case FeedSyntax::Json:
            return readJsonFeed(body, documentUrl);
        case FeedSyntax::Xml:
            break;
    }
    return readXmlFeed(body, contentType, documentUrl);
}
