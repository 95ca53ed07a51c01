#include "platform/files/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isWritableDir(const QString& dir) {
    QTemporaryFile probe(joinPath(dir, QStringLiteral(".qv3-write-probe-XXXXXX")));
    return probe.open();
}

}  // namespace

ProgramPaths decideProgramPaths(const QString& exeDir, const QString& exeBaseName,
                                const QString& appDataDir) {
    ProgramPaths paths;
    paths.exeBaseName = exeBaseName;
    const QString dir = QDir::cleanPath(exeDir);
    const QString dataDir = appDataDir.isEmpty() ? QString() : QDir::cleanPath(appDataDir);
    const QString installedShare = QDir::cleanPath(
        joinPath(dir, QStringLiteral("../share/") + QLatin1String(kInstalledShareDir)));
    if (QFileInfo(installedShare).isDir()) {
        paths.shareDir = installedShare;
        paths.programDir = dataDir.isEmpty() ? dir : dataDir;
        return paths;
    }
    paths.shareDir = dir;
    paths.programDir = (dataDir.isEmpty() || isWritableDir(dir)) ? dir : dataDir;
    return paths;
}

QString perUserDataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

ProgramPaths resolveProgramPaths() {
    const QString dataDir = perUserDataDir();
    ProgramPaths paths = decideProgramPaths(
        QCoreApplication::applicationDirPath(),
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(), dataDir);
    // The per-user data directory of a first start; the instance lock lives in it too. The
    // list it holds may name private feeds, and a list others could change would have the
    // patrol read what they name.
    if (!dataDir.isEmpty() && paths.programDir == QDir::cleanPath(dataDir)) {
        paths.programDirTrust = preparePerUserFolder(paths.programDir, currentUserId());
    }
    return paths;
}

ProgramPaths::Trust judgeUserFolder(uint ownerId, uint mode, uint uid) {
    if (ownerId != uid) {
        return ProgramPaths::Trust::OtherOwner;
    }
    // Group write counts too: the group may hold other users.
    if ((mode & (S_IWGRP | S_IWOTH)) != 0) {
        return ProgramPaths::Trust::WritableByOthers;
    }
    return ProgramPaths::Trust::Private;
}

ProgramPaths::Trust preparePerUserFolder(const QString& dataDir, uint uid) {
    const QString path = QDir::cleanPath(dataDir);
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        const ProgramPaths::Trust trust =
            judgeUserFolder(uint(info.st_uid), uint(info.st_mode), uid);
        if (trust != ProgramPaths::Trust::Private) {
            return trust;
        }
    }
    makePrivateFolder(path);
    return ProgramPaths::Trust::Private;
}

uint currentUserId() {
    return uint(::geteuid());
}

bool isPrivateFolder(const QString& dir, uint uid) {
    struct stat info {};
    if (dir.isEmpty() || ::stat(QFile::encodeName(dir).constData(), &info) != 0) {
        return false;
    }
    return S_ISDIR(info.st_mode) && info.st_uid == uid && (info.st_mode & 077) == 0;
}

bool makePrivateFolder(const QString& dir) {
    if (dir.isEmpty()) {
        return false;
    }
    const QString path = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (!QFileInfo::exists(path)) {
        // Each missing folder on the way for the user alone: the mode given to mkdir is only
        // ever narrowed by the umask, never widened (a umask of 000 would leave mkpath's
        // folders open to everybody). Parents that exist are not touched.
        QStringList missing;
        for (QString at = path; !at.isEmpty() && !QFileInfo::exists(at);) {
            missing.prepend(at);
            const QString parent = QFileInfo(at).path();
            if (parent == at) {
                break;
            }
            at = parent;
        }
        for (const QString& folder : missing) {
            ::mkdir(QFile::encodeName(folder).constData(), S_IRWXU);
        }
    }
    const QFileInfo made(path);
    if (made.isDir() && made.ownerId() == currentUserId()) {
        QFile::setPermissions(path, ownerOnly);
    }
    return made.isDir();
}

QString joinPath(const QString& dir, const QString& name) {
    if (dir.isEmpty()) {
        return name;
    }
    if (dir.endsWith(QLatin1Char('/'))) {
        return dir + name;
    }
    return dir + QLatin1Char('/') + name;
}
