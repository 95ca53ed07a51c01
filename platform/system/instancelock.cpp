#include "platform/system/instancelock.h"

#include <QFile>

#include "platform/files/paths.h"

InstanceLock::InstanceLock(const QString& programDir)
    : path(joinPath(programDir, QLatin1String(kFileName))), lockFile(path) {
    // Staleness only by a dead owner process, never by age: the program holds the lock for
    // days.
    lockFile.setStaleLockTime(0);
}

bool InstanceLock::tryLock() {
    if (lockFile.isLocked()) {
        return true;
    }
    if (lockFile.tryLock(0)) {
        // Made as the umask allows; nobody else is to change who holds the lock.
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return true;
    }
    return lockFile.error() != QLockFile::LockFailedError;
}
