#include "platform/paths.h"

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
    const ProgramPaths paths = decideProgramPaths(
        QCoreApplication::applicationDirPath(),
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(), dataDir);
    // The per-user data directory of a first start; the instance lock lives in it too. The
    // list it holds may name private feeds, and a list others could change would have the
    // patrol read what they name.
    if (!dataDir.isEmpty() && paths.programDir == QDir::cleanPath(dataDir)) {
        makePrivateFolder(paths.programDir);
    }
    return paths;
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
    const QString path = QDir::cleanPath(dir);
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (!QFileInfo::exists(path)) {
        // The parents as the user's other folders are; the folder itself for the user alone.
        QDir().mkpath(QFileInfo(path).absolutePath());
        QDir().mkdir(path, ownerOnly);
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
