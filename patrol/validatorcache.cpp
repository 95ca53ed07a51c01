#include "patrol/validatorcache.h"

qint64 ValidatorCache::sizeOf(const FeedReadResult& read) {
    qint64 bytes = 0;
    for (const ArticleRecord& item : read.items) {
        bytes += (item.Title.size() + item.Link.size() + item.Description.size()) * 2 + 64;
    }
    return bytes + (read.channel.title.size() + read.channel.link.size() +
                    read.channel.description.size()) *
                       2;
}

const ValidatorCache::Entry* ValidatorCache::find(const QString& url) const {
    const auto slot = entries.constFind(url);
    return slot == entries.constEnd() ? nullptr : &slot->entry;
}

const ValidatorCache::Entry* ValidatorCache::use(const QString& url) {
    const auto slot = entries.find(url);
    if (slot == entries.end()) {
        return nullptr;
    }
    touch(url, *slot);
    return &slot->entry;
}

void ValidatorCache::touch(const QString& url, Slot& slot) {
    order.erase(slot.stamp);
    slot.stamp = ++lastStamp;
    order.emplace(slot.stamp, url);
}

void ValidatorCache::store(const QString& url, const QByteArray& etag,
                           const QByteArray& lastModified, const FeedReadResult& read) {
    forget(url);
    const qint64 bytes = sizeOf(read);
    // One feed larger than the whole budget would only empty the cache of every other.
    if ((etag.isEmpty() && lastModified.isEmpty()) || isPlainOnly(url) || bytes > budget) {
        return;
    }
    while (used + bytes > budget && !order.empty()) {
        const auto oldest = order.begin();
        const auto slot = entries.find(oldest->second);
        if (slot != entries.end()) {
            used -= slot->bytes;
            entries.erase(slot);
        }
        order.erase(oldest);
    }
    Slot& slot = entries[url];
    slot.entry = Entry{etag, lastModified, read};
    slot.bytes = bytes;
    used += bytes;
    touch(url, slot);
}

void ValidatorCache::forget(const QString& url) {
    const auto slot = entries.find(url);
    if (slot == entries.end()) {
        return;
    }
    order.erase(slot->stamp);
    used -= slot->bytes;
    entries.erase(slot);
}

void ValidatorCache::askPlainly(const QString& url) {
    forget(url);
    plainOnly.insert(url);
}
