#include "sitelist/sitelistloader.h"

#include <memory>

SiteListLoader::SiteListLoader(QObject* parent) : QObject(parent) {
    worker.setMaxThreadCount(1);
}

SiteListLoader::~SiteListLoader() {
    worker.waitForDone();
}

void SiteListLoader::read(const QString& path, qint64 maxBytes, Done done) {
    const quint64 request = ++generation;
    whenDone = std::move(done);
    worker.start([this, request, path, maxBytes] {
        auto list = std::make_shared<OpmlList>(readOpmlFile(path, maxBytes));
        QMetaObject::invokeMethod(
            this,
            [this, request, path, list] {
                if (request != generation || !whenDone) {
                    return;  // superseded
                }
                const Done finish = std::exchange(whenDone, Done());
                finish(path, std::move(*list));
            },
            Qt::QueuedConnection);
    });
}
