#include "core/sitelistsaver.h"

#include <algorithm>

#include "platform/atomicfile.h"

SiteListSaver::SiteListSaver() = default;

SiteListSaver::~SiteListSaver() {
    flush();
}

void SiteListSaver::save(const QString& path, QByteArray bytes) {
    std::lock_guard lock(mutex);
    const auto waiting = std::find_if(pending.begin(), pending.end(),
                                      [&path](const auto& write) { return write.first == path; });
    if (waiting != pending.end()) {
        waiting->second = std::move(bytes);
    } else {
        pending.emplace_back(path, std::move(bytes));
    }
    if (!writing) {
        writing = true;
        worker.start([this] { run(); });
    }
}

void SiteListSaver::flush() {
    std::unique_lock lock(mutex);
    idle.wait(lock, [this] { return !writing; });
}

void SiteListSaver::run() {
    for (;;) {
        std::pair<QString, QByteArray> write;
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
        // A failed write is not reported: the next save or the exit writes the list again.
        (void)writeFileAtomically(write.first, write.second);
    }
}
