#include "accounts/marklog.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

#include "platform/files/atomicfile.h"
#include "platform/files/paths.h"

namespace {

// An id is the server's: a line longer than this, or one with a control character, is
// none of ours.
constexpr int kMaxIdLength = 200;
constexpr qint64 kMaxLogBytes = 64 * 1024 * 1024;

bool validId(const QString& id) {
    if (id.isEmpty() || id.size() > kMaxIdLength) {
        return false;
    }
    for (const QChar c : id) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            return false;
        }
    }
    return true;
}

bool makeFolderOf(const QString& path) {
    return makePrivateFolder(QFileInfo(path).absolutePath());
}

}  // namespace

QString markLogPath(const QString& folder, int number) {
    return joinPath(joinPath(folder, QStringLiteral("accounts")),
                    QString::number(number) + QStringLiteral(".marks"));
}

QString cursorPath(const QString& folder, int number) {
    return joinPath(joinPath(folder, QStringLiteral("accounts")),
                    QString::number(number) + QStringLiteral(".cursor"));
}

bool appendMarks(const QString& path, const QStringList& ids, QString* error) {
    QByteArray lines;
    for (const QString& id : ids) {
        if (validId(id)) {
            lines += id.toUtf8() + '\n';
        }
    }
    if (lines.isEmpty()) {
        return true;
    }
    QFile file(path);
    if (!makeFolderOf(path) || !file.open(QIODevice::ReadWrite | QIODevice::Append,
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    // A line cut short by a crash before this one would swallow its first mark.
    const qint64 size = file.size();
    if (size > 0) {
        char last = 0;
        if (file.seek(size - 1) && file.getChar(&last) && last != '\n') {
            lines.prepend('\n');
        }
    }
    const bool written =
        file.write(lines) == lines.size() && file.flush() && ::fsync(file.handle()) == 0;
    if (!written && error != nullptr) {
        *error = file.errorString();
    }
    return written;
}

QStringList readMarks(const QString& path) {
    QStringList ids;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxLogBytes) {
        return ids;
    }
    const QByteArray content = file.readAll();
    // What follows the last line end was cut short.
    const qsizetype end = content.lastIndexOf('\n');
    if (end < 0) {
        return ids;
    }
    for (const QByteArray& line : content.left(end).split('\n')) {
        const QString id = QString::fromUtf8(line);
        if (validId(id)) {
            ids.append(id);
        }
    }
    return ids;
}

bool rewriteMarks(const QString& path, const QStringList& ids, QString* error) {
    if (ids.isEmpty()) {
        return !QFileInfo::exists(path) || QFile::remove(path);
    }
    QByteArray lines;
    for (const QString& id : ids) {
        if (validId(id)) {
            lines += id.toUtf8() + '\n';
        }
    }
    return makeFolderOf(path) && writeFileAtomically(path, lines, FileAccess::OwnerOnly, error);
}

QString readCursor(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString cursor = QString::fromUtf8(file.read(kMaxIdLength + 1)).trimmed();
    return validId(cursor) ? cursor : QString();
}

bool writeCursor(const QString& path, const QString& cursor) {
    return makeFolderOf(path) &&
           writeFileAtomically(path, cursor.toUtf8() + '\n', FileAccess::OwnerOnly);
}
