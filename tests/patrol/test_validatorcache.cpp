#include <gtest/gtest.h>

#include <QStringList>

#include "patrol/validatorcache.h"

namespace {

// A read feed of n items, each counted as 68 bytes.
FeedReadResult feedOf(int n) {
    FeedReadResult read;
    read.kind = FeedReadResult::Kind::Feed;
    for (int i = 0; i < n; ++i) {
        ArticleRecord item;
        item.Title = QStringLiteral("t");
        item.Link = QStringLiteral("l");
        read.items.append(item);
    }
    return read;
}

constexpr qint64 kTenItems = 680;

QStringList held(const ValidatorCache& cache, const QStringList& urls) {
    QStringList found;
    for (const QString& url : urls) {
        if (cache.find(url) != nullptr) {
            found.append(url);
        }
    }
    return found;
}

TEST(ValidatorCache, TheEntriesUsedLongestAgoMakeRoom) {
    ASSERT_EQ(ValidatorCache::sizeOf(feedOf(10)), kTenItems);
    const QStringList all = {"a", "b", "c", "d", "e", "f"};
    // Room for three feeds of ten items. Each step: store or use (a 304) a URL, then what
    // the cache holds.
    const struct {
        const char* op;
        const char* url;
        QStringList after;
    } steps[] = {
        {"store", "a", {"a"}},
        {"store", "b", {"a", "b"}},
        {"store", "c", {"a", "b", "c"}},
        {"use", "a", {"a", "b", "c"}},
        {"store", "d", {"a", "c", "d"}},
        {"store", "c", {"a", "c", "d"}},  // stored again: its place is the newest
        {"store", "e", {"c", "d", "e"}},
        {"use", "f", {"c", "d", "e"}},
        {"store", "f", {"c", "e", "f"}},
    };
    ValidatorCache cache(3 * kTenItems);
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.op) + " " + step.url);
        if (QByteArray(step.op) == "store") {
            cache.store(step.url, "\"v\"", {}, feedOf(10));
        } else {
            static_cast<void>(cache.use(step.url));
        }
        EXPECT_EQ(held(cache, all), step.after);
        EXPECT_EQ(cache.bytes(), kTenItems * step.after.size());
        EXPECT_EQ(cache.size(), step.after.size());
    }
    // A small one fits beside the rest only when the oldest goes.
    cache.store("g", {}, "Sun, 06 Nov 1994 08:49:37 GMT", feedOf(1));
    EXPECT_EQ(held(cache, all + QStringList{"g"}), QStringList({"e", "f", "g"}));
    ASSERT_NE(cache.find("g"), nullptr);
    EXPECT_EQ(cache.find("g")->lastModified, "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(cache.find("g")->lastRead.items.size(), 1);
}

TEST(ValidatorCache, WhatIsNotKeptLeavesNothingBehind) {
    ValidatorCache cache(3 * kTenItems);
    cache.store("a", "\"1\"", {}, feedOf(10));
    cache.store("b", "\"1\"", {}, feedOf(10));

    // One feed larger than the whole budget is not kept, and drives nothing out.
    cache.store("huge", "\"1\"", {}, feedOf(31));
    EXPECT_EQ(cache.find("huge"), nullptr);
    EXPECT_EQ(held(cache, {"a", "b"}), QStringList({"a", "b"}));

    // A download without validators drops what the URL had.
    cache.store("a", {}, {}, feedOf(10));
    EXPECT_EQ(cache.find("a"), nullptr);
    EXPECT_EQ(cache.bytes(), kTenItems);

    // Refused validators: asked plainly for good.
    cache.askPlainly("b");
    EXPECT_EQ(cache.find("b"), nullptr);
    cache.store("b", "\"2\"", {}, feedOf(1));
    EXPECT_EQ(cache.find("b"), nullptr);
    EXPECT_TRUE(cache.isPlainOnly("b"));
    EXPECT_EQ(cache.bytes(), 0);
    EXPECT_EQ(cache.size(), 0);

    cache.forget("nowhere");
    cache.store("c", "\"3\"", {}, feedOf(2));
    cache.forget("c");
    EXPECT_EQ(cache.bytes(), 0);
}

TEST(ValidatorCache, ItsCountNeverDriftsFromWhatItHolds) {
    // A long mixed run: the bytes counted are always those of the entries held, and never
    // over the budget.
    const qint64 budget = 5000;
    ValidatorCache cache(budget);
    QStringList urls;
    for (int i = 0; i < 12; ++i) {
        urls.append(QStringLiteral("http://site%1/feed").arg(i));
    }
    quint32 seed = 12345;
    const auto next = [&seed](quint32 bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % bound;
    };
    for (int round = 0; round < 5000; ++round) {
        const QString& url = urls[int(next(quint32(urls.size())))];
        switch (next(10)) {
            case 0:
                cache.forget(url);
                break;
            case 1:
                static_cast<void>(cache.use(url));
                break;
            case 2:
                if (next(20) == 0) {
                    cache.askPlainly(url);
                }
                break;
            default:
                cache.store(url, next(4) == 0 ? QByteArray() : QByteArray("\"e\""), {},
                            feedOf(int(next(40))));
        }
        qint64 counted = 0;
        int entries = 0;
        for (const QString& each : urls) {
            if (const ValidatorCache::Entry* entry = cache.find(each)) {
                counted += ValidatorCache::sizeOf(entry->lastRead);
                ++entries;
                ASSERT_FALSE(cache.isPlainOnly(each));
            }
        }
        ASSERT_EQ(cache.bytes(), counted) << "round " << round;
        ASSERT_EQ(cache.size(), entries) << "round " << round;
        ASSERT_LE(cache.bytes(), budget) << "round " << round;
    }
}

}  // namespace
