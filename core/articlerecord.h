#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

// What the display rules do to a headline (rules/displayrule.h); Show, the zero value, when
// no rule meets it.
enum class RuleAction : quint8;

// One article, copied by value between the arrays.
struct ArticleRecord {
    QString Title;
    QString Link;
    QString Description;
    // Wall-clock time as the feed wrote it (see platform/clock.h); invalid = no date.
    QDateTime PubDate;
    qint16 SiteIndex = 0;
    bool IsNew = true;
    // What the display rules said of the headline when the feed was read: a muted article
    // is never queued, a held one keeps the ticker on it, a highlighted one is drawn in
    // HighlightColour (0xRRGGBB).
    RuleAction Display{};
    quint32 HighlightColour = 0;
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
    // Back to an array holding only the empty slot 0.
    void clear() {
        slots.clear();
        slots.append(ArticleRecord{});
    }

private:
    QList<ArticleRecord> slots;
};
