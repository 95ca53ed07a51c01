#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <optional>
#include <functional>
#include <memory>

#include "icons/iconcache.h"
#include "icons/icondecoder.h"
#include "icons/hostgate.h"
#include "platform/net/fetchoptions.h"
#include "platform/net/httpfetch.h"
#include "platform/system/workerpool.h"

class Clock;
class HttpClient;

// The addresses a site's icon is looked for from.
struct IconSite {
    // The site's home page; its host names the icon. May be empty.
    QString homePage;
    // The feed, whose own picture is the last resort, and whose host names the icon when
    // there is no home page.
    QString feedUrl;
};

// Sites' icons for the windows: from memory, else from the disk cache, else fetched. Lives
// on the UI thread; the transfers run on the HttpClient's network thread, one per host and
// kMaxFetches in all; reading pages and feeds, decoding and the cache's files on a worker.
// For each host: its cached icon while fresh (a week), else a conditional request for it;
// failing that the icons the home page names, its /favicon.ico, and the feed's own picture,
// in that order. A host where all of them failed is left alone for a day. Results arrive as
// iconChanged(); a window asks icon() again then.
class IconService final : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxFetches = 4;
    // Decoded icons kept in memory, the least recently asked for dropped first; the cache
    // on disk holds them all.
    static constexpr int kMemoryIcons = 128;
    // Sites whose icons' names are remembered (keyFor).
    static constexpr int kRememberedKeys = 4096;

    // http and clock outlive the service. cacheFolder is made on the first write.
    IconService(HttpClient& http, const QString& cacheFolder, const Clock& clock,
                QObject* parent = nullptr);
    ~IconService() override;
    IconService(const IconService&) = delete;
    IconService& operator=(const IconService&) = delete;

    // The name a site's icon is kept under (its home page's host, else its feed's); empty
    // for a site with neither over http(s).
    [[nodiscard]] static QString keyOf(const IconSite& site);
    // The key of an address written the plain way most are (http(s)://host[:port]/…), read
    // without QUrl; nullopt for any other, which QUrl reads. Public for its test.
    [[nodiscard]] static std::optional<QString> plainKeyOf(const QString& address);
    // The same, remembered: a view asks for it for every row it draws.
    [[nodiscard]] QString keyFor(const IconSite& site);

    // The site's icon as known now; null while there is none. Starts loading or fetching it
    // when that is due.
    [[nodiscard]] IconImages icon(const IconSite& site);

    // The site's icon if it is in memory now; never starts anything.
    [[nodiscard]] IconImages knownIcon(const IconSite& site) const;
    // The same by the icon's key: what iconChanged(key) announced is in memory then.
    [[nodiscard]] IconImages iconInMemory(const QString& key) const;

    // Off: every fetch ends, nothing more is fetched, and icon() is null for every site.
    void setEnabled(bool enabled);
    [[nodiscard]] bool isEnabled() const { return enabled; }
    // Fetch limits besides the icon's own size limit; tests shorten the timeouts.
    void setFetchOptions(const FetchOptions& options);

    // Ends every fetch and waits at most waitMs for a worker; false when one still runs.
    bool shutdown(int waitMs);

    // For tests and the benchmark: hosts being worked on, and fetches under way.
    [[nodiscard]] int pendingCount() const { return int(jobs.size()); }
    [[nodiscard]] int activeFetches() const { return gate.activeCount(); }

Q_SIGNALS:
    // The icon kept under key has arrived or changed.
    void iconChanged(const QString& key);
    // Work on key ended, with or without an icon; for tests and the benchmark.
    void settled(const QString& key);

private:
    enum class Stage { Loading, Refresh, Page, Icons, Feed, FeedImage };

    struct Job {
        quint64 id = 0;
        QString key;
        IconSite site;
        Stage stage = Stage::Loading;
        IconRecord record;
        bool onDisk = false;
        // The icons left to try, in order.
        QStringList candidates;
        // The fetch under way or waiting for the gate.
        QString url;
        QString gateHost;
        quint64 transfer = 0;
    };

    // What a worker made of a fetched body.
    struct Outcome {
        IconImages icon;
        bool stored = false;
        QStringList candidates;
        QString feedImage;
    };

    struct Settled {
        bool onDisk = false;
        QDateTime at;
    };

    struct Guard;

    void startJob(const QString& key, const IconSite& site, bool loadOnly);
    void loaded(quint64 id, const IconRecord& record, const IconImages& icon, bool onDisk,
                bool loadOnly);
    void fetch(Job& job, const QString& url);
    void pump();
    void fetched(quint64 id, const HttpFetchResult& result);
    void processed(quint64 id, const Outcome& outcome);
    void nextCandidate(Job& job);
    void fail(Job& job);
    void finishAfterWriting(Job& job);
    void finish(Job& job);
    void remember(const QString& key, const IconImages& icon);
    void runOnWorker(std::function<void()> work);
    // Cancels every transfer under way and forgets every job and the per-host gate.
    void dropJobs();
    // From a worker: runs fn on the service's thread unless the service is gone.
    void post(std::function<void()> fn);
    // The same from a thread that may outlive the service.
    static void postThrough(const std::shared_ptr<Guard>& held, std::function<void()> fn);
    [[nodiscard]] Job* jobOf(quint64 id);

    HttpClient& http;
    IconCache cache;
    const Clock& clock;
    FetchOptions options;
    bool enabled = true;
    std::shared_ptr<Guard> guard;
    WorkerPool pool;
    HostGate gate{kMaxFetches};
    quint64 lastId = 0;
    quint64 lastUse = 0;
    QHash<quint64, Job> jobs;
    QHash<QString, quint64> jobOfKey;
    QHash<QString, Settled> settledKeys;
    QHash<QString, std::pair<IconImages, quint64>> memory;
    // keyOf by the site's addresses, for the sites drawn lately.
    QHash<QString, QString> keys;
};
