#include "patrol/networkfeedservice.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "formats/feeddiscovery.h"
#include "formats/feedreader.h"
#include "patrol/admission.h"
#include "patrol/patrollog.h"
#include "platform/system/clock.h"
#include "platform/files/localfile.h"
#include "rules/ruleset.h"

namespace {

QEvent::Type completionsEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

// Two workers read feeds: enough to keep up with four transfers, few enough that a large
// feed never takes the machine from the UI.
constexpr int kReadThreads = 2;

// The most of a validator that a log line shows.
constexpr qsizetype kLoggedValidatorBytes = 80;

}  // namespace

QByteArray validatorForLog(const QByteArray& value) {
    QByteArray shown = value.left(kLoggedValidatorBytes);
    for (char& c : shown) {
        if (c < 0x20 || c > 0x7e) {
            c = '?';
        }
    }
    if (value.size() > kLoggedValidatorBytes) {
        shown += "...(" + QByteArray::number(value.size()) + " bytes)";
    }
    return shown;
}

NetworkFeedService::NetworkFeedService(const FetchOptions& fetchOptions, const Clock& wallClock,
                                       QObject* parent)
    : QObject(parent), options(fetchOptions), clock(wallClock), pool(kReadThreads) {}

NetworkFeedService::~NetworkFeedService() {
    shutdown(-1);
}

quint64 NetworkFeedService::fetch(const FeedFetchRequest& request, const QObject* owner,
                                  Done done) {
    const quint64 id = ++lastId;
    Pending entry;
    entry.request = request;
    entry.hasOwner = owner != nullptr;
    entry.owner = const_cast<QObject*>(owner);
    entry.done = std::move(done);
    entry.cancelled = std::make_shared<std::atomic<bool>>(false);
    const auto cancelled = entry.cancelled;
    const ReadAs as{request.discover, request.rules, request.url};

    const ResourceLocation where = locateResource(request.url);
    if (where.kind == ResourceLocation::Kind::LocalFile) {
        pending.insert(id, std::move(entry));
        pool.start([this, id, path = where.path, as, cancelled] {
            readFileOnWorker(id, path, as, cancelled);
        });
        return id;
    }
    if (where.kind == ResourceLocation::Kind::Unsupported) {
        pending.insert(id, std::move(entry));
        Completion failed;
        failed.id = id;
        failed.fetched.error = where.error;
        post(std::move(failed));
        return id;
    }

    // A pause the server asked for holds the patrol back; a check the user asked for just
    // now goes out, and its answer says whether the server is still busy.
    const QDateTime pausedUntil =
        request.lane == FetchLane::Patrol ? pauses.until(request.url, clock.now()) : QDateTime();
    if (pausedUntil.isValid()) {
        qCInfo(lcPatrol).noquote() << "not fetched until" << pausedUntil.toString(Qt::ISODate)
                                   << "as the server asked (Retry-After):" << request.url;
        pending.insert(id, std::move(entry));
        FeedFetchResult result;
        result.url = request.url;
        result.deferred = true;
        result.error = QStringLiteral("the server asked not to be fetched before %1")
                           .arg(pausedUntil.toString(Qt::ISODate));
        // Later, as every result: never inside the call that asked.
        QTimer::singleShot(0, this, [this, id, result] { deliver(id, result); });
        return id;
    }
    startTransfer(id, pending.insert(id, std::move(entry)).value(), false);
    return id;
}

void NetworkFeedService::startTransfer(quint64 id, Pending& entry, bool plain) {
    HttpRequest get;
    get.url = entry.request.url;
    get.options = options;
    const ValidatorCache::Entry* known = plain ? nullptr : validators.find(entry.request.url);
    entry.conditional = known != nullptr;
    if (known != nullptr) {
        get.etag = known->etag;
        get.lastModified = known->lastModified;
        qCInfo(lcPatrol).noquote()
            << "conditional request (ETag" << validatorForLog(known->etag) << "Last-Modified"
            << validatorForLog(known->lastModified) << "):" << entry.request.url;
    }
    // The network thread only moves the result on: to a worker when there is a body to
    // read, else straight back here.
    const ReadAs as{entry.request.discover, entry.request.rules, entry.request.url};
    auto done = [this, id, as, cancelled = entry.cancelled](quint64, HttpFetchResult result) {
        if (cancelled->load()) {
            return;
        }
        if (result.ok) {
            const QString documentUrl = result.effectiveUrl;
            pool.start(
                [this, id, result = std::move(result), documentUrl, as, cancelled]() mutable {
                    readOnWorker(id, std::move(result), documentUrl, as, cancelled);
                });
            return;
        }
        Completion failed;
        failed.id = id;
        failed.fetched = std::move(result);
        post(std::move(failed));
    };
    entry.transfer = http.start(get, entry.request.lane == FetchLane::Patrol, std::move(done));
}

