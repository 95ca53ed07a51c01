#include "tests/common/fakefeedservice.h"

#include <QTimer>
#include <algorithm>

#include "patrol/admission.h"
#include "formats/feeddiscovery.h"
#include "formats/feedreader.h"
#include "platform/files/localfile.h"

quint64 FakeFeedService::fetch(const FeedFetchRequest& request, const QObject* owner, Done done) {
    Held entry;
    entry.id = ++lastId;
    entry.request = request;
    entry.hasOwner = owner != nullptr;
    entry.owner = const_cast<QObject*>(owner);
    entry.done = std::move(done);
    held.append(entry);
    requested.append(request.url);
    maxHeld = std::max(maxHeld, int(held.size()));
    return entry.id;
}

void FakeFeedService::cancel(quint64 id) {
    cancelled.append(id);
    if (ignoreCancel) {
        return;
    }
    held.removeIf([id](const Held& entry) { return entry.id == id; });
}

void FakeFeedService::cancelAll(const QObject* owner) {
    QList<quint64> ids;
    for (const Held& entry : std::as_const(held)) {
        if (entry.hasOwner && entry.owner.data() == owner) {
            ids.append(entry.id);
        }
    }
    for (const quint64 id : ids) {
        cancel(id);
    }
}

void FakeFeedService::cancelAll() {
    for (Held& entry : held) {
        if (entry.answeringCancelled) {
            continue;
        }
        entry.answeringCancelled = true;
        QTimer::singleShot(0, &answers, [this, id = entry.id] { complete(id, {}); });
    }
}

bool FakeFeedService::shutdown(int) {
    held.clear();
    return true;
}

void FakeFeedService::complete(quint64 id, FeedFetchResult result) {
    const auto it =
        std::find_if(held.begin(), held.end(), [id](const Held& entry) { return entry.id == id; });
    if (it == held.end()) {
        return;
    }
    const Held entry = *it;
    held.erase(it);
    if (entry.answeringCancelled) {
        result = FeedFetchResult();
        result.cancelled = true;
    }
    if (entry.hasOwner && entry.owner.isNull()) {
        return;
    }
    result.url = entry.request.url;
    if (entry.done) {
        entry.done(result);
    }
}

FeedFetchResult FakeFeedService::resultFromFile(const QString& url, bool discover) const {
    FeedFetchResult result;
    result.url = url;
    const ResourceLocation where = locateResource(url);
    QByteArray data;
    if (where.kind == ResourceLocation::Kind::LocalFile &&
        readLocalFile(where.path, 16 * 1024 * 1024, data, result.error) == LocalFileRead::Ok) {
        result.fetched = true;
        result.feed = readFeed(data, {}, QUrl::fromLocalFile(where.path));
        if (discover && result.feed.kind != FeedReadResult::Kind::Feed) {
            result.discovered = discoverFeedLinks(data, {}, QUrl::fromLocalFile(where.path));
        }
    }
    return result;
}

void FakeFeedService::completeFromFile(quint64 id) {
    for (const Held& entry : std::as_const(held)) {
        if (entry.id == id) {
            FeedFetchResult result = resultFromFile(entry.request.url, entry.request.discover);
            // As the real service does where it reads the feed.
            if (entry.request.rules) {
                judgeFeedItems(result.feed, *entry.request.rules, entry.request.url);
            }
            complete(id, std::move(result));
            return;
        }
    }
}

void FakeFeedService::drain(bool newestFirst) {
    drain([newestFirst](const QList<Held>& waiting) {
        return newestFirst ? int(waiting.size()) - 1 : 0;
    });
}

void FakeFeedService::drain(const std::function<int(const QList<Held>&)>& pick) {
    while (!held.isEmpty()) {
        completeFromFile(held.at(pick(held)).id);
    }
}
