#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <map>

#include "core/feedservice.h"

// Per feed URL, the ETag and Last-Modified of its last full download with what that download
// read, so that a conditional request can be sent and a 304 stand for the download. Held in
// memory within a budget: when it is passed, the entries used longest ago go first (a 304
// that an entry answers counts as a use), and a feed without an entry is simply downloaded
// in full. A URL whose server refused the validators is asked plainly from then on and
// never gets an entry again.
class ValidatorCache {
public:
    struct Entry {
        QByteArray etag;
        QByteArray lastModified;
        FeedReadResult lastRead;
    };

    explicit ValidatorCache(qint64 budgetBytes) : budget(budgetBytes) {}

    // url's entry, to ask it conditionally with; null when it has none.
    [[nodiscard]] const Entry* find(const QString& url) const;
    // The same for a 304 about to stand for the download: the entry counts as used now.
    [[nodiscard]] const Entry* use(const QString& url);
    // A full download of url gave these validators and read: kept (the oldest entries
    // making room) unless it has no validator, is plain only, or alone exceeds the budget;
    // then url's entry is dropped.
    void store(const QString& url, const QByteArray& etag, const QByteArray& lastModified,
               const FeedReadResult& read);
    void forget(const QString& url);
    // url is asked without validators from now on; its entry is dropped.
    void askPlainly(const QString& url);
    [[nodiscard]] bool isPlainOnly(const QString& url) const { return plainOnly.contains(url); }

    [[nodiscard]] qint64 bytes() const { return used; }
    [[nodiscard]] int size() const { return int(entries.size()); }
    // What an entry of read is counted as.
    [[nodiscard]] static qint64 sizeOf(const FeedReadResult& read);

private:
    struct Slot {
        Entry entry;
        qint64 bytes = 0;
        quint64 stamp = 0;
    };
    void touch(const QString& url, Slot& slot);

    qint64 budget;
    qint64 used = 0;
    quint64 lastStamp = 0;
    QHash<QString, Slot> entries;
    // Stamp of last use → URL: the first is the entry used longest ago.
    std::map<quint64, QString> order;
    QSet<QString> plainOnly;
};