NetworkFeedService::Reading NetworkFeedService::read(const QByteArray& body,
                                                     const QString& contentType,
                                                     const QUrl& documentUrl, const ReadAs& as) {
    Reading reading;
    reading.feed = readFeed(body, contentType, documentUrl);
    if (as.discover && reading.feed.kind != FeedReadResult::Kind::Feed) {
        reading.discovered = discoverFeedLinks(body, contentType, documentUrl);
    }
    if (as.rules) {
        // Here, off the UI thread, so that the patrol only takes the verdicts.
        judgeFeedItems(reading.feed, *as.rules, as.feedUrl);
    }
    return reading;
}

void NetworkFeedService::readOnWorker(quint64 id, HttpFetchResult fetched,
                                      const QString& documentUrl, const ReadAs& as,
                                      const std::shared_ptr<std::atomic<bool>>& cancelled) {
    if (cancelled->load()) {
        return;
    }
    Completion done;
    done.id = id;
    done.reading = read(fetched.body, fetched.contentType, QUrl(documentUrl), as);
    // The body is not needed any more; only what was read travels back.
    fetched.body = QByteArray();
    done.fetched = std::move(fetched);
    post(std::move(done));
}

void NetworkFeedService::readFileOnWorker(quint64 id, const QString& path, const ReadAs& as,
                                          const std::shared_ptr<std::atomic<bool>>& cancelled) {
    if (cancelled->load()) {
        return;
    }
    Completion done;
    done.id = id;
    QByteArray data;
    if (readLocalFile(path, options.maxBytes, data, done.fetched.error) == LocalFileRead::Ok) {
        done.fetched.ok = true;
        done.reading = read(data, {}, QUrl::fromLocalFile(path), as);
    }
    post(std::move(done));
}

void NetworkFeedService::post(Completion completion) {
    bool wake = false;
    {
        const std::lock_guard<std::mutex> lock(completionsMutex);
        completions.push_back(std::move(completion));
        wake = !wakePosted;
        wakePosted = true;
    }
    if (wake) {
        QCoreApplication::postEvent(this, new QEvent(completionsEvent()));
    }
}

void NetworkFeedService::customEvent(QEvent* event) {
    if (event->type() == completionsEvent()) {
        takeCompletions();
    }
}

void NetworkFeedService::takeCompletions() {
    std::deque<Completion> batch;
    {
        const std::lock_guard<std::mutex> lock(completionsMutex);
        batch.swap(completions);
        wakePosted = false;
    }
    for (const Completion& done : batch) {
        complete(done.id, done.fetched, done.reading);
    }
}

void NetworkFeedService::complete(quint64 id, const HttpFetchResult& fetched,
                                  const Reading& reading) {
    const auto it = pending.constFind(id);
    if (it != pending.constEnd() && it->answeringCancelled) {
        return;  // answered as cancelled instead
    }
    if (retriedWithoutValidators(id, fetched)) {
        return;
    }
    const QString url = it != pending.constEnd() ? it->request.url : QString();
    const bool refusedValidators = it != pending.constEnd() && it->retriedPlain;
    FeedFetchResult result;
    result.url = url;
    result.httpStatus = fetched.httpStatus;
    result.error = fetched.error;
    if (fetched.ok) {
        result.fetched = true;
        result.feed = reading.feed;
        result.discovered = reading.discovered;
    }
    if (!url.isEmpty() && locateResource(url).kind == ResourceLocation::Kind::Http) {
        if (fetched.notModified()) {
            const ValidatorCache::Entry* known = validators.use(url);
            if (known != nullptr) {
                qCInfo(lcPatrol).noquote() << "304 not modified: the last download's"
                                           << known->lastRead.items.size() << "items stand:" << url;
                result.fetched = true;
                result.notModified = true;
                result.feed = known->lastRead;
                result.error.clear();
            }
        }
        remember(url, fetched, reading.feed, refusedValidators);
    }
    deliver(id, result);
}

