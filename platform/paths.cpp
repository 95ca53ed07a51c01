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

ProgramPaths resolveProgramPaths() {
    ProgramPaths paths;
    paths.exeDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    paths.exeBaseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    paths.programDir = paths.exeDir;
    if (!isWritableDir(paths.exeDir)) {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!data.isEmpty() && QDir().mkpath(data)) {
            paths.programDir = QDir::cleanPath(data);
        }
    }
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
