#pragma once

#include <QByteArray>
#include <QFuture>
#include <QObject>
#include <QPromise>
#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/system/workerpool.h"

// Writes site lists on a worker, so that saving after an edit never stalls the window. The
// caller builds the bytes from the tree as it is (on the user-interface thread, where the
// tree lives) and hands them over. Writes are done one at a time in the order asked; a save
// asked while an earlier one to the same path still waits replaces it, so quick edits
// coalesce and the last state is always the one that reaches the disk.
//
// A save that fails (a full disk) is not lost from sight: the first failure after a success
// is announced by saveFailed, and failure() holds it until a later save succeeds. Every
// later save tries again.
class SiteListSaver : public QObject {
    Q_OBJECT
public:
    struct Failure {
        QString path;
        QString reason;
    };

    SiteListSaver();
    // Waits for the pending writes.
    ~SiteListSaver() override;
    SiteListSaver(const SiteListSaver&) = delete;
    SiteListSaver& operator=(const SiteListSaver&) = delete;

    // Queues bytes as the new content of path, a file of the program's own (the user's
    // alone).
    void save(const QString& path, QByteArray bytes);
    // Queues a copy the user asked for (never merged with another write) and gives whether
    // it was written, once it has been tried.
    [[nodiscard]] QFuture<bool> saveCopy(const QString& path, QByteArray bytes);
    // Returns when every write asked for so far has been done (or has failed).
    void flush();
    // The failure of the last save() that was tried, if it failed. Safe on any thread.
    [[nodiscard]] std::optional<Failure> failure() const;

Q_SIGNALS:
    // On the saver's thread, once for a run of failed saves.
    void saveFailed(const QString& path, const QString& reason);

private:
    void run();

    mutable std::mutex mutex;
    std::condition_variable idle;
    struct Write {
        QString path;
        QByteArray bytes;
        // Set for a copy: who waits for the outcome.
        std::shared_ptr<QPromise<bool>> outcome;
    };
    // Waiting writes in the order asked; of the plain saves, one per path.
    std::vector<Write> pending;
    bool writing = false;
    std::optional<Failure> lastFailure;
    // One worker of its own: writes stay in order, and the destructor can wait for them.
    // Declared last, so it ends first.
    WorkerPool worker{1};
};
