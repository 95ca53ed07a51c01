#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

inline constexpr qint16 kKindFolder = 1;
inline constexpr qint16 kKindSite = 2;
// Row indexes are signed 16-bit: at most 32768 rows (0 to 32767).
inline constexpr int kMaxSiteRows = 32768;

// One entry of the site list.
struct SiteRow {
    qint16 intKind = 0;  // 1 folder, 2 site, 0 never filled
    bool blnDeleted = false;
    QString strTitle;
    QString strHtmlUrl;
    QString strXmlUrl;

    bool operator==(const SiteRow&) const = default;
};
// Moved in memory as it stands when the table grows.
Q_DECLARE_TYPEINFO(SiteRow, Q_RELOCATABLE_TYPE);

// The site table: rows indexed from 0, only ever appended to between two loads.
class SiteRowArray {
public:
    [[nodiscard]] int size() const { return int(rows.size()); }
    // Highest index; -1 when the table is empty.
    [[nodiscard]] int lastIndex() const { return int(rows.size()) - 1; }
    [[nodiscard]] bool isValidIndex(int index) const { return index >= 0 && index < size(); }
    [[nodiscard]] SiteRow& operator[](int index) { return rows[index]; }
    [[nodiscard]] const SiteRow& operator[](int index) const { return rows[index]; }

    // Grows the table so that index exists, keeping every row. False when index lies
    // beyond the 16-bit limit.
    bool growTo(int index);
    // Appends a row and returns its index, or -1 when the table is full.
    int append(SiteRow row);
    void clear() { rows.clear(); }

private:
    QList<SiteRow> rows;
};

// "R" + index.
[[nodiscard]] QString keyOfIndex(int index);
// Integer value of the key from its second character; -1 for a text that is no key.
[[nodiscard]] int indexOfKey(const QString& key);

// Nodes of an account's folder (the server's folders and feeds, shown in the tree but never
// in the site table or the site list) are keyed "A" + the account's number, alone for the
// account's own folder or followed by "/" and more.
[[nodiscard]] QString accountKeyPrefix(int account);
// The account number of such a key; 0 for every other key (the user's own entries).
[[nodiscard]] int accountOfKey(const QString& key);
