#pragma once

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/workerpool.h"

// Writes site lists on a worker, so that saving after an edit never stalls the window. The
// caller builds the bytes from the tree as it is (on the user-interface thread, where the
// tree lives) and hands them over. Writes are done one at a time in the order asked; a save
// asked while an earlier one to the same path still waits replaces it, so quick edits
// coalesce and the last state is always the one that reaches the disk.
class SiteListSaver {
public:
    SiteListSaver();
    // Waits for the pending writes.
    ~SiteListSaver();
    SiteListSaver(const SiteListSaver&) = delete;
    SiteListSaver& operator=(const SiteListSaver&) = delete;

    // Queues bytes as the new content of path.
    void save(const QString& path, QByteArray bytes);
    // Returns when every write asked for so far has been done (or has failed).
    void flush();

private:
    void run();

    std::mutex mutex;
    std::condition_variable idle;
    // Waiting writes in the order asked, one per path.
    std::vector<std::pair<QString, QByteArray>> pending;
    bool writing = false;
    // One worker of its own: writes stay in order, and the destructor can wait for them.
    // Declared last, so it ends first.
    WorkerPool worker{1};
};
