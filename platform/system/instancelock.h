#pragma once

#include <QLockFile>
#include <QString>

// Keeps a second copy of the program from running over the same program directory: a lock
// file "Quorvane3.lock" there, held while the program runs.
class InstanceLock {
public:
    explicit InstanceLock(const QString& programDir);
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False only while another running process holds the lock. A lock file left by a run
    // that ended without releasing it (a crash) is taken over. When the lock file cannot
    // be made at all (a read-only directory) the program is not kept from starting.
    [[nodiscard]] bool tryLock();
    [[nodiscard]] bool isLocked() const { return lockFile.isLocked(); }

    static constexpr char kFileName[] = "Quorvane3.lock";

private:
    QString path;
    QLockFile lockFile;
};
