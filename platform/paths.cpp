#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

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

ProgramPaths resolveProgramPaths() {
    const ProgramPaths paths =
        decideProgramPaths(QCoreApplication::applicationDirPath(),
                           QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(),
                           QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    // The per-user data directory of a first start; the instance lock lives in it too.
    QDir().mkpath(paths.programDir);
    return paths;
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
