#pragma once

#include <QMetaObject>
#include <QObject>
#include <functional>
#include <mutex>

// What worker threads hand results through to an object of another thread: each result is
// queued to target while the mailbox is open. Its owner closes it as it goes, so that nothing
// is posted to an object being destroyed (what was posted before goes with it). Shared by
// the owner and every job under way.
struct ThreadMailbox {
    std::mutex mutex;
    QObject* target = nullptr;
    bool open = true;

    void deliver(std::function<void()> f) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (open) {
            QMetaObject::invokeMethod(target, std::move(f), Qt::QueuedConnection);
        }
    }
    void close() {
        const std::lock_guard<std::mutex> lock(mutex);
        open = false;
    }
};
