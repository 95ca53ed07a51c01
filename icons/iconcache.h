#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include "icons/icondecoder.h"

// The per-user cache folder's "icons"; empty when there is none (no home).
[[nodiscard]] QString iconCacheFolder();

// What is known of one host's icon besides its pictures.
struct IconRecord {
    // Where the icon came from, with its validators for a conditional request.
    QString iconUrl;
    QByteArray etag;
    QByteArray lastModified;
    // When the icon was last fetched or confirmed unchanged; invalid when never.
    QDateTime checked;
    // When the last try to find an icon failed; invalid when it did not.
    QDateTime failed;

    bool operator==(const IconRecord&) const = default;
};

// What a host's icon needs now.
enum class IconFreshness {
    // Fetched or confirmed within the week: nothing to do.
    Fresh,
    // A try failed within the day: nothing is fetched until the day is over.
    FailedRecently,
    // An icon older than a week: asked again, conditionally.
    Stale,
    // Never fetched, or a failure of more than a day ago: looked for anew.
    Unknown,
};

inline constexpr qint64 kIconRefreshSeconds = 7 * 24 * 60 * 60;
inline constexpr qint64 kIconFailureSeconds = 24 * 60 * 60;

// hasImages: the cache holds pictures for the host. A time in the future (the clock was put
// back) counts as long ago.
[[nodiscard]] IconFreshness iconFreshness(const IconRecord& record, bool hasImages,
                                          const QDateTime& now);

// Sites' icons on disk, in a folder of the user's alone: per host a PNG per size
// ("<host>-16.png", "-32.png", "-64.png") and a small text record ("<host>.txt"), each written
// atomically, 0600. Nothing else depends on the folder: deleting it loses the icons alone.
// Different hosts may be read and written from different threads at once; one host only from
// one thread at a time.
class IconCache {
public:
    explicit IconCache(QString folder);

    // The name a URL's host is kept under: the host in ASCII, lower case, with ":port" as
    // "_port" when the URL names one; empty for a URL without a host.
    [[nodiscard]] static QString keyOf(const QUrl& url);

    [[nodiscard]] const QString& folder() const { return dir; }
    [[nodiscard]] IconRecord record(const QString& key) const;
    // The host's pictures; null when any size is missing or unreadable.
    [[nodiscard]] IconImages images(const QString& key) const;
    [[nodiscard]] bool hasImages(const QString& key) const;
    // Writes the pictures, then the record; false when something could not be written.
    bool store(const QString& key, const IconImages& icon, const IconRecord& record) const;
    // Writes the record alone (a failure, or an icon the server says is unchanged).
    bool storeRecord(const QString& key, const IconRecord& record) const;

private:
    [[nodiscard]] QString pathOf(const QString& key, const QString& suffix) const;
    [[nodiscard]] bool ensureFolder() const;

    QString dir;
};
