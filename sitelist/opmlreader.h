#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/siterow.h"
#include "core/sitetree.h"

// The most entries one OPML list may hold: the running row number is signed 16-bit and
// is counted up after every entry, so row 32766 is the last one a load can give.
inline constexpr int kMaxOpmlEntries = 32767;

// Why a site list could not be read.
struct OpmlLoadError {
    enum class Kind {
        None,
        Missing,            // no file at the path
        Unreadable,         // not a regular file, or it cannot be opened
        TooLarge,           // over the size limit of XML documents
        Malformed,          // not well-formed XML
        TooDeep,            // elements nested past the XML layer's depth limit
        EntityExpansion,    // internal entities that would blow the text up
        NoBody,             // no element named "body"
        TextAmongOutlines,  // text (or an unresolved entity) between or inside the outlines
        TooManyEntries,     // more than kMaxOpmlEntries outlines
    };
    Kind kind = Kind::None;
    // Where in the file, counted from 1; 0 when the reason has no place.
    qint64 line = 0;
    qint64 column = 0;
    // The XML parser's own words for a malformed file.
    QString detail;

    // Why, in the user's language, with the place where there is one.
    [[nodiscard]] QString reason() const;
};

// A site list read from a file, waiting to replace the program's: rows numbered from 0 in
// document order (a parent before its children) and one tree node per row keyed by it. Plain
// data: it may be read on a worker and handed to the user-interface thread.
struct OpmlList {
    bool ok = false;
    OpmlLoadError error;
    SiteRowArray table;
    SiteNodes tree;
};

// Reads an OPML document in one streaming pass. The first element named exactly "body",
// anywhere, holds the entries: every element under it is one, whatever its name, with its
// title, homepage and feed URL from the attributes named (case and any prefix aside) text,
// htmlUrl and xmlUrl, the later of two winning; an xmlUrl, even empty, makes it a site.
// Comments, processing instructions and blank text among the outlines are passed over; any
// other text fails the read, as does anything not well-formed anywhere in the document.
[[nodiscard]] OpmlList readOpml(const QByteArray& bytes);
// The two ways readOpml reads. A list as this program and most others write it (UTF-8,
// no DTD, no CDATA or processing instructions, ASCII names, no line ends inside values) is
// read by a plain scan of the bytes; the scan gives nothing for any other document, and for
// any that is not well-formed or breaks a rule above, so that the XML reader, which reads
// every document, reports it. Where the scan gives a list, the reader gives the same.
[[nodiscard]] std::optional<OpmlList> readPlainOpml(const QByteArray& bytes);
[[nodiscard]] OpmlList readOpmlWithXmlReader(const QByteArray& bytes);
// Whether two lists hold the same rows under the same tree.
[[nodiscard]] bool sameEntries(const OpmlList& a, const OpmlList& b);
// The same for a file of at most maxBytes. Safe on any thread.
[[nodiscard]] OpmlList readOpmlFile(const QString& path, qint64 maxBytes);
