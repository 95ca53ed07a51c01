#include "core/sitelistsaver.h"

#include <algorithm>

#include "platform/files/atomicfile.h"

SiteListSaver::SiteListSaver() = default;

SiteListSaver::~SiteListSaver() {
    flush();
}

void SiteListSaver::save(const QString& path, QByteArray bytes) {
    std::lock_guard lock(mutex);
    const auto waiting = std::find_if(pending.begin(), pending.end(), [&path](const Write& write) {
        return !write.outcome && write.path == path;
    });
    if (waiting != pending.end()) {
        waiting->bytes = std::move(bytes);
    } else {
        pending.push_back({path, std::move(bytes), nullptr});
    }
    if (!writing) {
        writing = true;
        worker.start([this] { run(); });
    }
}

QFuture<bool> SiteListSaver::saveCopy(const QString& path, QByteArray bytes) {
    auto outcome = std::make_shared<QPromise<bool>>();
    QFuture<bool> future = outcome->future();
    outcome->start();
    std::lock_guard lock(mutex);
    pending.push_back({path, std::move(bytes), std::move(outcome)});
    if (!writing) {
        writing = true;
        worker.start([this] { run(); });
    }
    return future;
}

void SiteListSaver::flush() {
    std::unique_lock lock(mutex);
    idle.wait(lock, [this] { return !writing; });
}

std::optional<SiteListSaver::Failure> SiteListSaver::failure() const {
    std::lock_guard lock(mutex);
    return lastFailure;
}

void SiteListSaver::run() {
    for (;;) {
        Write write;
        {
            std::lock_guard lock(mutex);
            if (pending.empty()) {
                writing = false;
                idle.notify_all();
                return;
            }
            write = std::move(pending.front());
            pending.erase(pending.begin());
        }
        // A copy's outcome goes to whoever asked for it; the working list's is kept here.
        QString reason;
        const bool written = writeFileAtomically(
            write.path, write.bytes, write.outcome ? FileAccess::Default : FileAccess::OwnerOnly,
            &reason);
        if (write.outcome) {
            write.outcome->addResult(written);
            write.outcome->finish();
            continue;
        }
        bool announce = false;
        {
            std::lock_guard lock(mutex);
            announce = !written && !lastFailure;
            if (written) {
                lastFailure.reset();
            } else {
                lastFailure = Failure{write.path, reason};
            }
        }
        if (announce) {
            QMetaObject::invokeMethod(
                this, [this, path = write.path, reason] { Q_EMIT saveFailed(path, reason); },
                Qt::QueuedConnection);
        }
    }
}
