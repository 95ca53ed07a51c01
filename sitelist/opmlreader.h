#pragma once

#include <QDomNode>
#include <QDomNodeList>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "sitelist/siterow.h"

// The most entries one OPML list may hold: the running row number is signed 16-bit and
// is counted up after every entry, so row 32766 is the last one a load can give.
inline constexpr int kMaxOpmlEntries = 32767;

// Reads the outlines of an OPML document into a list of entries that waits to replace the
// site list; the caller puts it in place only when the whole document was read.
class OpmlReader {
public:
    struct Entry {
        SiteRow row;
        int parentRow = -1;  // -1: the top level
    };

    // sourcePath: the file the document was parsed from. The DOM does not keep the order
    // of an element's attributes, which decides when two of them name the same field; the
    // order is then read back from this file. Empty: the DOM's order is taken.
    explicit OpmlReader(QString sourcePath = {});

    // Adds the entries of nodes, each followed by everything under it (pre-order, so row
    // numbers follow document order with a parent before its children), under the entry
    // keyed parentKey; "R" stands for the top level. Comments and processing instructions
    // are passed over, as is text that holds only white space. False on any other node
    // that is no element (text, CDATA) and when the list would exceed kMaxOpmlEntries; the
    // entries read before stay in entries().
    [[nodiscard]] bool AddOutlines(const QDomNodeList& nodes, const QString& parentKey);

    // Index = row number.
    [[nodiscard]] const QList<Entry>& entries() const { return list; }

private:
    bool addSubtree(const QDomNode& top, int parentRow);
    // Appends the entry of one element; its row number, or -1 when the list is full.
    int addEntry(const QDomElement& element, int parentRow);
    // Qualified attribute names of element in document order; empty when unknown.
    QStringList attributeOrder(const QDomElement& element);
    void readAttributeOrder();

    QList<Entry> list;
    QString source;
    bool orderRead = false;
    // Attribute names of the source's elements that name one field twice, by position
    // (line << 32 | column) of the element's start tag.
    QHash<quint64, QStringList> orderByPosition;
};
