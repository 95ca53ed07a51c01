#include "platform/resourcefetch.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/httpfetch.h"

namespace {

// The scheme of a URL, lower-cased; empty for a plain path. A one-letter "scheme" is a
// drive letter, not a scheme.
QString schemeOf(const QString& location) {
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const QRegularExpressionMatch match = schemePattern.match(location);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

FetchedResource failed(const QString& error) {
    FetchedResource result;
    result.error = error;
    return result;
}

FetchedResource readLocalFile(const QString& path, qint64 maxBytes) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        return failed(QStringLiteral("no such file: %1").arg(path));
    }
    const QString tooLarge =
        QStringLiteral("file larger than %1 bytes: %2").arg(maxBytes).arg(path);
    if (info.size() > maxBytes) {
        return failed(tooLarge);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failed(file.errorString());
    }
    FetchedResource result;
    // Read into room for the size the file has: asking read() for the limit would
    // allocate the limit. A file that grew meanwhile is still held to the limit.
    result.body = QByteArray(info.size(), Qt::Uninitialized);
    const qint64 got = file.read(result.body.data(), result.body.size());
    if (got < 0) {
        return failed(file.errorString());
    }
    result.body.truncate(got);
    if (!file.atEnd()) {
        result.body.append(file.read(maxBytes + 1 - result.body.size()));
    }
    if (result.body.size() > maxBytes) {
        return failed(tooLarge);
    }
    result.ok = true;
    result.url = QUrl::fromLocalFile(info.absoluteFilePath());
    return result;
}

}  // namespace

FetchedResource fetchResource(const QString& location, const FetchOptions& options) {
    const QString scheme = schemeOf(location);
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        HttpFetchResult fetched = httpGet(location, options);
        if (!fetched.ok) {
            return failed(fetched.error);
        }
        FetchedResource result;
        result.ok = true;
        result.body = std::move(fetched.body);
        result.contentType = fetched.contentType;
        result.url = QUrl(fetched.effectiveUrl.isEmpty() ? location : fetched.effectiveUrl);
        return result;
    }
    if (scheme == QLatin1String("file")) {
        const QUrl url(location);
        if (!url.isLocalFile()) {
            return failed(QStringLiteral("not a local file URL: %1").arg(location));
        }
        return readLocalFile(url.toLocalFile(), options.maxBytes);
    }
    if (!scheme.isEmpty()) {
        return failed(QStringLiteral("unsupported URL scheme: %1").arg(location));
    }
    return readLocalFile(location, options.maxBytes);
}

QString charsetOfContentType(const QString& contentType) {
    static const QRegularExpression charset(
        QStringLiteral(R"re(;\s*charset\s*=\s*(?:"([^"]*)"|([^\s;]+)))re"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = charset.match(contentType);
    if (!match.hasMatch()) {
        return {};
    }
    return (match.hasCaptured(1) ? match.captured(1) : match.captured(2)).trimmed();
}
