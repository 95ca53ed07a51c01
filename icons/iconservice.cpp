#include "icons/iconservice.h"

#include <QMetaObject>
#include <QUrl>
#include <mutex>
#include <optional>

#include "icons/icondiscovery.h"
#include "formats/feedreader.h"
#include "platform/system/clock.h"
#include "platform/net/httpclient.h"

namespace {

// One worker: icons are small, and decoding them never competes with the feeds' readers.
constexpr int kWorkerThreads = 1;

// A host settled in this run is looked at again after this long: the program may run for
// weeks.
constexpr qint64 kSettledSeconds = 60 * 60;

// A copy that shares nothing with text, for a value handed to another thread while this one
// may go on assigning to the original: Qt's reference counts are not visible to the thread
// sanitizer inside Qt's own library.
QString unshared(const QString& text) {
    return QString(text.constData(), text.size());
}

QByteArray unshared(const QByteArray& bytes) {
    return QByteArray(bytes.constData(), bytes.size());
}

bool isHttpUrl(const QUrl& url) {
    return (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool isHttpUrl(const QString& text) {
    return isHttpUrl(QUrl(text));
}

}  // namespace

// Lets the network thread and the worker post back only while the service lives.
struct IconService::Guard {
    std::mutex mutex;
    IconService* service = nullptr;
};

IconService::IconService(HttpClient& client, const QString& cacheFolder, const Clock& wallClock,
                         QObject* parent)
    : QObject(parent),
      http(client),
      cache(cacheFolder),
      clock(wallClock),
      guard(std::make_shared<Guard>()),
      pool(kWorkerThreads) {
    guard->service = this;
    options.maxBytes = kMaxIconFileBytes;
}

IconService::~IconService() {
    shutdown(-1);
}

void IconService::setFetchOptions(const FetchOptions& fetchOptions) {
    options = fetchOptions;
    options.maxBytes = std::min(options.maxBytes, kMaxIconFileBytes);
}

bool IconService::shutdown(int waitMs) {
    {
        const std::lock_guard lock(guard->mutex);
        guard->service = nullptr;
    }
    dropJobs();
    return pool.stop(waitMs);
}

void IconService::dropJobs() {
    for (const Job& job : std::as_const(jobs)) {
        if (job.transfer != 0) {
            http.cancel(job.transfer);
        }
    }
    jobs.clear();
    jobOfKey.clear();
    gate.clear();
}

void IconService::post(std::function<void()> fn) {
    postThrough(guard, std::move(fn));
}

void IconService::postThrough(const std::shared_ptr<Guard>& held, std::function<void()> fn) {
    const std::lock_guard lock(held->mutex);
    if (held->service != nullptr) {
        QMetaObject::invokeMethod(held->service, std::move(fn), Qt::QueuedConnection);
    }
}

void IconService::runOnWorker(std::function<void()> work) {
    pool.start(std::move(work));
}

std::optional<QString> IconService::plainKeyOf(const QString& address) {
    // http://host[:port] then /, ? or # or the end, the host lower-case letters, digits, dots
    // and hyphens, its last label starting with a letter (so never an IPv4 address in any of
    // the forms QUrl reads), no label empty, none starting or ending with a hyphen, no
    // punycode: there QUrl would find the same host and port, and the key is the host
    // itself. Anything else is left to QUrl.
    qsizetype at = 0;
    if (address.startsWith(QLatin1String("http://"))) {
        at = 7;
    } else if (address.startsWith(QLatin1String("https://"))) {
        at = 8;
    } else {
        return std::nullopt;
    }
    const qsizetype hostStart = at;
    qsizetype labelStart = at;
    while (at < address.size()) {
        const char16_t c = address.at(at).unicode();
        if (c == u'.') {
            const qsizetype length = at - labelStart;
            if (length == 0 || length > 63 || address.at(at - 1) == u'-') {
                return std::nullopt;
            }
            labelStart = at + 1;
        } else if (c == u'-') {
            if (at == labelStart) {
                return std::nullopt;
            }
        } else if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) {
            break;
        }
        ++at;
    }
    const qsizetype hostEnd = at;
    const qsizetype lastLength = hostEnd - labelStart;
    if (lastLength == 0 || lastLength > 63 || hostEnd - hostStart > 253 ||
        address.at(hostEnd - 1) == u'-' || address.at(labelStart) < u'a' ||
        address.at(labelStart) > u'z') {
        return std::nullopt;
    }
    const QStringView host = QStringView(address).mid(hostStart, hostEnd - hostStart);
    if (host.startsWith(u"xn--") || host.contains(u".xn--")) {
        return std::nullopt;
    }
    QString key = host.toString();
    if (at < address.size() && address.at(at) == u':') {
        const qsizetype portStart = ++at;
        while (at < address.size() && address.at(at) >= u'0' && address.at(at) <= u'9') {
            ++at;
        }
        bool ok = false;
        const int port = QStringView(address).mid(portStart, at - portStart).toInt(&ok);
        if (!ok || at - portStart > 5 || port > 65535) {
            return std::nullopt;
        }
        key += u'_' + QString::number(port);
    }
    if (at < address.size() && address.at(at) != u'/' && address.at(at) != u'?' &&
        address.at(at) != u'#') {
        return std::nullopt;
    }
    return key;
}

QString IconService::keyOf(const IconSite& site) {
    // Each address parsed once: a large tree asks for the key of every row it shows, and
    // most addresses are plain enough not to need QUrl.
    for (const QString* address : {&site.homePage, &site.feedUrl}) {
        if (address->isEmpty()) {
            continue;
        }
        if (const std::optional<QString> plain = plainKeyOf(*address)) {
            return *plain;
        }
        const QUrl url(*address);
        if (isHttpUrl(url)) {
            return IconCache::keyOf(url);
        }
    }
    return {};
}

QString IconService::keyFor(const IconSite& site) {
    const QString addresses = site.homePage + QLatin1Char('\n') + site.feedUrl;
    const auto known = keys.constFind(addresses);
    if (known != keys.constEnd()) {
        return *known;
    }
    if (keys.size() >= kRememberedKeys) {
        keys.clear();
    }
    const QString key = keyOf(site);
    keys.insert(addresses, key);
    return key;
}

void IconService::setEnabled(bool on) {
    if (enabled == on) {
        return;
    }
    enabled = on;
    if (!enabled) {
        dropJobs();
        memory.clear();
        settledKeys.clear();
    }
}

IconImages IconService::icon(const IconSite& site) {
    if (!enabled) {
        return {};
    }
    const QString key = keyFor(site);
    if (key.isEmpty()) {
        return {};
    }
    const auto inMemory = memory.find(key);
    if (inMemory != memory.end()) {
        inMemory->second = ++lastUse;
    }
    if (jobOfKey.contains(key)) {
        return inMemory != memory.end() ? inMemory->first : IconImages();
    }
    const auto settledAt = settledKeys.constFind(key);
    bool recent = false;
    if (settledAt != settledKeys.constEnd()) {
        const qint64 since = settledAt->at.secsTo(clock.now());
        recent = since >= 0 && since < kSettledSeconds;
    }
    if (inMemory != memory.end()) {
        if (!recent) {
            // Still shown meanwhile; the cache says whether it is due again.
            startJob(key, site, false);
        }
        return inMemory->first;
    }
    if (recent) {
        // Known to the cache: read it again, for it left memory.
        if (settledAt->onDisk) {
            startJob(key, site, true);
        }
        return {};
    }
    startJob(key, site, false);
    return {};
}

IconImages IconService::knownIcon(const IconSite& site) const {
    return iconInMemory(keyOf(site));
}

IconImages IconService::iconInMemory(const QString& key) const {
    if (!enabled) {
        return {};
    }
    const auto inMemory = memory.constFind(key);
    return inMemory != memory.constEnd() ? inMemory->first : IconImages();
}

IconService::Job* IconService::jobOf(quint64 id) {
    const auto it = jobs.find(id);
    return it == jobs.end() ? nullptr : &it.value();
}

void IconService::startJob(const QString& key, const IconSite& site, bool loadOnly) {
    Job job;
    job.id = ++lastId;
    job.key = key;
    job.site = site;
    jobs.insert(job.id, job);
    jobOfKey.insert(key, job.id);
    runOnWorker([this, id = job.id, key, loadOnly, folder = cache.folder()] {
        const IconCache disk(folder);
        IconRecord record = disk.record(key);
        IconImages icon = disk.images(key);
        const bool onDisk = !icon.isNull();
        post([this, id, record = std::move(record), icon = std::move(icon), onDisk, loadOnly] {
            loaded(id, record, icon, onDisk, loadOnly);
        });
    });
}

void IconService::loaded(quint64 id, const IconRecord& record, const IconImages& icon, bool onDisk,
                         bool loadOnly) {
    Job* job = jobOf(id);
    if (job == nullptr) {
        return;
    }
    job->record = record;
    job->onDisk = onDisk;
    if (onDisk) {
        // The same icon read again (its time in memory was up) changes nothing drawn.
        const auto inMemory = memory.constFind(job->key);
        const bool same = inMemory != memory.constEnd() && inMemory->first.images == icon.images;
        remember(job->key, icon);
        if (!same) {
            Q_EMIT iconChanged(job->key);
        }
    }
    if (loadOnly) {
        finish(*job);
        return;
    }
    switch (iconFreshness(record, onDisk, clock.now())) {
        case IconFreshness::Fresh:
        case IconFreshness::FailedRecently:
            finish(*job);
            return;
        case IconFreshness::Stale:
            if (isHttpUrl(record.iconUrl)) {
                job->stage = Stage::Refresh;
                fetch(*job, record.iconUrl);
                return;
            }
            break;
        case IconFreshness::Unknown:
            break;
    }
    if (isHttpUrl(job->site.homePage)) {
        job->stage = Stage::Page;
        fetch(*job, job->site.homePage);
        return;
    }
    job->stage = Stage::Icons;
    job->candidates = QStringList{faviconUrlOf(QUrl(job->site.feedUrl))};
    nextCandidate(*job);
}

void IconService::fetch(Job& job, const QString& url) {
    job.url = url;
    job.gateHost = IconCache::keyOf(QUrl(url));
    gate.enqueue(job.gateHost, job.id);
    pump();
}

void IconService::pump() {
    for (const quint64 id : gate.takeReady()) {
        Job* job = jobOf(id);
        if (job == nullptr) {
            continue;
        }
        HttpRequest request;
        request.url = unshared(job->url);
        request.options = options;
        if (job->stage == Stage::Refresh) {
            request.etag = unshared(job->record.etag);
            request.lastModified = unshared(job->record.lastModified);
        }
        // The network thread may finish a transfer while the service is going: it holds the
        // guard, never the service.
        job->transfer =
            http.start(request, true, [held = guard, this, id](quint64, HttpFetchResult result) {
                postThrough(held, [this, id, result = std::move(result)] { fetched(id, result); });
            });
    }
}

void IconService::fetched(quint64 id, const HttpFetchResult& result) {
    Job* job = jobOf(id);
    if (job == nullptr) {
        return;
    }
    gate.finish(job->gateHost);
    job->transfer = 0;
    pump();

    const QDateTime now = clock.now();
    const QString key = job->key;
    const QString folder = cache.folder();
    switch (job->stage) {
        case Stage::Loading:
            return;
        case Stage::Refresh:
            if (result.notModified()) {
                job->record.checked = now;
                job->record.failed = QDateTime();
                finishAfterWriting(*job);
                return;
            }
            if (!result.ok) {
                job->stage = Stage::Page;
                if (isHttpUrl(job->site.homePage)) {
                    fetch(*job, job->site.homePage);
                } else {
                    job->stage = Stage::Icons;
                    job->candidates = QStringList{faviconUrlOf(QUrl(job->site.feedUrl))};
                    nextCandidate(*job);
                }
                return;
            }
            break;
        case Stage::Page: {
            const QUrl pageUrl(result.ok ? result.effectiveUrl : job->site.homePage);
            runOnWorker([this, id, result, pageUrl] {
                Outcome outcome;
                outcome.candidates =
                    result.ok ? discoverIconLinks(result.body, result.contentType, pageUrl)
                              : QStringList{faviconUrlOf(pageUrl)};
                post([this, id, outcome = std::move(outcome)] { processed(id, outcome); });
            });
            return;
        }
        case Stage::Feed:
            if (!result.ok) {
                fail(*job);
                return;
            }
            runOnWorker([this, id, result] {
                Outcome outcome;
                const QUrl feedUrl(result.effectiveUrl);
                const FeedReadResult read = readFeed(result.body, result.contentType, feedUrl);
                outcome.feedImage = absoluteHttpUrl(read.channel.image, feedUrl);
                post([this, id, outcome = std::move(outcome)] { processed(id, outcome); });
            });
            return;
        case Stage::Icons:
        case Stage::FeedImage:
            if (!result.ok) {
                nextCandidate(*job);
                return;
            }
            break;
    }
    // A picture: decoded and, when it is one, kept, on the worker.
    IconRecord record;
    record.iconUrl = unshared(job->url);
    record.etag = result.etag;
    record.lastModified = result.lastModified;
    record.checked = now;
    runOnWorker([this, id, body = result.body, record, key, folder] {
        Outcome outcome;
        outcome.icon = decodeIcon(body);
        if (!outcome.icon.isNull()) {
            outcome.stored = IconCache(folder).store(key, outcome.icon, record);
        }
        post([this, id, outcome = std::move(outcome)] { processed(id, outcome); });
    });
}

void IconService::processed(quint64 id, const Outcome& outcome) {
    Job* job = jobOf(id);
    if (job == nullptr) {
        return;
    }
    switch (job->stage) {
        case Stage::Page:
            job->stage = Stage::Icons;
            job->candidates = outcome.candidates;
            nextCandidate(*job);
            return;
        case Stage::Feed:
            if (outcome.feedImage.isEmpty()) {
                fail(*job);
                return;
            }
            job->stage = Stage::FeedImage;
            fetch(*job, outcome.feedImage);
            return;
        case Stage::Refresh:
        case Stage::Icons:
        case Stage::FeedImage:
            if (outcome.icon.isNull()) {
                if (job->stage == Stage::Refresh) {
                    // The icon kept changed into something that is none: look for another.
                    job->stage = Stage::Page;
                    if (isHttpUrl(job->site.homePage)) {
                        fetch(*job, job->site.homePage);
                        return;
                    }
                    job->stage = Stage::Icons;
                    job->candidates = QStringList{faviconUrlOf(QUrl(job->site.feedUrl))};
                }
                nextCandidate(*job);
                return;
            }
            job->onDisk = outcome.stored;
            remember(job->key, outcome.icon);
            Q_EMIT iconChanged(job->key);
            finish(*job);
            return;
        case Stage::Loading:
            return;
    }
}

void IconService::nextCandidate(Job& job) {
    if (job.stage == Stage::FeedImage) {
        fail(job);
        return;
    }
    while (!job.candidates.isEmpty()) {
        const QString url = job.candidates.takeFirst();
        if (isHttpUrl(url)) {
            fetch(job, url);
            return;
        }
    }
    if (isHttpUrl(job.site.feedUrl)) {
        job.stage = Stage::Feed;
        fetch(job, job.site.feedUrl);
        return;
    }
    fail(job);
}

void IconService::fail(Job& job) {
    // An icon kept from before stays, with its validators, until a try succeeds.
    job.record.failed = clock.now();
    finishAfterWriting(job);
}

void IconService::finishAfterWriting(Job& job) {
    // Settled only once the record is on disk, so that a next start knows what this one did.
    runOnWorker([this, id = job.id, record = job.record, key = job.key, folder = cache.folder()] {
        IconCache(folder).storeRecord(key, record);
        post([this, id] {
            if (Job* written = jobOf(id)) {
                finish(*written);
            }
        });
    });
}

void IconService::finish(Job& job) {
    const QString key = job.key;
    settledKeys.insert(key, Settled{job.onDisk, clock.now()});
    jobOfKey.remove(key);
    jobs.remove(job.id);
    Q_EMIT settled(key);
}

void IconService::remember(const QString& key, const IconImages& icon) {
    memory.insert(key, {icon, ++lastUse});
    if (memory.size() <= kMemoryIcons) {
        return;
    }
    auto oldest = memory.begin();
    for (auto it = memory.begin(); it != memory.end(); ++it) {
        if (it->second < oldest->second) {
            oldest = it;
        }
    }
    memory.erase(oldest);
}
