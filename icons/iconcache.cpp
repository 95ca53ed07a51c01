#include "icons/iconcache.h"

#include <QBuffer>
#include <QFile>
#include <QStandardPaths>
#include <QFileInfo>

#include "platform/files/atomicfile.h"
#include "platform/files/paths.h"

namespace {

// A record line is "name value"; validators are kept to what a header line can hold.
constexpr qsizetype kMaxRecordBytes = 16 * 1024;
constexpr qsizetype kMaxValidatorBytes = 1024;
// A cached PNG larger than this is not one the program wrote.
constexpr qint64 kMaxCachedPngBytes = 256 * 1024;

QByteArray oneLine(const QByteArray& value) {
    QByteArray line = value.left(kMaxValidatorBytes);
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

QByteArray timeText(const QDateTime& time) {
    return time.isValid() ? QByteArray::number(time.toSecsSinceEpoch()) : QByteArray();
}

QDateTime timeOf(const QByteArray& text) {
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok);
    return ok ? QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC) : QDateTime();
}

QByteArray recordText(const IconRecord& record) {
    QByteArray text;
    const auto line = [&text](const char* name, const QByteArray& value) {
        if (!value.isEmpty()) {
            text += name + QByteArray(" ") + oneLine(value) + '\n';
        }
    };
    line("url", record.iconUrl.toUtf8());
    line("etag", record.etag);
    line("last-modified", record.lastModified);
    line("checked", timeText(record.checked));
    line("failed", timeText(record.failed));
    return text;
}

}  // namespace

IconFreshness iconFreshness(const IconRecord& record, bool hasImages, const QDateTime& now) {
    const auto within = [&now](const QDateTime& time, qint64 seconds) {
        if (!time.isValid()) {
            return false;
        }
        const qint64 age = time.secsTo(now);
        return age >= 0 && age < seconds;
    };
    if (hasImages && within(record.checked, kIconRefreshSeconds)) {
        return IconFreshness::Fresh;
    }
    if (within(record.failed, kIconFailureSeconds)) {
        return IconFreshness::FailedRecently;
    }
    return hasImages ? IconFreshness::Stale : IconFreshness::Unknown;
}

QString iconCacheFolder() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return cache.isEmpty() ? QString() : joinPath(cache, QStringLiteral("icons"));
}

IconCache::IconCache(QString folder) : dir(std::move(folder)) {}

QString IconCache::keyOf(const QUrl& url) {
    const QString name = url.host().toLower();
    QByteArray host = QUrl::toAce(name);
    if (host.isEmpty()) {
        // An IPv6 address has no ASCII-compatible form: it is ASCII.
        host = name.toLatin1();
    }
    if (host.isEmpty()) {
        return {};
    }
    QString key;
    for (const char c : host) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        key += plain ? QChar::fromLatin1(c) : QChar(u'_');
    }
    // Never a hidden or relative name.
    if (key.startsWith(u'.')) {
        key.prepend(u'_');
    }
    if (url.port() >= 0) {
        key += u'_' + QString::number(url.port());
    }
    return key;
}

QString IconCache::pathOf(const QString& key, const QString& suffix) const {
    return joinPath(dir, key + suffix);
}

bool IconCache::ensureFolder() const {
    return makePrivateFolder(dir);
}

IconRecord IconCache::record(const QString& key) const {
    IconRecord record;
    QFile file(pathOf(key, QStringLiteral(".txt")));
    if (!file.open(QIODevice::ReadOnly)) {
        return record;
    }
    const QByteArray text = file.read(kMaxRecordBytes);
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space <= 0) {
            continue;
        }
        const QByteArray name = line.left(space);
        const QByteArray value = line.mid(space + 1);
        if (name == "url") {
            record.iconUrl = QString::fromUtf8(value);
        } else if (name == "etag") {
            record.etag = value;
        } else if (name == "last-modified") {
            record.lastModified = value;
        } else if (name == "checked") {
            record.checked = timeOf(value);
        } else if (name == "failed") {
            record.failed = timeOf(value);
        }
    }
    return record;
}

IconImages IconCache::images(const QString& key) const {
    IconImages icon;
    for (size_t i = 0; i < kIconPixelSizes.size(); ++i) {
        const int side = kIconPixelSizes[i];
        QFile file(pathOf(key, QStringLiteral("-%1.png").arg(side)));
        if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCachedPngBytes) {
            return {};
        }
        QImage image;
        if (!image.loadFromData(file.readAll(), "PNG") || image.size() != QSize(side, side)) {
            return {};
        }
        icon.images[i] = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return icon;
}

bool IconCache::hasImages(const QString& key) const {
    for (const int side : kIconPixelSizes) {
        if (!QFileInfo::exists(pathOf(key, QStringLiteral("-%1.png").arg(side)))) {
            return false;
        }
    }
    return true;
}

bool IconCache::store(const QString& key, const IconImages& icon, const IconRecord& record) const {
    if (key.isEmpty() || icon.isNull() || !ensureFolder()) {
        return false;
    }
    for (size_t i = 0; i < kIconPixelSizes.size(); ++i) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!icon.images[i].save(&buffer, "PNG") ||
            !writeFileAtomically(pathOf(key, QStringLiteral("-%1.png").arg(kIconPixelSizes[i])),
                                 png, FileAccess::OwnerOnly)) {
            return false;
        }
    }
    return storeRecord(key, record);
}

bool IconCache::storeRecord(const QString& key, const IconRecord& record) const {
    if (key.isEmpty() || !ensureFolder()) {
        return false;
    }
    return writeFileAtomically(pathOf(key, QStringLiteral(".txt")), recordText(record),
                               FileAccess::OwnerOnly);
}
