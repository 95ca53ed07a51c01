#include "core/openrequest.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

constexpr qsizetype kLoggedArgumentLength = 120;

OpenRequest refused(const QString& why) {
    OpenRequest request;
    request.why = why;
    return request;
}

bool startsWithWebScheme(const QString& text) {
    return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

OpenRequest webUrl(const QString& text) {
    // Tolerant: a browser may hand over a "|" or a space unencoded.
    const QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty()) {
        return refused(QStringLiteral("not a valid URL"));
    }
    OpenRequest request;
    request.kind = OpenRequest::Kind::Feed;
    request.url = url;
    return request;
}

OpenRequest localFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        return refused(QStringLiteral("no such file"));
    }
    OpenRequest request;
    request.kind = info.suffix().compare(QLatin1String("opml"), Qt::CaseInsensitive) == 0
                       ? OpenRequest::Kind::SiteList
                       : OpenRequest::Kind::Feed;
    request.url = QUrl::fromLocalFile(QDir::cleanPath(info.absoluteFilePath()));
    return request;
}

// "feed:https://host/x", "feed:http://host/x", "feed://https://host/x" name the URL
// inside; "feed://host/x" is the http URL of host/x.
OpenRequest feedUrl(const QString& argument) {
    QString rest = argument.mid(5);
    if (startsWithWebScheme(rest)) {
        return webUrl(rest);
    }
    if (rest.startsWith(QLatin1String("//"))) {
        rest = rest.mid(2);
        return webUrl(startsWithWebScheme(rest) ? rest : QStringLiteral("http://") + rest);
    }
    return refused(QStringLiteral("a feed: URL must name an http or https address"));
}

}  // namespace

QString OpenRequest::displayText() const {
    return url.isLocalFile() ? url.toLocalFile() : url.toString();
}

QByteArray OpenRequest::handOverLine() const {
    return url.toEncoded();
}

OpenRequest interpretArgument(const QString& argument, const QString& workingDir) {
    const QString text = argument.trimmed();
    if (text.isEmpty()) {
        return refused(QStringLiteral("empty"));
    }
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    const QRegularExpressionMatch scheme = schemePattern.match(text);
    if (!scheme.hasMatch()) {
        if (QDir::isRelativePath(text) && workingDir.isEmpty()) {
            return refused(QStringLiteral("a relative path without a working directory"));
        }
        return localFile(QDir(workingDir).absoluteFilePath(text));
    }

    const QString name = scheme.captured(1).toLower();
    if (name == QLatin1String("http") || name == QLatin1String("https")) {
        return webUrl(text);
    }
    if (name == QLatin1String("feed")) {
        return feedUrl(text);
    }
    if (name == QLatin1String("file")) {
        const QUrl url(text);
        const QString host = url.host();
        if (!url.isValid() || !(host.isEmpty() || host == QLatin1String("localhost"))) {
            return refused(QStringLiteral("not a local file URL"));
        }
        return localFile(url.path(QUrl::FullyDecoded));
    }
    return refused(QStringLiteral("only http, https and feed URLs and local files are accepted"));
}

QString refusalLogText(const QString& argument, const OpenRequest& request) {
    const bool cut = argument.size() > kLoggedArgumentLength;
    // Control characters would reach the terminal as commands (colours, the title, a bell),
    // and format characters (bidi overrides) would disguise the text: both are shown as
    // escapes, as are the quote and the backslash that delimit the text.
    QString shown;
    for (const QChar c : argument.left(kLoggedArgumentLength)) {
        const QChar::Category category = c.category();
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            shown += QLatin1Char('\\');
            shown += c;
        } else if (category == QChar::Other_Control || category == QChar::Other_Format ||
                   category == QChar::Separator_Line || category == QChar::Separator_Paragraph) {
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    if (cut) {
        shown += QStringLiteral("...");
    }
    return QStringLiteral("Quorvane3: ignoring \"%1\": %2").arg(shown, request.why);
}
