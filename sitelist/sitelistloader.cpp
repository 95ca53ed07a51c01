#include "sitelist/sitelistloader.h"

#include <QCoreApplication>
#include <QEvent>
#include <utility>

namespace {

QEvent::Type readFinishedEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

}  // namespace

SiteListLoader::SiteListLoader(QObject* parent) : QObject(parent) {}

SiteListLoader::~SiteListLoader() = default;

void SiteListLoader::read(const QString& path, qint64 maxBytes, Done done) {
    const quint64 request = ++generation;
    whenDone = std::move(done);
    worker.start([this, request, path, maxBytes] {
        OpmlList list = readOpmlFile(path, maxBytes);
        {
            const std::lock_guard<std::mutex> lock(mutex);
            finished = Read{request, path, std::move(list)};
        }
        QCoreApplication::postEvent(this, new QEvent(readFinishedEvent()));
    });
}

void SiteListLoader::customEvent(QEvent* event) {
    if (event->type() != readFinishedEvent()) {
        return;
    }
    std::optional<Read> read;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        read.swap(finished);
    }
    if (!read || read->request != generation || !whenDone) {
        return;  // superseded, or announced twice
    }
    const Done finish = std::exchange(whenDone, Done());
    finish(read->path, std::move(read->list));
}
