#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <utility>

// What the display rules do to a headline (rules/displayrule.h); Show, the zero value, when
// no rule meets it.
enum class RuleAction : quint8;

// One article, copied by value between the arrays.
struct ArticleRecord {
    QString Title;
    QString Link;
    QString Description;
    // Wall-clock time as the feed wrote it (see platform/system/clock.h); invalid = no date.
    QDateTime PubDate;
    qint16 SiteIndex = 0;
    bool IsNew = true;
    // What the display rules said of the headline when the feed was read: a muted article
    // is never queued, a held one keeps the ticker on it, a highlighted one is drawn in
    // HighlightColour (0xRRGGBB).
    RuleAction Display{};
    quint32 HighlightColour = 0;
    // Who the article is, the same at every read of it: for an account's article the
    // server's id; for a feed's, the feed's own id (RSS guid, Atom id, JSON Feed id), else
    // its link, else a hash of its title and date.
    QString Identity;
    // The feed URL of the site (or of the account's feed) the article came from, as stored,
    // and the title shown for that site: set when the record is taken in, so that a window
    // showing the record needs no site row.
    QString FeedUrl;
    QString SiteTitle;
    // 0 for an article of a site of the user's own list; n for one of the account in
    // accounts.ini's group [account-n].
    int Account = 0;
};

// NewsQueue and ListArticles: slot 0 is never used; entries are 1 … lastIndex() and the
// array is empty exactly when lastIndex() is 0. Indices are signed 16-bit, so at most
// 32767 entries fit.
class ArticleArray {
public:
    static constexpr int kMaxEntries = 32767;

    ArticleArray() { clear(); }

    [[nodiscard]] int lastIndex() const { return int(slots.size()) - 1; }
    [[nodiscard]] bool isEmpty() const { return lastIndex() == 0; }
    [[nodiscard]] bool isFull() const { return lastIndex() >= kMaxEntries; }
    // Entry i, 1 ≤ i ≤ lastIndex(); slot 0 is an empty record.
    [[nodiscard]] ArticleRecord& operator[](int i) { return slots[i]; }
    [[nodiscard]] const ArticleRecord& operator[](int i) const { return slots[i]; }

    // Appends one past the last index. False (nothing appended) when the array is full.
    bool append(const ArticleRecord& record) {
        if (isFull()) {
            return false;
        }
        slots.append(record);
        return true;
    }
    // Removes the entries pred holds for, keeping the others' order. The result gives, for
    // each old index, the new one (0 for a removed entry and for slot 0); empty when
    // nothing was removed.
    template <typename Pred>
    QList<int> removeIf(Pred pred) {
        QList<int> moved(slots.size(), 0);
        int next = 1;
        for (int i = 1; i < int(slots.size()); ++i) {
            if (!pred(std::as_const(slots[i]))) {
                moved[i] = next++;
            }
        }
        if (next == int(slots.size())) {
            return {};
        }
        QList<ArticleRecord> kept;
        kept.reserve(next);
        kept.append(ArticleRecord{});
        for (int i = 1; i < int(slots.size()); ++i) {
            if (moved[i] != 0) {
                kept.append(std::move(slots[i]));
            }
        }
        slots = std::move(kept);
        return moved;
    }
    // Back to an array holding only the empty slot 0.
    void clear() {
        slots.clear();
        slots.append(ArticleRecord{});
        filling = nextFilling();
    }
    // Changes at every clear(), and no two arrays are ever given the same value: whoever
    // keeps copies of entries 1 … n knows by it that they are still this array's entries.
    [[nodiscard]] quint64 fillingId() const { return filling; }

private:
    static quint64 nextFilling() {
        static std::atomic<quint64> last{0};
        return ++last;
    }

    QList<ArticleRecord> slots;
    quint64 filling = 0;
};
