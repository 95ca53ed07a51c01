#include "formats/rssreader.h"

#include "formats/articleidentity.h"
#include "formats/feeddates.h"
#include "formats/feedtext.h"
#include "formats/xmlfeedcursor.h"

namespace {

class RssReader {
public:
    RssReader(XmlFeedCursor& cursor, FeedReadResult& read) : xml(cursor), result(read) {}

    void read() {
        result.family = FeedReadResult::Family::Rss;
        QList<ArticleRecord> rootItems;
        bool rootOverflow = false;
        QList<ArticleRecord> channelItems;
        bool channelOverflow = false;
        const auto readItem = [this] { return readItemElement(); };
        while (xml.nextChild(1)) {
            if (xml.named(QLatin1StringView("item"))) {
                xml.collect(rootItems, rootOverflow, readItem);
            } else if (xml.named(QLatin1StringView("image"))) {
                // RSS 1.0 puts the channel's image beside the channel.
                readImage();
            } else if (xml.named(QLatin1StringView("channel"))) {
                // Only the last channel's items count, and only when the root has none.
                channelItems = {};
                channelOverflow = false;
                readChannel(rootItems.isEmpty() && !rootOverflow ? &channelItems : nullptr,
                            channelOverflow);
            } else {
                xml.skipElement();
            }
        }
        if (rootOverflow || (rootItems.isEmpty() && channelOverflow)) {
            result.overflow = true;
        } else {
            result.items = rootItems.isEmpty() ? std::move(channelItems) : std::move(rootItems);
        }
    }

private:
    // items is null when the channel's items are not wanted.
    void readChannel(QList<ArticleRecord>* items, bool& overflow) {
        const int depth = xml.depth();
        while (xml.nextChild(depth)) {
            if (xml.named(QLatin1StringView("item")) && items != nullptr) {
                xml.collect(*items, overflow, [this] { return readItemElement(); });
            } else if (xml.named(QLatin1StringView("title"))) {
                result.channel.title = feedChannelTitle(xml.readText());
            } else if (xml.named(QLatin1StringView("link"))) {
                result.channel.link = trimFeedText(xml.readText());
            } else if (xml.named(QLatin1StringView("description"))) {
                result.channel.description = feedDescription(xml.readText());
            } else if (xml.named(QLatin1StringView("image"))) {
                readImage();
            } else {
                xml.skipElement();
            }
        }
    }

    // An <image> element: its <url> is the feed's picture.
    void readImage() {
        const int depth = xml.depth();
        while (xml.nextChild(depth)) {
            if (xml.named(QLatin1StringView("url"))) {
                const QString url = trimFeedText(xml.readText());
                if (!url.isEmpty()) {
                    result.channel.image = url;
                }
            } else {
                xml.skipElement();
            }
        }
    }

    ArticleRecord readItemElement() {
        ArticleRecord record;
        // RSS 1.0 names its item by rdf:about; an RSS 2.0 guid, when there is one, says more.
        QString id = xml.attribute(QLatin1StringView("rdf:about"));
        const int depth = xml.depth();
        while (xml.nextChild(depth)) {
            if (xml.named(QLatin1StringView("title"))) {
                record.Title = feedItemTitle(xml.readText());
            } else if (xml.named(QLatin1StringView("link"))) {
                record.Link = trimFeedText(xml.readText());
            } else if (xml.named(QLatin1StringView("description"))) {
                record.Description = feedDescription(xml.readText());
            } else if (xml.named(QLatin1StringView("guid"))) {
                id = xml.readText();
            } else if (xml.named(QLatin1StringView("date")) ||
                       xml.named(QLatin1StringView("pubdate"))) {
                // An unreadable date keeps what an earlier date element of the item gave.
                const QDateTime date =
                    parseFeedDate(NormalizeRssDate(trimFeedText(xml.readText())));
                if (date.isValid()) {
                    record.PubDate = date;
                }
            } else {
                xml.skipElement();
            }
        }
        record.Identity = articleIdentity(id, record.Link, record.Title, record.PubDate);
        return record;
    }

    XmlFeedCursor& xml;
    FeedReadResult& result;
};

}  // namespace

bool isRssRoot(const XmlFeedCursor& xml) {
    return xml.named(QLatin1StringView("rss")) || xml.named(QLatin1StringView("rdf"));
}

void readRss(XmlFeedCursor& xml, FeedReadResult& result) {
    RssReader(xml, result).read();
}
