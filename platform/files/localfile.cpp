#include "platform/files/localfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

ResourceLocation locateResource(const QString& location) {
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const QRegularExpressionMatch match = schemePattern.match(location);
    const QString scheme = match.hasMatch() ? match.captured(1).toLower() : QString();
    ResourceLocation result;
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        result.kind = ResourceLocation::Kind::Http;
        return result;
    }
    if (scheme == QLatin1String("file")) {
        const QUrl url(location);
        if (!url.isLocalFile()) {
            result.error = QStringLiteral("not a local file URL: %1").arg(location);
            return result;
        }
        result.kind = ResourceLocation::Kind::LocalFile;
        result.path = url.toLocalFile();
        return result;
    }
    if (!scheme.isEmpty()) {
        result.error = QStringLiteral("unsupported URL scheme: %1").arg(location);
        return result;
    }
    result.kind = ResourceLocation::Kind::LocalFile;
    result.path = location;
    return result;
}

LocalFileRead readLocalFile(const QString& path, qint64 maxBytes, QByteArray& data,
                            QString& error) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        error = QStringLiteral("no such file: %1").arg(path);
        return LocalFileRead::NotAFile;
    }
    const QString tooLarge =
        QStringLiteral("file larger than %1 bytes: %2").arg(maxBytes).arg(path);
    if (info.size() > maxBytes) {
        error = tooLarge;
        return LocalFileRead::TooLarge;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return LocalFileRead::Failed;
    }
    // Read into room for the size the file has: asking read() for the limit would
    // allocate the limit. A file that grew meanwhile is still held to the limit.
    data = QByteArray(info.size(), Qt::Uninitialized);
    const qint64 got = file.read(data.data(), data.size());
    if (got < 0) {
        error = file.errorString();
        data.clear();
        return LocalFileRead::Failed;
    }
    data.truncate(got);
    if (!file.atEnd()) {
        data.append(file.read(maxBytes + 1 - data.size()));
    }
    if (data.size() > maxBytes) {
        error = tooLarge;
        data.clear();
        return LocalFileRead::TooLarge;
    }
    return LocalFileRead::Ok;
}
