#pragma once

#include <QAnyStringView>
#include <QLatin1StringView>
#include <QList>
#include <QString>

#include "core/articlerecord.h"
#include "formats/feedtext.h"

// The one pass over an XML feed document that the RSS and Atom readers make, element by
// element. Names are read without namespace processing: name() is the local part (after
// the first ":") and prefix() the part before it; the readers match them themselves.
class XmlFeedCursor {
public:
    struct NamespaceDeclaration {
        QString prefix;  // empty for the default namespace
        QString uri;
    };

    XmlFeedCursor() = default;
    XmlFeedCursor(const XmlFeedCursor&) = delete;
    XmlFeedCursor& operator=(const XmlFeedCursor&) = delete;
    virtual ~XmlFeedCursor() = default;

    // Moves to the start of the next element inside the element open at parentDepth (0 for
    // the document itself). False at that element's end, or the document's.
    virtual bool nextChild(int parentDepth) = 0;
    // Elements open at the current element's start: 1 for the root.
    [[nodiscard]] virtual int depth() const = 0;
    [[nodiscard]] virtual QAnyStringView name() const = 0;
    [[nodiscard]] virtual QAnyStringView prefix() const = 0;
    // The value of the current element's attribute of that qualified name, references
    // decoded; empty when there is none.
    [[nodiscard]] virtual QString attribute(QLatin1StringView qualifiedName) const = 0;
    // The namespaces the current element declares (its xmlns and xmlns:p attributes).
    [[nodiscard]] virtual QList<NamespaceDeclaration> namespaceDeclarations() const = 0;
    // Called at an element's start: its text content (text and CDATA of it and its
    // descendants in document order; comments and processing instructions left out).
    // Leaves the cursor at the element's end.
    virtual QString readText() = 0;
    // Called at an element's start: moves to its end.
    virtual void skipElement() = 0;
    // Reads on to the document's end. False when it is not well-formed or was refused.
    virtual bool finish() = 0;
    // Why the read failed, with the line for XML errors.
    [[nodiscard]] virtual QString errorString() const = 0;

    // Whether the current element's local name is name, in any letter case when asked.
    [[nodiscard]] bool named(QLatin1StringView expected,
                             Qt::CaseSensitivity cs = Qt::CaseInsensitive) const {
        return QAnyStringView::compare(name(), expected, cs) == 0;
    }

    // Reads the item just started into items with readItem, or, past the item limit,
    // marks the overflow and keeps no item.
    template <typename ReadItem>
    void collect(QList<ArticleRecord>& items, bool& overflow, const ReadItem& readItem) {
        if (!overflow && items.size() >= kMaxFeedItems) {
            overflow = true;
            items = {};
        }
        if (overflow) {
            skipElement();
            return;
        }
        items.append(readItem());
    }
};