bool NetworkFeedService::retriedWithoutValidators(quint64 id, const HttpFetchResult& fetched) {
    const auto it = pending.find(id);
    // 429 asks for a pause, which a second request would not give.
    const bool refused =
        fetched.httpStatus >= 400 && fetched.httpStatus < 500 && fetched.httpStatus != 429;
    if (it == pending.end() || !it->conditional || it->retriedPlain || !refused) {
        return false;
    }
    // The validators may be what the server cannot take (an ETag over a front end's header
    // limit): without them the feed would never update again.
    qCInfo(lcPatrol).noquote() << "HTTP" << fetched.httpStatus
                               << "to a conditional request; asked again without validators:"
                               << it->request.url;
    validators.forget(it->request.url);
    it->retriedPlain = true;
    startTransfer(id, *it, true);
    return true;
}

void NetworkFeedService::remember(const QString& url, const HttpFetchResult& fetched,
                                  const FeedReadResult& read, bool refusedValidators) {
    const bool busy = fetched.httpStatus == 429 || fetched.httpStatus == 503;
    if (busy && !fetched.retryAfter.isEmpty()) {
        const QDateTime until =
            pauses.record(url, fetched.httpStatus, fetched.retryAfter, clock.now());
        if (until.isValid()) {
            qCInfo(lcPatrol).noquote()
                << "HTTP" << fetched.httpStatus << "with Retry-After"
                << validatorForLog(fetched.retryAfter) << ": no request before"
                << until.toString(Qt::ISODate) << "to" << url;
        }
        return;
    }
    if (!fetched.ok) {
        return;  // a failure changes nothing: a 304 keeps its entry, an error keeps the last copy
    }
    pauses.clear(url);
    if (refusedValidators) {
        // The same request went through plain: the validators were what the server refused.
        validators.askPlainly(url);
        qCInfo(lcPatrol).noquote() << "asked without validators from now on:" << url;
    }
    validators.store(url, fetched.etag, fetched.lastModified, read);
}

void NetworkFeedService::deliver(quint64 id, const FeedFetchResult& result) {
    const auto it = pending.find(id);
    if (it == pending.end()) {
        return;  // cancelled by whoever asked
    }
    if (it->answeringCancelled && !result.cancelled) {
        return;  // its answer is "cancelled"
    }
    const Pending entry = *it;
    pending.erase(it);
    if (entry.hasOwner && entry.owner.isNull()) {
        return;  // whoever asked is gone
    }
    if (entry.done) {
        entry.done(result);
    }
}

void NetworkFeedService::cancel(quint64 id) {
    const auto it = pending.find(id);
    if (it == pending.end()) {
        return;
    }
    it->cancelled->store(true);
    if (it->transfer != 0) {
        http.cancel(it->transfer);
    }
    pending.erase(it);
}

void NetworkFeedService::cancelAll(const QObject* owner) {
    QList<quint64> ids;
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        if (it->hasOwner && it->owner.data() == owner) {
            ids.append(it.key());
        }
    }
    for (const quint64 id : ids) {
        cancel(id);
    }
}

void NetworkFeedService::cancelAll() {
    for (auto it = pending.begin(); it != pending.end(); ++it) {
        if (it->answeringCancelled) {
            continue;
        }
        it->cancelled->store(true);
        it->answeringCancelled = true;
        FeedFetchResult result;
        result.url = it->request.url;
        result.cancelled = true;
        result.error = QStringLiteral("cancelled");
        QTimer::singleShot(0, this, [this, id = it.key(), result] { deliver(id, result); });
    }
    http.cancelAll();
}

bool NetworkFeedService::shutdown(int waitMs) {
    cancelAll();
    // The program ends: nobody is left to take an answer.
    pending.clear();
    // Cancelled transfers end at once, so the network thread ends at once too; only a
    // worker in the middle of reading a large feed can still take time.
    http.stop();
    return pool.stop(waitMs);
}
