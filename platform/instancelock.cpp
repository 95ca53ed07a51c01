#include "platform/instancelock.h"

#include "platform/paths.h"

InstanceLock::InstanceLock(const QString& programDir)
    : lockFile(joinPath(programDir, QLatin1String(kFileName))) {
    // Staleness only by a dead owner process, never by age: the program holds the lock for
    // days.
    lockFile.setStaleLockTime(0);
}

bool InstanceLock::tryLock() {
    if (lockFile.isLocked() || lockFile.tryLock(0)) {
        return true;
    }
    return lockFile.error() != QLockFile::LockFailedError;
}
